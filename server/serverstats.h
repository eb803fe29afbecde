// ServerStats: what the table server counts between two summary lines.
#pragma once

#include <QByteArray>
#include <array>

class ServerStats
{
public:
    // Why a request or a connection went unserved.
    enum class Drop {
        UnknownCode,     // answered CMD_notable
        Guessing,        // an unknown code from an address past its allowance: no answer
        TableFull,       // answered CMD_full
        AddressFull,     // the address holds its most connections already
        BadFirst,        // the first message is neither request
        FirstTooLong,    // no terminator within the longest first message
        Silent,          // no first message in time
        SendBound,       // the server's bound on bytes waiting to be sent was reached
        FileLimit,       // no file descriptor left to accept with
        TableProtection, // a table's own protections (floods, late log-ins, bad requests)
        Count
    };

    void request(qint64 messages = 1) { m_requests += messages; }
    void drop(Drop why) { ++m_drops[int(why)]; }
    void redirect() { ++m_redirects; }
    qint64 dropped(Drop why) const { return m_drops[int(why)]; }

    // The summary line for the period just ended (seconds long), and a fresh period.
    QByteArray summarize(qsizetype tables, qsizetype connections, double seconds);

private:
    qint64 m_requests = 0;
    qint64 m_redirects = 0;
    std::array<qint64, int(Drop::Count)> m_drops{};
};
