#include "hostclient.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

HostClient::HostClient(quint16 port, int receiveBuffer)
{
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        throw std::runtime_error("socket failed");
    if (receiveBuffer > 0)
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(m_fd);
        m_fd = -1;
        throw std::runtime_error("connect failed");
    }
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
}

HostClient::~HostClient()
{
    close();
}

void HostClient::send(const QByteArray &bytes)
{
    m_out.append(bytes);
    poll();
}

void HostClient::sendMessage(const QByteArray &message)
{
    send(message + char(0xFF));
}

void HostClient::poll()
{
    if (m_fd < 0)
        return;
    while (!m_out.isEmpty()) {
        const ssize_t n = ::send(m_fd, m_out.constData(), size_t(m_out.size()), MSG_NOSIGNAL);
        if (n <= 0)
            break; // full, or the host has closed us; the bytes stay queued
        m_out.remove(0, n);
    }
    while (m_reading && !m_eof) {
        char buffer[65536];
        qint64 room = qint64(sizeof buffer);
        if (m_readRate > 0)
            room = qMin(room, m_readAtRateStart + m_readRate * m_rateClock.elapsed() / 1000 - m_bytesRead);
        if (room <= 0)
            break;
        const ssize_t n = ::recv(m_fd, buffer, size_t(room), 0);
        if (n > 0) {
            m_pending.append(buffer, n);
            m_bytesRead += n;
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            m_eof = true;
        break;
    }
    qsizetype end;
    while ((end = m_pending.indexOf(char(0xFF))) >= 0) {
        m_messages.append(m_pending.left(end));
        m_pending.remove(0, end + 1);
    }
}

void HostClient::setReadRate(qint64 bytesPerSecond)
{
    m_readRate = bytesPerSecond;
    m_readAtRateStart = m_bytesRead;
    m_rateClock.start();
}

void HostClient::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void HostClient::resetClose()
{
    if (m_fd < 0)
        return;
    const linger abortive{1, 0};
    ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    close();
}

QList<QByteArray> HostClient::withPrefix(const QByteArray &prefix) const
{
    QList<QByteArray> found;
    for (const QByteArray &m : m_messages) {
        if (m.startsWith(prefix))
            found.append(m);
    }
    return found;
}

int HostClient::seat() const
{
    const QList<QByteArray> login = withPrefix("CMD_sendlogininfo+");
    return login.isEmpty() ? 0 : login.first().mid(18).toInt();
}
