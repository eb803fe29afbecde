#include "singleinstance.h"

#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr char RaiseRequest[] = "raise\n";
constexpr qsizetype MaxRequestBytes = 64; // a peer sending more is not one of ours

// The socket address of path; false when the path does not fit.
bool socketAddress(const QString &path, sockaddr_un &address)
{
    const QByteArray bytes = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (bytes.isEmpty() || size_t(bytes.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
    return true;
}

} // namespace

SingleInstance::SingleInstance(const QString &name, QObject *parent)
    : SingleInstance(name, QString(), parent)
{
}

SingleInstance::SingleInstance(const QString &name, const QString &folder, QObject *parent)
    : QObject(parent)
    , m_name(name)
    , m_lock(name, NamedLock::Mode::Exclusive, folder)
{
}

SingleInstance::~SingleInstance()
{
    while (!m_peers.empty())
        closePeer(m_peers.begin()->first);
    delete m_listenNotifier;
    if (m_listener >= 0)
        ::close(m_listener);
}

QString SingleInstance::serverPath() const
{
    return m_lock.folder() + QLatin1Char('/') + m_name + QStringLiteral(".sock");
}

bool SingleInstance::tryAcquire()
{
    if (!m_lock.tryLock()) {
        if (m_lock.heldByAnother())
            return false;
        qWarning("The check for another running copy is not possible (no private folder for %s): "
                 "this copy runs without it.",
                 qPrintable(m_lock.filePath()));
        return true;
    }
    if (m_listener < 0)
        listen();
    return true;
}

// Without a listening socket the copy still runs; a later copy then only fails to raise it.
void SingleInstance::listen()
{
    sockaddr_un address;
    if (!socketAddress(serverPath(), address))
        return;
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listener < 0)
        return;
    // Holding the lock means any socket file left behind belongs to a dead copy.
    ::unlink(address.sun_path);
    const mode_t mask = ::umask(077); // the socket file is the user's alone from the start
    const bool bound = ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::umask(mask);
    if (!bound || ::listen(m_listener, 8) != 0) {
        ::close(m_listener);
        m_listener = -1;
        return;
    }
    m_listenNotifier = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_listenNotifier, &QSocketNotifier::activated, this, &SingleInstance::onNewConnection);
}

bool SingleInstance::askRunningCopyToRaise(int timeoutMs)
{
    sockaddr_un address;
    if (!socketAddress(serverPath(), address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    const bool sent =
        ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && ::send(fd, RaiseRequest, sizeof RaiseRequest - 1, MSG_NOSIGNAL) == ssize_t(sizeof RaiseRequest - 1);
    ::close(fd);
    return sent;
}

void SingleInstance::onNewConnection()
{
    while (true) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return; // EAGAIN: none left (or a passing error; the notifier fires again)
        Peer &peer = m_peers[fd];
        peer.notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(peer.notifier, &QSocketNotifier::activated, this, [this, fd] { onPeerReadable(fd); });
    }
}

void SingleInstance::onPeerReadable(int fd)
{
    char buffer[MaxRequestBytes];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        closePeer(fd);
        return;
    }
    Peer &peer = m_peers[fd];
    peer.received.append(buffer, n);
    if (peer.received.contains("raise")) {
        closePeer(fd);
        Q_EMIT raiseRequested();
    } else if (peer.received.size() > MaxRequestBytes) {
        closePeer(fd);
    }
}

void SingleInstance::closePeer(int fd)
{
    const auto it = m_peers.find(fd);
    if (it == m_peers.end())
        return;
    it->second.notifier->setEnabled(false);
    it->second.notifier->deleteLater(); // it may be delivering the event that led here
    m_peers.erase(it);
    ::close(fd);
}
