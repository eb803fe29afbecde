#include "boundedhttp.h"

#include <QElapsedTimer>
#include <QUrl>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

class Socket
{
public:
    Socket()
        : m_fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0))
    {
    }
    ~Socket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// Waits until fd is ready for events or the deadline passes; false on time-out or error.
bool waitFor(int fd, short events, const QElapsedTimer &clock, int deadlineMs)
{
    for (;;) {
        const qint64 left = deadlineMs - clock.elapsed();
        if (left <= 0)
            return false;
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, static_cast<int>(left));
        if (r > 0)
            return true;
        if (r == 0 || errno != EINTR)
            return false;
    }
}

// The Content-Length of a head, -1 when it has none; chunked tells whether the body is chunked.
qsizetype contentLength(const QByteArray &head, bool &chunked)
{
    chunked = false;
    qsizetype length = -1;
    for (const QByteArray &line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-length") {
            bool ok = false;
            const qlonglong n = value.toLongLong(&ok);
            length = ok && n >= 0 ? n : -1;
        } else if (name == "transfer-encoding" && value.toLower().contains("chunked")) {
            chunked = true;
        }
    }
    return chunked ? -1 : length;
}

} // namespace

HttpAnswer BoundedHttp::get(const QByteArray &url, int deadlineMs, qsizetype maxBytes)
{
    return exchange(url, "GET", {}, {}, deadlineMs, maxBytes);
}

HttpAnswer BoundedHttp::post(const QByteArray &url, const QByteArray &action, const QByteArray &body,
                             int deadlineMs, qsizetype maxBytes)
{
    const QByteArray headers = "Content-Type: text/xml; charset=\"utf-8\"\r\nSOAPAction: \"" + action
                               + "\"\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n";
    return exchange(url, "POST", headers, body, deadlineMs, maxBytes);
}

HttpAnswer BoundedHttp::exchange(const QByteArray &url, const QByteArray &method, const QByteArray &headers,
                                 const QByteArray &body, int deadlineMs, qsizetype maxBytes)
{
    HttpAnswer answer;
    const QUrl parsed(QString::fromLatin1(url), QUrl::StrictMode);
    in_addr host{};
    const QByteArray hostText = parsed.host().toLatin1();
    if (!parsed.isValid() || parsed.scheme() != QLatin1String("http") || hostText.isEmpty()
        || ::inet_pton(AF_INET, hostText.constData(), &host) != 1) {
        answer.problem = QStringLiteral("its address is not an http:// address with an IPv4 number");
        return answer;
    }
    const int port = parsed.port(80);
    QByteArray path = parsed.path(QUrl::FullyEncoded).toLatin1();
    if (path.isEmpty())
        path = "/";
    if (parsed.hasQuery())
        path += "?" + parsed.query(QUrl::FullyEncoded).toLatin1();

    QElapsedTimer clock;
    clock.start();
    Socket socket;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<quint16>(port));
    to.sin_addr = host;
    if (socket.fd() < 0
        || (::connect(socket.fd(), reinterpret_cast<const sockaddr *>(&to), sizeof to) != 0
            && errno != EINPROGRESS)) {
        answer.problem = QStringLiteral("nothing answered at %1").arg(QString::fromLatin1(url.left(80)));
        return answer;
    }
    if (!waitFor(socket.fd(), POLLOUT, clock, deadlineMs)) {
        answer.problem = QStringLiteral("it took too long to answer");
        return answer;
    }
    int error = 0;
    socklen_t errorSize = sizeof error;
    if (::getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &error, &errorSize) != 0 || error != 0) {
        answer.problem = QStringLiteral("nothing answered at %1").arg(QString::fromLatin1(url.left(80)));
        return answer;
    }
    sockaddr_in local{};
    socklen_t localSize = sizeof local;
    char localText[INET_ADDRSTRLEN] = {};
    if (::getsockname(socket.fd(), reinterpret_cast<sockaddr *>(&local), &localSize) == 0
        && ::inet_ntop(AF_INET, &local.sin_addr, localText, sizeof localText))
        answer.localAddress = QString::fromLatin1(localText);

    const QByteArray request = method + " " + path + " HTTP/1.1\r\nHost: " + hostText + ":"
                               + QByteArray::number(port) + "\r\nConnection: close\r\n" + headers + "\r\n" + body;
    for (qsizetype sent = 0; sent < request.size();) {
        if (!waitFor(socket.fd(), POLLOUT, clock, deadlineMs)) {
            answer.problem = QStringLiteral("it took too long to answer");
            return answer;
        }
        const ssize_t n = ::send(socket.fd(), request.constData() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            answer.problem = QStringLiteral("the connection broke");
            return answer;
        }
        sent += n > 0 ? n : 0;
    }

    QByteArray raw;
    char buffer[16 * 1024];
    qsizetype wanted = -1; // the whole answer's size once its head tells it
    bool chunked = false;  // then the last chunk tells where it ends
    for (;;) {
        if (wanted >= 0 && raw.size() >= wanted)
            break;
        HttpAnswer whole;
        if (chunked && raw.endsWith("\r\n\r\n") && parse(raw, whole))
            break; // a router that keeps the connection open all the same
        if (!waitFor(socket.fd(), POLLIN, clock, deadlineMs)) {
            answer.problem = QStringLiteral("it took too long to answer");
            return answer;
        }
        const ssize_t n = ::recv(socket.fd(), buffer, sizeof buffer, 0);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR)
                continue;
            answer.problem = QStringLiteral("the connection broke");
            return answer;
        }
        if (raw.size() + n > maxBytes) {
            answer.problem = QStringLiteral("its answer was too long (more than %1 kB)").arg(maxBytes / 1024);
            return answer;
        }
        raw.append(buffer, n);
        const qsizetype headEnd = raw.indexOf("\r\n\r\n");
        if (wanted < 0 && headEnd >= 0) {
            const qsizetype length = contentLength(raw.left(headEnd), chunked);
            if (length >= 0)
                wanted = headEnd + 4 + length;
        }
    }
    if (!parse(raw, answer))
        answer.problem = QStringLiteral("its answer was not HTTP");
    return answer;
}

bool BoundedHttp::parse(const QByteArray &raw, HttpAnswer &answer)
{
    const qsizetype headEnd = raw.indexOf("\r\n\r\n");
    if (headEnd < 0 || !raw.startsWith("HTTP/1."))
        return false;
    const QByteArray head = raw.left(headEnd);
    bool ok = false;
    const int status = head.mid(9, 3).toInt(&ok);
    if (!ok || status < 100 || status > 599)
        return false;
    bool chunked = false;
    const qsizetype length = contentLength(head, chunked);
    QByteArray body = raw.mid(headEnd + 4);
    if (chunked) {
        QByteArray plain;
        if (!unchunk(body, plain))
            return false;
        body = plain;
    } else if (length >= 0) {
        if (body.size() < length)
            return false; // the connection ended early
        body.truncate(length);
    }
    answer.status = status;
    answer.body = body;
    return true;
}

bool BoundedHttp::unchunk(const QByteArray &chunked, QByteArray &body)
{
    body.clear();
    qsizetype at = 0;
    for (;;) {
        const qsizetype lineEnd = chunked.indexOf("\r\n", at);
        if (lineEnd < 0)
            return false;
        QByteArray sizeText = chunked.mid(at, lineEnd - at);
        const qsizetype extension = sizeText.indexOf(';');
        if (extension >= 0)
            sizeText.truncate(extension);
        bool ok = false;
        const qlonglong size = sizeText.trimmed().toLongLong(&ok, 16);
        if (!ok || size < 0 || size > chunked.size())
            return false;
        at = lineEnd + 2;
        if (size == 0)
            return true;
        if (at + size > chunked.size())
            return false;
        body.append(chunked.constData() + at, size);
        at += size + 2; // the chunk's closing CRLF
    }
}
