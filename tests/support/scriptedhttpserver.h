// A scripted HTTP/1.0 server on 127.0.0.1 (ephemeral port, same thread) for tests of
// code that downloads: each request is answered from a script by its path, then closed.
#pragma once

#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace scriptedhttp {

// What the server sends for one path.
struct Reply
{
    QByteArray head; // status line and headers, CR LF between, no blank line
    QByteArray body;
    int piece = 0;           // bytes per write; 0 sends the body at once
    int pauseMs = 0;         // between pieces
    qsizetype cutAfter = -1; // close after this many body bytes (-1: the whole body)
    bool silent = false;     // send nothing at all, keep the connection open
};

// Answers each connection from the script, then closes it (HTTP/1.0 style).
class ScriptedServer : public QObject
{
public:
    QMap<QByteArray, Reply> replies; // by request path
    QList<QByteArray> requests;      // each request as received, up to the blank line

    ScriptedServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, &ScriptedServer::onNewConnection);
    }
    QString url(const QByteArray &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(QString::fromLatin1(path));
    }

    // Cuts every open connection at once.
    void dropAll()
    {
        for (QTcpSocket *socket : m_server.findChildren<QTcpSocket *>())
            socket->abort();
    }

private:
    void onNewConnection()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        }
    }
    void onReadyRead(QTcpSocket *socket)
    {
        QByteArray &buffer = m_pending[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray request = buffer.left(end);
        m_pending.remove(socket);
        requests.append(request);
        const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
        const QByteArray path = words.size() > 1 ? words.at(1) : QByteArray();
        answer(socket, replies.value(path, Reply{"HTTP/1.0 404 Not Found", {}}));
    }
    void answer(QTcpSocket *socket, const Reply &reply)
    {
        if (reply.silent)
            return;
        socket->write(reply.head + "\r\n\r\n");
        const QByteArray body = reply.cutAfter < 0 ? reply.body : reply.body.left(reply.cutAfter);
        if (reply.piece <= 0) {
            socket->write(body);
            socket->disconnectFromHost();
            return;
        }
        auto *timer = new QTimer(socket);
        auto offset = std::make_shared<qsizetype>(0);
        connect(timer, &QTimer::timeout, socket, [socket, timer, body, offset, piece = reply.piece] {
            if (socket->state() != QAbstractSocket::ConnectedState)
                return timer->stop();
            socket->write(body.mid(*offset, piece));
            *offset += piece;
            if (*offset < body.size())
                return;
            timer->stop();
            socket->disconnectFromHost();
        });
        timer->start(reply.pauseMs);
    }

    QTcpServer m_server;
    QMap<QTcpSocket *, QByteArray> m_pending;
};

// Bytes of every value, 0 and 0xFF included, in a pattern that shows misplaced pieces.
inline QByteArray patternBody(int size)
{
    QByteArray body(size, '\0');
    for (int i = 0; i < size; ++i)
        body[i] = char((i * 7 + 3) & 0xFF);
    return body;
}

} // namespace scriptedhttp
