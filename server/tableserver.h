// TableServer: many independent tables behind one listening socket, on one thread.
#pragma once

#include "addresslimits.h"
#include "connection.h"
#include "eventloop.h"
#include "servertable.h"
#include "serverstats.h"
#include "shardmap.h"
#include "slotpool.h"
#include "tableregistry.h"
#include "timerheap.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

// A new connection is sent nothing until its first message: "open a table" makes it entry
// 1 of a new table, "join CODE" seats it at that table (or answers why not). From then on
// its bytes go to its table as on a hosting copy. Tables never share anything but the loop.
class TableServer : private ServerTable::Host
{
public:
    struct Config
    {
        QString address;        // empty: every IPv4 and IPv6 address
        quint16 port = 7772;    // 0 picks a free one
        double timeScale = 1.0; // scales table timers, the first-message deadline and the limits' windows
        ShardMap shards;
        AddressLimits::Config limits;
        double firstMessageMs = 30 * 1000.0;  // table time a new connection has to send its first message
        double summaryMs = 60 * 1000.0;       // table time between two summary lines
        qsizetype maxUnsentBytes = 256 << 20; // server-wide bound on bytes waiting to be sent
        qsizetype readCap = 16 * 1024;        // bytes read from one socket per wake-up
        int keepAliveIdleS = 30;              // TCP keep-alive: a dead line is noticed after about a minute
        int keepAliveIntervalS = 10;
        int keepAliveCount = 3;
    };
    using LogSink = std::function<void(const QByteArray &line)>;

    TableServer(const Config &config, LogSink log);
    ~TableServer() override;
    TableServer(const TableServer &) = delete;
    TableServer &operator=(const TableServer &) = delete;

    // Binds and listens; false with *error set when it cannot.
    bool listen(QString *error);
    quint16 port() const { return m_port; }
    // Readable fd ends run(): a signal handler writes to it.
    void watchQuit(int fd);
    // Runs until the quit fd is readable.
    void run();

    qsizetype tables() const { return m_registry.size(); }
    qsizetype connections() const { return m_connections.size(); }

    // Raises this process's open-file limit to its hard limit; returns the new limit.
    static long raiseOpenFileLimit();

private:
    enum TimerKind : quint32 {
        FirstMessageDeadline = ServerTable::TimerCount,
        Summary,
    };

    // ServerTable::Host
    qsizetype sendOn(quint64 connectionId, const QByteArray &bytes) override;
    void closeOn(ServerTable &table, int entry, TableDriver::When when) override;
    double tableNowMs() const override;
    void scheduleTimer(ServerTable &table, TableTimer timer, int intervalMs) override;
    void tableDropped(const QString &reason) override;

    void handleEvent(quint64 token, quint32 events);
    void acceptPending();
    void acceptOne(int fd, const sockaddr_storage &peer);
    void readFrom(quint64 id, Connection &connection);
    void writeTo(quint64 id, Connection &connection);
    void firstMessage(quint64 id, Connection &connection);
    void openTable(quint64 id, Connection &connection);
    void joinTable(quint64 id, Connection &connection, const QByteArray &asSent);
    void seat(quint64 id, Connection &connection, ServerTable &table, int entry);
    // Answers a connection that has not been seated, and closes it.
    void answerAndClose(quint64 id, const QByteArray &message);
    // Closes a connection; a seated one leaves its table (entry 1 closes the table).
    void dropConnection(quint64 id);
    void closeTable(ServerTable &table);
    void runPendingCloses();
    void fireDue();
    void fireTableTimer(const TimerHeap::Deadline &deadline);
    void summary();
    void updateInterest(quint64 id, Connection &connection);
    double realDelayMs(double tableMs) const;
    int waitTimeoutMs() const;

    Config m_config;
    LogSink m_log;
    EventLoop m_loop;
    TimerHeap m_timers;
    SlotPool<Connection> m_connections;
    TableRegistry m_registry;
    AddressLimits m_limits;
    ServerStats m_stats;
    int m_listener = -1;
    int m_quitFd = -1;
    int m_spareFd = -1; // given up to accept and shed a connection when no descriptor is left
    quint16 m_port = 0;
    bool m_running = false;
    double m_startMs;
    double m_lastSummaryMs;
    qsizetype m_unsentBytes = 0;
    std::vector<std::pair<quint64, int>> m_pendingCloses;     // connection, entry it held
    std::vector<std::unique_ptr<ServerTable>> m_closedTables; // freed between two events
    std::vector<char> m_readBuffer;
};
