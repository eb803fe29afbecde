// TableClient: a raw client of a table server for the tests; collects messages split at 0xFF.
#pragma once

#include <QByteArray>
#include <QList>
#include <functional>

class TableClient
{
public:
    // Connects to address:port ("127.0.0.1", "::1"), from the local address `from` when
    // given (one of the 127.x.y.z addresses, so limits per address stay apart).
    TableClient(const char *address, quint16 port, const char *from = nullptr);
    ~TableClient();
    TableClient(const TableClient &) = delete;
    TableClient &operator=(const TableClient &) = delete;

    bool connected() const { return m_fd >= 0; }
    void send(const QByteArray &bytes);
    void sendMessage(const QByteArray &message) { send(message + char(0xFF)); }

    // Reads until done() holds or timeoutMs passes; returns done().
    bool waitFor(const std::function<bool()> &done, int timeoutMs = 5000);
    // Waits for a message starting with prefix and returns it (empty after the timeout).
    QByteArray waitForPrefix(const QByteArray &prefix, int timeoutMs = 5000);
    // Waits until the server has closed the connection.
    bool waitClosed(int timeoutMs = 5000)
    {
        return waitFor([this] { return m_closed; }, timeoutMs);
    }
    // Reads what has arrived without waiting.
    void poll() { readFor(0); }

    void close();
    bool closedByServer() const { return m_closed; }
    const QList<QByteArray> &messages() const { return m_messages; }
    QList<QByteArray> withPrefix(const QByteArray &prefix) const;
    bool has(const QByteArray &message) const { return m_messages.contains(message); }

private:
    void readFor(int timeoutMs);

    int m_fd = -1;
    bool m_closed = false;
    QByteArray m_pending;
    QList<QByteArray> m_messages;
};
