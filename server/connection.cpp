#include "connection.h"

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

Connection::Connection(int fd, const AddressKey &key)
    : m_fd(fd)
    , m_key(key)
{
}

Connection::~Connection()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

// Sends as much of data as the socket takes now: the bytes sent, or -1 when it failed.
qsizetype Connection::sendSome(const char *data, qsizetype size)
{
    qsizetype done = 0;
    while (done < size) {
        const ssize_t n = ::send(m_fd, data + done, std::size_t(size - done), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        return -1;
    }
    return done;
}

qsizetype Connection::write(const char *data, qsizetype size)
{
    qsizetype done = 0;
    if (unsent() == 0) {
        done = sendSome(data, size);
        if (done < 0)
            return -1;
    }
    if (done == size)
        return 0;
    m_out.append(data + done, size - done);
    return size - done;
}

qsizetype Connection::flush()
{
    const qsizetype before = unsent();
    const qsizetype sent = sendSome(m_out.constData() + m_sent, unsent());
    if (sent < 0)
        return -1;
    m_sent += sent;
    if (unsent() == 0) {
        m_out = QByteArray();
        m_sent = 0;
    } else if (m_sent > 64 * 1024 && m_sent > m_out.size() / 2) {
        m_out.remove(0, m_sent);
        m_sent = 0;
    }
    return before - unsent();
}
