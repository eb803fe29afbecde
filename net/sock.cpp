#include "sock.h"

#include "sockaddress.h"
#include "sockerrors.h"

#include <QList>
#include <QPointer>
#include <QSocketNotifier>
#include <QtGlobal>

#include <arpa/inet.h>
#include <cerrno>
#include <algorithm>
#include <climits>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int ListenBacklog = 5;
constexpr int ReadChunk = 32768; // one recv takes at most this much

struct CachedHost
{
    QString name;
    QList<QByteArray> addresses; // raw socket addresses, port 0
};

// Names resolved so far, for the life of the process (one lookup per name). Only the
// GUI thread touches it.
QList<CachedHost> &hostCache()
{
    static QList<CachedHost> cache;
    return cache;
}

bool startsWithDigit(const QString &name)
{
    return !name.isEmpty() && name.at(0).isDigit() && name.at(0).unicode() < 128;
}

// Port in network byte order. Raises when the name is neither a port number nor a service.
in_port_t resolvePort(const QString &name, TSocketType type)
{
    if (startsWithDigit(name)) {
        bool ok = false;
        const uint port = name.toUInt(&ok);
        if (!ok || port > 65535)
            throw ESockException("Port Lookup - Could Not Find Service Entry");
        return htons(static_cast<in_port_t>(port));
    }
    const char *protocol = type == TSocketType::stStream ? "tcp" : "udp";
    const servent *service = getservbyname(name.toLocal8Bit().constData(), protocol);
    if (!service)
        throw ESockException("Port Lookup - Could Not Find Service Entry");
    return static_cast<in_port_t>(service->s_port);
}

QList<QByteArray> lookUpHost(const QString &name)
{
    for (const CachedHost &entry : hostCache()) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return entry.addresses;
    }
    const QList<QByteArray> addresses = sockaddress::lookUpAddresses(name, AF_UNSPEC, false);
    if (addresses.isEmpty())
        throw ESockException("Host Lookup - Could Not Find Host Entry");
    hostCache().append({name, addresses});
    return addresses;
}

int newStreamSocket(int family)
{
    return ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

} // namespace

TSock::TSock(QObject *parent)
    : QObject(parent)
{
}

// Closes the handle without raising any event: the owner may be half destroyed by now
// (accepted sockets die with their listener, which dies with its window), so a
// "Socket Closed" info here could reach handlers whose objects are already gone.
TSock::~TSock()
{
    closeHandle();
}

void TSock::setSocketType(TSocketType type)
{
    if (m_state == State::Listening)
        throw ESockException("SocketType - Can't Assign Socket Type While Listening");
    if (m_state == State::Connected)
        throw ESockException("SocketType - Can't Assign Socket Type While Connected");
    m_socketType = type;
}

void TSock::setHostName(const QString &name)
{
    if (m_state == State::Connected && m_socketType == TSocketType::stStream)
        info(siLookup, QStringLiteral("Setting HostName While Connected Has No Effect"));
    m_hostName = name;
}

void TSock::setPortName(const QString &name)
{
    if (m_state == State::Connected)
        info(siLookup, QStringLiteral("Setting PortName While Connected Has No Effect"));
    m_portName = name;
}

void TSock::setListen(bool on)
{
    const bool wasListening = m_state == State::Listening;
    if (m_fd >= 0 && !wasListening && (on || m_state != State::Idle))
        throw ESockException("Listen - Socket Already In Use");
    if (on && m_socketType == TSocketType::stDatagram)
        throw ESockException("Listen - Cannot Listen On A Datagram Socket");
    if (!on) {
        m_state = State::Idle; // the close that follows reports "Socket Closed"
        Close();
        info(siListen, QStringLiteral("Listening Stopped"));
        return;
    }
    if (wasListening) {
        info(siListen, QStringLiteral("Listening Already Running"));
        return;
    }
    startListening();
}

// Binds PortName on HostName (see setListen) and listens. On a failed bind the handle stays,
// so a second attempt is told the socket is in use.
void TSock::startListening()
{
    info(siLookup, QStringLiteral("Lookup Of Port ") + m_portName);
    const in_port_t port = resolvePort(m_portName, m_socketType);
    const QString host = sockaddress::unbracketed(m_hostName);
    QByteArray local;
    bool bothFamilies = false;
    if (host.isEmpty()) {
        sockaddr_in6 any{};
        any.sin6_family = AF_INET6;
        any.sin6_addr = in6addr_any;
        local = sockaddress::rawAddress(&any, sizeof any);
        bothFamilies = true;
    } else if (host.contains(QLatin1Char(':'))) {
        const QList<QByteArray> found = sockaddress::lookUpAddresses(host, AF_INET6, true);
        if (found.isEmpty())
            throw ESockException("Listen - Error Binding Socket");
        local = found.first();
    } else {
        in_addr address{};
        if (::inet_aton(host.toLatin1().constData(), &address) == 0)
            throw ESockException("Listen - Error Binding Socket");
        local = sockaddress::ipv4Address(address.s_addr);
    }
    local = sockaddress::withPort(local, port);
    const int family = sockaddress::storageOf(local).ss_family;
    m_fd = newStreamSocket(family);
    if (m_fd >= 0 && family == AF_INET6) {
        const int v6only = bothFamilies ? 0 : 1;
        if (::setsockopt(m_fd, IPPROTO_IPV6, IPV6_V6ONLY, &v6only, sizeof v6only) != 0 && bothFamilies) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    // Lets a game be hosted again at once while old connections linger in TIME_WAIT;
    // a port that is really in use is still refused by bind.
    const int yes = 1;
    if (m_fd >= 0)
        ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    const auto bindLocal = [&] {
        const sockaddr_storage address = sockaddress::storageOf(local);
        return ::bind(m_fd, reinterpret_cast<const sockaddr *>(&address), socklen_t(local.size())) == 0;
    };
    bool bound = m_fd >= 0 && bindLocal();
    // A machine without IPv6 listens on every IPv4 address instead.
    if (bothFamilies && !bound && (m_fd < 0 || errno == EADDRNOTAVAIL || errno == EAFNOSUPPORT)) {
        if (m_fd >= 0)
            ::close(m_fd);
        local = sockaddress::withPort(sockaddress::ipv4Address(htonl(INADDR_ANY)), port);
        m_fd = newStreamSocket(AF_INET);
        if (m_fd >= 0)
            ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        bound = m_fd >= 0 && bindLocal();
    }
    if (!bound)
        throw ESockException("Listen - Error Binding Socket");
    if (::listen(m_fd, ListenBacklog) != 0)
        throw ESockException("Listen - Error Starting Listen");
    m_state = State::Listening;
    applyMode();
    info(siListen, QStringLiteral("Listening Started"));
}

quint16 TSock::boundPort() const
{
    if (m_fd < 0)
        return 0;
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (::getsockname(m_fd, reinterpret_cast<sockaddr *>(&local), &length) != 0)
        return 0;
    if (local.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6 &>(local).sin6_port);
    return ntohs(reinterpret_cast<const sockaddr_in &>(local).sin_port);
}

// Port first, then host, each with its lookup info. Digits-first host names are dotted
// addresses used as they are, IPv6 addresses (with or without brackets) too; other names go
// through the process-wide cache and may give IPv4 and IPv6 addresses.
QList<QByteArray> TSock::resolveTargets()
{
    info(siLookup, QStringLiteral("Lookup Of Port ") + m_portName);
    const in_port_t port = resolvePort(m_portName, m_socketType);
    QList<QByteArray> addresses{sockaddress::ipv4Address(htonl(INADDR_ANY))};
    if (!m_hostName.isEmpty()) {
        info(siLookup, QStringLiteral("Lookup Of Host ") + m_hostName);
        const QString host = sockaddress::unbracketed(m_hostName);
        if (host.contains(QLatin1Char(':'))) {
            addresses = sockaddress::lookUpAddresses(host, AF_INET6, true);
            if (addresses.isEmpty())
                throw ESockException("Host Lookup - Could Not Find Host Entry");
        } else if (startsWithDigit(host)) {
            in_addr parsed{};
            if (::inet_aton(host.toLatin1().constData(), &parsed) == 0)
                throw ESockException("Host Lookup - Could Not Find Host Entry");
            addresses = {sockaddress::ipv4Address(parsed.s_addr)};
        } else {
            addresses = lookUpHost(host);
        }
    }
    for (QByteArray &address : addresses)
        address = sockaddress::withPort(address, port);
    return addresses;
}

bool TSock::Open()
{
    if (m_fd >= 0)
        return m_state == State::Connected;
    // Resolve before creating the handle, so a failed lookup leaves the component closed.
    m_targets = resolveTargets();
    connectNext();
    return m_state == State::Connected;
}

// Starts a connect to the next address not yet tried. A failure at once moves on to the
// address after it; the last one's failure is reported.
void TSock::connectNext()
{
    while (!m_targets.isEmpty()) {
        const QByteArray target = m_targets.takeFirst();
        const sockaddr_storage storage = sockaddress::storageOf(target);
        const auto *address = reinterpret_cast<const sockaddr *>(&storage);
        m_fd = newStreamSocket(address->sa_family);
        if (m_fd < 0) {
            if (m_targets.isEmpty())
                errorInfo(errno);
            continue;
        }
        m_state = State::Connecting;
        m_watchStopped = false;
        applyMode();
        if (::connect(m_fd, address, socklen_t(target.size())) == 0 || errno == EINPROGRESS)
            return;
        const int err = errno;
        if (m_targets.isEmpty()) {
            reportConnectFailureLater(err);
            return;
        }
        const QByteArray waiting = m_sendBuffer; // data given to Send goes to whichever address answers
        closeHandle();
        m_sendBuffer = waiting;
    }
}

// A connect that fails at once reports like one that fails later: as an event.
void TSock::reportConnectFailureLater(int err)
{
    stopWatching();
    QPointer<TSock> self(this);
    const int fd = m_fd;
    QMetaObject::invokeMethod(
        this,
        [self, fd, err] {
            if (self && self->m_fd == fd && self->m_state == State::Connecting)
                self->runEvent([&] { self->errorInfo(err); });
        },
        Qt::QueuedConnection);
}

bool TSock::Close()
{
    const bool wasListening = m_state == State::Listening;
    m_targets.clear(); // a connect being made ends here, at whichever address it had come to
    const bool result = closeHandle();
    try {
        if (!wasListening)
            info(siClose, QStringLiteral("Socket Closed"));
    } catch (...) {
        // Close never raises.
    }
    return result;
}

// Releases the handle and its notifiers; gives no info. True when the OS accepted the close.
bool TSock::closeHandle()
{
    for (QSocketNotifier *notifier : {m_readNotifier, m_writeNotifier}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater(); // may be inside its own activation right now
        }
    }
    m_readNotifier = nullptr;
    m_writeNotifier = nullptr;
    bool result = true;
    if (m_fd >= 0)
        result = ::close(m_fd) == 0;
    m_fd = -1;
    m_state = State::Idle;
    m_watchStopped = false;
    m_sendBuffer.clear();
    return result;
}

bool TSock::Send(const QByteArray &text)
{
    if (m_fd < 0)
        throw ESockException("Send - Socket Not Connected");
    if (m_state == State::Listening)
        throw ESockException("Send - Cannot Send On A Listener Socket");
    m_sendBuffer.append(text);
    if (m_sendBuffer.isEmpty())
        return true;
    info(siSend, QStringLiteral("Non-Blocking Outgoing Data"));
    pushSendBuffer();
    return true;
}

// One send of the whole buffer; whatever the OS does not take waits for the write event.
void TSock::pushSendBuffer()
{
    if (m_fd < 0 || m_state == State::Connecting || m_sendBuffer.isEmpty()) {
        updateWriteWatch();
        return;
    }
    const ssize_t sent =
        ::send(m_fd, m_sendBuffer.constData(), size_t(m_sendBuffer.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent > 0) {
        m_sendBuffer.remove(0, sent);
        // A burst to a slow reader must not keep its buffer for the connection's life.
        if (m_sendBuffer.isEmpty())
            m_sendBuffer.clear();
    } else if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        const int err = errno;
        stopWatching();
        errorInfo(err);
        return;
    }
    updateWriteWatch();
}

QByteArray TSock::Receive(int count)
{
    if (m_fd < 0 && m_receiveBuffer.isEmpty())
        throw ESockException("Receive - Socket Not Connected");
    if (m_state == State::Listening)
        throw ESockException("Receive - Cannot Receive On A Listener Socket");
    if (count < 0 || count >= m_receiveBuffer.size()) {
        QByteArray all;
        all.swap(m_receiveBuffer);
        return all;
    }
    QByteArray front = m_receiveBuffer.left(count);
    m_receiveBuffer.remove(0, count);
    return front;
}

bool TSock::Accept(TSock *&NewSock)
{
    if (m_state != State::Listening)
        throw ESockException("Accept - Socket Not In Listening Mode");
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    const int fd = ::accept4(m_fd, reinterpret_cast<sockaddr *>(&peer), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (m_readNotifier)
        m_readNotifier->setEnabled(true); // the next pending connection may be announced
    if (fd < 0) {
        info(siAccept, QStringLiteral("Could Not Accept Connection"));
        return false;
    }
    auto *sock = new TSock(this);
    sock->m_fd = fd;
    sock->m_socketType = m_socketType;
    sock->BlockingTimeout = BlockingTimeout;
    sock->OnRead = OnRead;
    sock->OnWrite = OnWrite;
    sock->OnDisconnect = OnDisconnect;
    sock->OnInfo = OnInfo;
    sock->m_state = State::Connected;
    sock->applyMode();
    sock->setPortName(m_portName);
    sock->setHostName(sockaddress::peerText(peer));
    info(siAccept, QStringLiteral("Created New TSock Structure"));
    NewSock = sock;
    return true;
}

QString TSock::errorText(int wsaCode)
{
    return QStringLiteral("Error #") + QString::number(wsaCode) + QStringLiteral(" (") + errorName(wsaCode)
           + QStringLiteral(")");
}

QString TSock::errorName(int wsaCode)
{
    return sockerrors::errorName(wsaCode);
}

int TSock::wsaCodeFromErrno(int err)
{
    return sockerrors::wsaCodeFromErrno(err);
}

void TSock::info(TSocketInfo kind, const QString &msg)
{
    if (!OnInfo)
        return;
    try {
        OnInfo(this, kind, msg);
    } catch (...) {
        throw ESockException("Error here");
    }
}

void TSock::errorInfo(int err)
{
    info(siError, errorText(wsaCodeFromErrno(err)));
}

// Watches the handle: a listener for pending connections, a connection for incoming
// data and (while a connect is pending or data waits) for room to send.
void TSock::applyMode()
{
    if (m_fd < 0 || m_readNotifier)
        return;
    m_readNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, [this] { runEvent([this] { onReadable(); }); });
    if (m_state == State::Listening)
        return;
    m_readNotifier->setEnabled(m_state != State::Connecting);
    m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] { runEvent([this] { onWritable(); }); });
    updateWriteWatch();
}

void TSock::updateWriteWatch()
{
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_watchStopped && (m_state == State::Connecting || !m_sendBuffer.isEmpty()));
}

// After an error event the owner decides what happens; until then nothing more is raised.
void TSock::stopWatching()
{
    m_watchStopped = true;
    if (m_readNotifier)
        m_readNotifier->setEnabled(false);
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
}

void TSock::runEvent(const std::function<void()> &work)
{
    try {
        work();
    } catch (const std::exception &e) {
        qWarning("TSock event handler raised: %s", e.what());
    } catch (...) {
        qWarning("TSock event handler raised an unknown exception");
    }
}

void TSock::onReadable()
{
    if (m_fd < 0 || m_watchStopped)
        return;
    if (m_state == State::Listening)
        acceptEvent();
    else
        readEvent();
}

void TSock::onWritable()
{
    if (m_fd < 0 || m_watchStopped)
        return;
    if (m_state == State::Connecting)
        connectEvent();
    else
        writeEvent();
}

// A pending connection is announced once; the announcement comes again after Accept.
void TSock::acceptEvent()
{
    m_readNotifier->setEnabled(false);
    if (OnAccept)
        OnAccept(this);
}

void TSock::connectEvent()
{
    int err = 0;
    socklen_t length = sizeof err;
    if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &err, &length) != 0)
        err = errno;
    if (err != 0 && !m_targets.isEmpty()) {
        const QByteArray waiting = m_sendBuffer;
        closeHandle();
        m_sendBuffer = waiting;
        connectNext();
        return;
    }
    if (err != 0) {
        stopWatching();
        errorInfo(err);
        return;
    }
    m_targets.clear();
    m_state = State::Connected;
    m_readNotifier->setEnabled(true);
    updateWriteWatch(); // data given to Send meanwhile leaves with the next write event
    QPointer<TSock> self(this);
    info(siConnect, QStringLiteral("Non-Blocking Socket Connected"));
    if (self && OnConnect)
        OnConnect(this);
}

void TSock::readEvent()
{
    char chunk[ReadChunk];
    const ssize_t got = ::recv(m_fd, chunk, sizeof chunk, MSG_DONTWAIT);
    if (got < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            return;
        const int err = errno;
        stopWatching();
        errorInfo(err);
        return;
    }
    QPointer<TSock> self(this);
    if (got == 0) {
        m_readNotifier->setEnabled(false);
        if (OnDisconnect)
            OnDisconnect(this);
        if (self)
            Close();
        return;
    }
    m_receiveBuffer.append(chunk, got);
    info(siReceive, QStringLiteral("Non-Blocking Incoming Data"));
    if (self && OnRead)
        OnRead(this, int(qMin<qsizetype>(m_receiveBuffer.size(), INT_MAX)));
}

void TSock::writeEvent()
{
    QPointer<TSock> self(this);
    if (!m_sendBuffer.isEmpty())
        Send(QByteArray());
    if (!self || m_fd < 0 || m_watchStopped)
        return;
    info(siSend, QStringLiteral("Non-Blocking Outgoing Data"));
    if (self && OnWrite)
        OnWrite(this);
}
