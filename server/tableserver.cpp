#include "tableserver.h"

#include "announcements.h"
#include "protocol.h"
#include "tablecode.h"
#include "tablepreamble.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr quint64 ListenerToken = ~quint64(0);
constexpr quint64 QuitToken = ~quint64(0) - 1;
constexpr int AcceptsPerWake = 256;
constexpr std::uint32_t ReadEvents = EPOLLIN | EPOLLRDHUP;

// The log names a table by the start of its code only: the whole code would let anyone who
// reads the log sit down at it.
QByteArray shortCode(const QByteArray &code)
{
    return code.left(2) + "..";
}

int openSpare()
{
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

void setOption(int fd, int level, int name, int value)
{
    ::setsockopt(fd, level, name, &value, sizeof value);
}

} // namespace

TableServer::TableServer(const Config &config, LogSink log)
    : m_config(config)
    , m_log(std::move(log))
    , m_limits(config.limits)
    , m_spareFd(openSpare())
    , m_startMs(EventLoop::monotonicMs())
    , m_lastSummaryMs(m_startMs)
    , m_readBuffer(std::size_t(std::max<qsizetype>(config.readCap, 64)))
{
    if (!std::isfinite(m_config.timeScale) || m_config.timeScale < 0)
        m_config.timeScale = 1.0;
}

TableServer::~TableServer()
{
    // Tables go first: closing them drops their connections without telling anyone.
    std::vector<quint64> open;
    m_connections.forEach([&](quint64 id, const Connection &) { open.push_back(id); });
    for (const quint64 id : open) {
        if (const Connection *c = m_connections.find(id); c && c->stage == Connection::Stage::Seated) {
            if (ServerTable *table = m_registry.at(c->tableId))
                closeTable(*table);
        }
    }
    for (const quint64 id : open)
        dropConnection(id);
    m_closedTables.clear();
    if (m_listener >= 0)
        ::close(m_listener);
    if (m_spareFd >= 0)
        ::close(m_spareFd);
}

long TableServer::raiseOpenFileLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return -1;
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
        ::getrlimit(RLIMIT_NOFILE, &limit);
    }
    return limit.rlim_cur == RLIM_INFINITY ? LONG_MAX : long(limit.rlim_cur);
}

// --- listening ---------------------------------------------------------------------------

bool TableServer::listen(QString *error)
{
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        if (m_listener >= 0)
            ::close(m_listener);
        m_listener = -1;
        return false;
    };
    if (!m_loop.valid())
        return fail(
            QStringLiteral("cannot create the event loop: %1").arg(QString::fromLocal8Bit(strerror(errno))));

    std::vector<sockaddr_storage> candidates;
    if (m_config.address.isEmpty()) {
        // One dual-stack socket serves IPv4 (as mapped addresses) and IPv6; IPv4 alone
        // where the machine has no IPv6.
        sockaddr_storage any6{};
        auto &a6 = reinterpret_cast<sockaddr_in6 &>(any6);
        a6.sin6_family = AF_INET6;
        a6.sin6_addr = in6addr_any;
        a6.sin6_port = htons(m_config.port);
        sockaddr_storage any4{};
        auto &a4 = reinterpret_cast<sockaddr_in &>(any4);
        a4.sin_family = AF_INET;
        a4.sin_addr.s_addr = htonl(INADDR_ANY);
        a4.sin_port = htons(m_config.port);
        candidates = {any6, any4};
    } else {
        QByteArray host = m_config.address.toUtf8();
        if (host.startsWith('[') && host.endsWith(']'))
            host = host.mid(1, host.size() - 2);
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
        addrinfo *found = nullptr;
        const QByteArray port = QByteArray::number(m_config.port);
        const int rc = ::getaddrinfo(host.constData(), port.constData(), &hints, &found);
        if (rc != 0)
            return fail(QStringLiteral("cannot use the address %1: %2")
                            .arg(m_config.address, QString::fromLocal8Bit(gai_strerror(rc))));
        for (addrinfo *ai = found; ai; ai = ai->ai_next) {
            sockaddr_storage address{};
            std::memcpy(&address, ai->ai_addr, std::min<std::size_t>(ai->ai_addrlen, sizeof address));
            candidates.push_back(address);
        }
        ::freeaddrinfo(found);
    }

    QString lastError;
    for (const sockaddr_storage &address : candidates) {
        const int family = address.ss_family;
        const int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            lastError = QString::fromLocal8Bit(strerror(errno));
            continue;
        }
        setOption(fd, SOL_SOCKET, SO_REUSEADDR, 1);
        if (family == AF_INET6)
            setOption(fd, IPPROTO_IPV6, IPV6_V6ONLY, m_config.address.isEmpty() ? 0 : 1);
        const socklen_t size = family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
        if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), size) != 0 || ::listen(fd, 4096) != 0) {
            const int err = errno;
            lastError = QString::fromLocal8Bit(strerror(err));
            ::close(fd);
            // A port in use is in use for every family: no use trying the next.
            if (err == EADDRINUSE || err == EACCES)
                break;
            continue;
        }
        m_listener = fd;
        break;
    }
    if (m_listener < 0)
        return fail(QStringLiteral("cannot listen on port %1: %2").arg(m_config.port).arg(lastError));

    sockaddr_storage bound{};
    socklen_t boundSize = sizeof bound;
    ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&bound), &boundSize);
    m_port = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6 &>(bound).sin6_port
                                               : reinterpret_cast<sockaddr_in &>(bound).sin_port);
    if (!m_loop.add(m_listener, EPOLLIN, ListenerToken))
        return fail(
            QStringLiteral("cannot watch the listening socket: %1").arg(QString::fromLocal8Bit(strerror(errno))));
    m_timers.add({EventLoop::monotonicMs() + realDelayMs(m_config.summaryMs), 0, Summary, 0});
    return true;
}

void TableServer::watchQuit(int fd)
{
    m_quitFd = fd;
    m_loop.add(fd, EPOLLIN, QuitToken);
}

// --- the loop ----------------------------------------------------------------------------

void TableServer::run()
{
    m_running = true;
    while (m_running) {
        m_closedTables.clear();
        m_loop.wait(waitTimeoutMs(), [this](std::uint64_t token, std::uint32_t events) {
            handleEvent(token, events);
            runPendingCloses();
        });
        fireDue();
    }
}

int TableServer::waitTimeoutMs() const
{
    const std::optional<double> due = m_timers.nextDueMs();
    if (!due)
        return -1;
    const double wait = std::ceil(*due - EventLoop::monotonicMs());
    return int(std::clamp(wait, 0.0, double(INT_MAX)));
}

double TableServer::realDelayMs(double tableMs) const
{
    return tableMs * m_config.timeScale;
}

double TableServer::tableNowMs() const
{
    const double real = EventLoop::monotonicMs() - m_startMs;
    // At scale 0 every interval is over at once.
    return m_config.timeScale > 0 ? real / m_config.timeScale : real * 1e9;
}

void TableServer::handleEvent(quint64 token, quint32 events)
{
    if (token == ListenerToken) {
        acceptPending();
        return;
    }
    if (token == QuitToken) {
        m_running = false;
        return;
    }
    Connection *connection = m_connections.find(token);
    if (!connection)
        return; // closed earlier in this wake-up
    if (events & EPOLLERR) {
        dropConnection(token);
        return;
    }
    if (events & EPOLLOUT) {
        writeTo(token, *connection);
        connection = m_connections.find(token);
        if (!connection)
            return;
    }
    if (events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP))
        readFrom(token, *connection);
}

void TableServer::fireDue()
{
    // Only what is due now: deadlines added while these fire wait for the next wake-up,
    // so a table that keeps re-arming cannot hold the loop.
    const double now = EventLoop::monotonicMs();
    std::vector<TimerHeap::Deadline> due;
    while (const std::optional<TimerHeap::Deadline> d = m_timers.takeDue(now))
        due.push_back(*d);
    for (const TimerHeap::Deadline &d : due) {
        if (d.kind < quint32(ServerTable::TimerCount)) {
            fireTableTimer(d);
        } else if (d.kind == FirstMessageDeadline) {
            const Connection *c = m_connections.find(d.owner);
            if (c && c->stage == Connection::Stage::Preamble) {
                m_stats.drop(ServerStats::Drop::Silent);
                dropConnection(d.owner);
            }
        } else if (d.kind == Summary) {
            summary();
            m_timers.add({now + std::max(realDelayMs(m_config.summaryMs), 1.0), 0, Summary, 0});
        }
        runPendingCloses();
    }
}

void TableServer::fireTableTimer(const TimerHeap::Deadline &deadline)
{
    ServerTable *table = m_registry.at(deadline.owner);
    const auto timer = TableTimer(deadline.kind);
    if (!table || !table->timerRunning(timer) || table->timerGeneration(timer) != deadline.generation)
        return;
    if (timer == TableTimer::Dispatch || timer == TableTimer::Pause) {
        const double next = deadline.dueMs + realDelayMs(table->timerIntervalMs(timer));
        m_timers.add(
            {std::max(next, EventLoop::monotonicMs()), deadline.owner, deadline.kind, deadline.generation});
    } else {
        table->timerSpent(timer);
    }
    table->table().timerFired(timer);
}

void TableServer::scheduleTimer(ServerTable &table, TableTimer timer, int intervalMs)
{
    m_timers.add({EventLoop::monotonicMs() + realDelayMs(intervalMs), table.id(), quint32(timer),
                  table.timerGeneration(timer)});
}

void TableServer::summary()
{
    const double now = EventLoop::monotonicMs();
    const double seconds = (now - m_lastSummaryMs) / 1000.0;
    m_lastSummaryMs = now;
    m_limits.sweep(tableNowMs());
    m_log("summary: " + m_stats.summarize(m_registry.size(), m_connections.size(), seconds));
    // Tables and connections come and go in small pieces: what churn left free in the
    // allocator goes back to the system once a minute.
    ::malloc_trim(0);
}

// --- connections -------------------------------------------------------------------------

void TableServer::acceptPending()
{
    for (int i = 0; i < AcceptsPerWake; ++i) {
        sockaddr_storage peer{};
        socklen_t size = sizeof peer;
        const int fd =
            ::accept4(m_listener, reinterpret_cast<sockaddr *>(&peer), &size, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            acceptOne(fd, peer);
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED)
            continue;
        if ((errno == EMFILE || errno == ENFILE) && m_spareFd >= 0) {
            // No descriptor left: take the waiting connection with the spare one and shed
            // it, or the listener would report it again and again.
            m_stats.drop(ServerStats::Drop::FileLimit);
            ::close(m_spareFd);
            const int shed = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (shed >= 0)
                ::close(shed);
            m_spareFd = openSpare();
            continue;
        }
        return; // nothing more waiting
    }
}

void TableServer::acceptOne(int fd, const sockaddr_storage &peer)
{
    const AddressKey key = AddressKey::fromSockaddr(peer);
    if (!m_limits.admit(key)) {
        m_stats.drop(ServerStats::Drop::AddressFull);
        ::close(fd);
        return;
    }
    setOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
    setOption(fd, IPPROTO_TCP, TCP_KEEPIDLE, m_config.keepAliveIdleS);
    setOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, m_config.keepAliveIntervalS);
    setOption(fd, IPPROTO_TCP, TCP_KEEPCNT, m_config.keepAliveCount);
    setOption(fd, IPPROTO_TCP, TCP_NODELAY, 1);
    const quint64 id = m_connections.insert(std::make_unique<Connection>(fd, key));
    if (!m_loop.add(fd, ReadEvents, id)) {
        dropConnection(id);
        return;
    }
    m_timers.add({EventLoop::monotonicMs() + realDelayMs(m_config.firstMessageMs), id, FirstMessageDeadline, 0});
}

void TableServer::readFrom(quint64 id, Connection &connection)
{
    // One read per socket per wake-up: a socket with more is reported again next time.
    const ssize_t n = ::recv(connection.fd(), m_readBuffer.data(), m_readBuffer.size(), 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        dropConnection(id);
        return;
    }
    if (n < 0)
        return;
    const char *data = m_readBuffer.data();
    m_stats.request(std::count(data, data + n, char(0xFF)));
    if (connection.stage == Connection::Stage::Seated) {
        if (ServerTable *table = m_registry.at(connection.tableId))
            table->table().receive(connection.entry, QByteArray(data, n));
        return;
    }
    switch (connection.preamble.feed(data, n)) {
    case PreambleReader::Status::NeedMore:
        return;
    case PreambleReader::Status::TooLong:
        m_stats.drop(ServerStats::Drop::FirstTooLong);
        dropConnection(id);
        return;
    case PreambleReader::Status::Complete:
        firstMessage(id, connection);
        return;
    }
}

void TableServer::writeTo(quint64 id, Connection &connection)
{
    const qsizetype sent = connection.flush();
    if (sent < 0) {
        dropConnection(id);
        return;
    }
    m_unsentBytes -= sent;
    updateInterest(id, connection);
}

void TableServer::updateInterest(quint64 id, Connection &connection)
{
    const bool want = connection.unsent() > 0;
    if (want == connection.watchingWrites)
        return;
    connection.watchingWrites = want;
    m_loop.modify(connection.fd(), want ? ReadEvents | EPOLLOUT : ReadEvents, id);
}

void TableServer::firstMessage(quint64 id, Connection &connection)
{
    const std::optional<protocol::TableRequest> request = protocol::parseTableRequest(connection.preamble.line());
    if (!request) {
        m_stats.drop(ServerStats::Drop::BadFirst);
        dropConnection(id);
        return;
    }
    if (std::holds_alternative<protocol::OpenTable>(*request))
        openTable(id, connection);
    else
        joinTable(id, connection, std::get<protocol::JoinTable>(*request).code);
}

void TableServer::openTable(quint64 id, Connection &connection)
{
    ServerTable &table = m_registry.open(*this, m_config.shards, tableNowMs());
    m_log("table " + shortCode(table.code()) + " opened; " + QByteArray::number(m_registry.size()) + " open");
    const QByteArray answer = protocol::frame(protocol::TableOpened{table.code()}.build());
    const qsizetype queued = connection.write(answer.constData(), answer.size());
    if (queued < 0) {
        closeTable(table);
        dropConnection(id);
        return;
    }
    m_unsentBytes += queued;
    updateInterest(id, connection);
    seat(id, connection, table, table.table().entryForNewConnection());
}

void TableServer::joinTable(quint64 id, Connection &connection, const QByteArray &asSent)
{
    const QByteArray code = tablecode::normalize(QString::fromLatin1(asSent)).toLatin1();
    if (!code.isEmpty()) {
        const int shard = m_config.shards.shardOf(code);
        if (shard != m_config.shards.self()) {
            m_stats.redirect();
            answerAndClose(id, protocol::TableAt{m_config.shards.address(shard)}.build());
            return;
        }
        if (ServerTable *table = m_registry.find(code)) {
            const int entry = table->table().entryForNewConnection();
            if (entry == 0) {
                m_stats.drop(ServerStats::Drop::TableFull);
                answerAndClose(id, protocol::Full{}.build());
                return;
            }
            seat(id, connection, *table, entry);
            return;
        }
    }
    const double now = tableNowMs();
    if (m_limits.guessingBlocked(connection.key(), now)) {
        m_stats.drop(ServerStats::Drop::Guessing);
        dropConnection(id);
        return;
    }
    m_limits.unknownCode(connection.key(), now);
    m_stats.drop(ServerStats::Drop::UnknownCode);
    answerAndClose(id, protocol::NoTable{asSent}.build());
}

void TableServer::seat(quint64 id, Connection &connection, ServerTable &table, int entry)
{
    const QByteArray rest = connection.preamble.rest();
    connection.preamble.clear();
    connection.stage = Connection::Stage::Seated;
    connection.tableId = table.id();
    connection.entry = entry;
    table.seat(entry, id);
    table.table().connectionOpened(entry, false);
    // Bytes that came with the first message are the table's.
    if (!rest.isEmpty() && m_connections.find(id) && table.connectionAt(entry) == id)
        table.table().receive(entry, rest);
}

void TableServer::answerAndClose(quint64 id, const QByteArray &message)
{
    Connection *connection = m_connections.find(id);
    if (!connection)
        return;
    const QByteArray bytes = protocol::frame(message);
    connection->write(bytes.constData(), bytes.size());
    // Whatever the peer sent after its first message is read away first: closing with
    // unread bytes would reset the connection and could lose the answer on its way.
    char sink[4096];
    for (int i = 0; i < 16 && ::recv(connection->fd(), sink, sizeof sink, MSG_DONTWAIT) > 0; ++i) {
    }
    ::shutdown(connection->fd(), SHUT_WR);
    dropConnection(id);
}

void TableServer::dropConnection(quint64 id)
{
    std::unique_ptr<Connection> connection = m_connections.take(id);
    if (!connection)
        return;
    m_unsentBytes -= connection->unsent();
    m_loop.remove(connection->fd());
    m_limits.release(connection->key());
    const int entry = connection->entry;
    const quint64 tableId = connection->stage == Connection::Stage::Seated ? connection->tableId : 0;
    connection.reset(); // the socket closes here
    ServerTable *table = tableId != 0 ? m_registry.at(tableId) : nullptr;
    if (!table || table->connectionAt(entry) != id)
        return;
    table->unseat(entry);
    // The opener leaving closes the table, as a hosting player leaving ends the game.
    if (entry == 1)
        closeTable(*table);
    else
        table->table().connectionClosed(entry);
}

void TableServer::closeTable(ServerTable &table)
{
    const double openS = (tableNowMs() - table.openedAtMs()) / 1000.0;
    table.table().stop();
    std::unique_ptr<ServerTable> closed = m_registry.close(table.id());
    if (!closed)
        return;
    m_log("table " + shortCode(closed->code()) + " closed after " + QByteArray::number(openS, 'f', 0) + " s; "
          + QByteArray::number(m_registry.size()) + " open");
    for (int entry = 1; entry <= HostState::MaxEntries; ++entry) {
        const quint64 id = closed->connectionAt(entry);
        closed->unseat(entry);
        dropConnection(id);
    }
    // Its calls may still be on the stack: the table is freed between two events.
    m_closedTables.push_back(std::move(closed));
}

void TableServer::closeOn(ServerTable &table, int entry, TableDriver::When when)
{
    const quint64 id = table.connectionAt(entry);
    if (when == TableDriver::When::Now)
        dropConnection(id);
    else
        m_pendingCloses.emplace_back(id, entry);
}

void TableServer::runPendingCloses()
{
    while (!m_pendingCloses.empty()) {
        std::vector<std::pair<quint64, int>> pending;
        pending.swap(m_pendingCloses);
        for (const auto &[id, entry] : pending) {
            const Connection *c = m_connections.find(id);
            if (c && c->stage == Connection::Stage::Seated && c->entry == entry)
                dropConnection(id);
        }
    }
}

qsizetype TableServer::sendOn(quint64 id, const QByteArray &bytes)
{
    Connection *connection = m_connections.find(id);
    if (!connection)
        return 0;
    const qsizetype queued = connection->write(bytes.constData(), bytes.size());
    if (queued < 0)
        return -1;
    m_unsentBytes += queued;
    if (queued > 0) {
        updateInterest(id, *connection);
        if (m_unsentBytes > m_config.maxUnsentBytes) {
            // The server as a whole holds too much for peers that do not read: the one
            // that made it overflow is closed by its table.
            m_stats.drop(ServerStats::Drop::SendBound);
            return -1;
        }
    }
    return connection->unsent();
}

void TableServer::tableDropped(const QString &)
{
    m_stats.drop(ServerStats::Drop::TableProtection);
}
