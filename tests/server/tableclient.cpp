#include "tableclient.h"

#include <QElapsedTimer>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool toSockaddr(const char *text, quint16 port, sockaddr_storage &out, socklen_t &size)
{
    out = {};
    auto &v4 = reinterpret_cast<sockaddr_in &>(out);
    auto &v6 = reinterpret_cast<sockaddr_in6 &>(out);
    if (::inet_pton(AF_INET, text, &v4.sin_addr) == 1) {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(port);
        size = sizeof v4;
        return true;
    }
    if (::inet_pton(AF_INET6, text, &v6.sin6_addr) == 1) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(port);
        size = sizeof v6;
        return true;
    }
    return false;
}

} // namespace

TableClient::TableClient(const char *address, quint16 port, const char *from)
{
    sockaddr_storage to{};
    socklen_t toSize = 0;
    if (!toSockaddr(address, port, to, toSize))
        return;
    m_fd = ::socket(to.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return;
    sockaddr_storage local{};
    socklen_t localSize = 0;
    if (from
        && (!toSockaddr(from, 0, local, localSize)
            || ::bind(m_fd, reinterpret_cast<sockaddr *>(&local), localSize) != 0)) {
        close();
        return;
    }
    if (::connect(m_fd, reinterpret_cast<sockaddr *>(&to), toSize) != 0)
        close();
}

TableClient::~TableClient()
{
    close();
}

void TableClient::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void TableClient::send(const QByteArray &bytes)
{
    if (m_fd >= 0)
        ::send(m_fd, bytes.constData(), std::size_t(bytes.size()), MSG_NOSIGNAL);
}

void TableClient::readFor(int timeoutMs)
{
    if (m_fd < 0 || m_closed)
        return;
    pollfd p{m_fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0)
        return;
    char buffer[65536];
    const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n > 0)
        m_pending.append(buffer, n);
    else if (n == 0 || (errno != EAGAIN && errno != EINTR))
        m_closed = true;
    qsizetype end;
    while ((end = m_pending.indexOf(char(0xFF))) >= 0) {
        m_messages.append(m_pending.left(end));
        m_pending.remove(0, end + 1);
    }
}

bool TableClient::waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0 || m_fd < 0)
            return done();
        if (m_closed) {
            // Nothing more will come.
            return done();
        }
        readFor(int(std::min<qint64>(left, 50)));
    }
    return true;
}

QByteArray TableClient::waitForPrefix(const QByteArray &prefix, int timeoutMs)
{
    QByteArray found;
    waitFor(
        [&] {
            for (const QByteArray &m : m_messages) {
                if (m.startsWith(prefix)) {
                    found = m;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

QList<QByteArray> TableClient::withPrefix(const QByteArray &prefix) const
{
    QList<QByteArray> found;
    for (const QByteArray &m : m_messages) {
        if (m.startsWith(prefix))
            found.append(m);
    }
    return found;
}
