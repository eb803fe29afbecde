// Helpers for socket tests: running the event loop until a condition holds, and an
// event recorder that logs every handler call of a TSock in order.
#pragma once

#include "ipv6loopback.h"
#include "sock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QStringList>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// Runs the event loop until pred() holds or timeoutMs passes; returns pred().
template <typename Pred>
bool waitFor(Pred pred, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!pred()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::usleep(200);
    }
    return true;
}

// Runs the event loop for a short while (to see that nothing more happens).
inline void settle(int ms = 100)
{
    waitFor([] { return false; }, ms);
}

inline QString infoLine(TSocketInfo kind, const QString &msg)
{
    return QStringLiteral("info %1 %2").arg(int(kind)).arg(msg);
}

// Logs "connect", "disconnect", "read N", "write", "accept" and "info K text".
struct EventLog
{
    QStringList lines;

    void attach(TSock &sock)
    {
        sock.OnConnect = [this](TSock *) { lines << QStringLiteral("connect"); };
        sock.OnDisconnect = [this](TSock *) { lines << QStringLiteral("disconnect"); };
        sock.OnRead = [this](TSock *, int count) { lines << QStringLiteral("read %1").arg(count); };
        sock.OnWrite = [this](TSock *) { lines << QStringLiteral("write"); };
        sock.OnInfo = [this](TSock *, TSocketInfo kind, const QString &msg) { lines << infoLine(kind, msg); };
    }
    bool contains(const QString &line) const { return lines.contains(line); }
    // Lines that are not the chatter of data moving (read/write/incoming/outgoing).
    QStringList milestones() const
    {
        QStringList out;
        for (const QString &line : lines) {
            if (!line.startsWith(QLatin1String("read")) && line != QLatin1String("write")
                && !line.contains(QLatin1String("Incoming Data"))
                && !line.contains(QLatin1String("Outgoing Data")))
                out << line;
        }
        return out;
    }
};

// The notifier of the given type that a TSock uses for its handle (nullptr if none).
inline QSocketNotifier *notifierOf(TSock &sock, QSocketNotifier::Type type)
{
    for (QSocketNotifier *notifier : sock.findChildren<QSocketNotifier *>()) {
        if (notifier->type() == type)
            return notifier;
    }
    return nullptr;
}

// A port on 127.0.0.1 that nobody listens on (bound briefly, then released).
inline quint16 unusedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}
