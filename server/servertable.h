// ServerTable: one table of the table server — a Table and the driver around it.
#pragma once

#include "table.h"
#include "tabledriver.h"

#include <QByteArray>
#include <array>

// The table's connections and timers live in the server; this driver names them by id and
// hands the table's calls to the server. Entry 1 is the table's opener, treated like any
// other entry (no exemption): the server closes the whole table when it leaves.
class ServerTable : private TableDriver
{
public:
    static constexpr int TimerCount = 4;

    // What a table needs from the server that runs it.
    class Host
    {
    public:
        virtual ~Host() = default;
        virtual qsizetype sendOn(quint64 connectionId, const QByteArray &bytes) = 0;
        virtual void closeOn(ServerTable &table, int entry, When when) = 0;
        virtual double tableNowMs() const = 0;
        // Schedules the table's timer after intervalMs of table time.
        virtual void scheduleTimer(ServerTable &table, TableTimer timer, int intervalMs) = 0;
        virtual void tableDropped(const QString &reason) = 0;
    };

    ServerTable(Host &host, const QByteArray &code, double openedAtMs);
    ServerTable(const ServerTable &) = delete;
    ServerTable &operator=(const ServerTable &) = delete;

    Table &table() { return m_table; }
    const QByteArray &code() const { return m_code; }
    double openedAtMs() const { return m_openedAtMs; }
    quint64 id() const { return m_id; }
    void setId(quint64 id) { m_id = id; }

    // The connection holding entry (0 when none).
    quint64 connectionAt(int entry) const;
    void seat(int entry, quint64 connectionId) { m_connections[entry] = connectionId; }
    void unseat(int entry) { m_connections[entry] = 0; }
    int connectionCount() const;

    // The running timer's generation: a deadline of another generation is stale.
    quint32 timerGeneration(TableTimer timer) const { return m_timers[int(timer)].generation; }
    bool timerRunning(TableTimer timer) const { return m_timers[int(timer)].running; }
    int timerIntervalMs(TableTimer timer) const { return m_timers[int(timer)].intervalMs; }
    // A single-shot timer has fired: it is not running any more.
    void timerSpent(TableTimer timer) { m_timers[int(timer)].running = false; }

private:
    // TableDriver
    qsizetype send(int entry, const QByteArray &bytes) override;
    void close(int entry, When when) override;
    double nowMs() const override;
    void startTimer(TableTimer timer, int intervalMs) override;
    void stopTimer(TableTimer timer) override;
    void onRequestDropped(const QString &reason) override;

    struct TimerState
    {
        quint32 generation = 0;
        int intervalMs = 0;
        bool running = false;
    };

    Host &m_host;
    QByteArray m_code;
    double m_openedAtMs;
    quint64 m_id = 0;
    std::array<quint64, HostState::MaxEntries + 1> m_connections{};
    std::array<TimerState, TimerCount> m_timers{};
    Table m_table{*this};
};
