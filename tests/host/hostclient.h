// HostClient: a raw POSIX loopback client for host tests; collects messages split at 0xFF.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QtGlobal>

class HostClient
{
public:
    // Connects to 127.0.0.1:port (the kernel completes the handshake before the host
    // accepts). receiveBuffer > 0 shrinks SO_RCVBUF before connecting.
    explicit HostClient(quint16 port, int receiveBuffer = 0);
    ~HostClient();
    HostClient(const HostClient &) = delete;
    HostClient &operator=(const HostClient &) = delete;

    // Queues raw bytes; poll() writes them as the socket takes them.
    void send(const QByteArray &bytes);
    // Queues one message with its 0xFF terminator.
    void sendMessage(const QByteArray &message);
    // Writes what is queued and, unless paused, reads what arrived. Never blocks.
    void poll();
    // A paused client stops reading (its peer's sends pile up).
    void setReading(bool on) { m_reading = on; }
    // A slow reader: from now on it reads at most bytesPerSecond on average (0: no limit).
    void setReadRate(qint64 bytesPerSecond);
    // Bytes read since the connection opened.
    qint64 bytesRead() const { return m_bytesRead; }

    // Closes normally, or with SO_LINGER 0 so the peer sees a reset.
    void close();
    void resetClose();

    bool closedByPeer() const { return m_eof; }
    bool isOpen() const { return m_fd >= 0; }
    qsizetype unsent() const { return m_out.size(); }

    const QList<QByteArray> &messages() const { return m_messages; }
    void clearMessages() { m_messages.clear(); }
    // Messages that start with prefix, in arrival order.
    QList<QByteArray> withPrefix(const QByteArray &prefix) const;
    bool has(const QByteArray &message) const { return m_messages.contains(message); }
    // The seat from CMD_sendlogininfo, 0 before it arrived.
    int seat() const;

private:
    int m_fd = -1;
    bool m_eof = false;
    bool m_reading = true;
    qint64 m_readRate = 0;
    qint64 m_bytesRead = 0;
    qint64 m_readAtRateStart = 0;
    QElapsedTimer m_rateClock;
    QByteArray m_out;
    QByteArray m_pending;
    QList<QByteArray> m_messages;
};
