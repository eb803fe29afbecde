#include "clientconnection.h"

#include "errorguard.h"
#include "protocol.h"

ClientConnection::ClientConnection(MessageBoxes &boxes, QObject *parent)
    : QObject(parent)
    , m_boxes(boxes)
{
    sock.setPortName(QString::number(GamePort));
    sock.OnConnect = [this](TSock *) {
        m_connected = true;
        Q_EMIT connected();
    };
    sock.OnRead = [this](TSock *s, int count) { guarded(m_boxes, [&] { sockRead(s, count); }); };
    sock.OnInfo = [this](TSock *s, TSocketInfo info, const QString &msg) {
        guarded(m_boxes, [&] { sockInfo(s, info, msg); });
    };
    Sock11.setHostName(QStringLiteral("127.0.0.1"));
    m_queueTimer.setInterval(QueueTickMs);
    connect(&m_queueTimer, &QTimer::timeout, this, [this] { guarded(m_boxes, [this] { Timer1Timer(); }); });
}

void ClientConnection::setDispatcher(std::function<void(const QByteArray &)> dispatcher)
{
    m_dispatcher = std::move(dispatcher);
}

void ClientConnection::open(const QString &host, quint16 port)
{
    sock.setHostName(host);
    sock.setPortName(QString::number(port));
    sock.Open();
}

void ClientConnection::openLobbyLink()
{
    Sock11.setPortName(QString::number(m_lobbyPort));
    Sock11.Open();
}

bool ClientConnection::send(const QByteArray &message)
{
    if (!sock.Connected())
        return false;
    return sock.Send(protocol::frame(message));
}

void ClientConnection::sockRead(TSock *sender, int)
{
    const QList<QByteArray> messages = m_framer.feed(sender->Receive());
    if (m_framer.overflowed()) {
        // A host that never ends its message is broken; closing ends the game like a quit.
        sender->Close();
        return;
    }
    if (messages.isEmpty())
        return;
    m_receivedlist.append(messages);
    if (!m_queueTimer.isActive())
        m_queueTimer.start();
}

void ClientConnection::sockInfo(TSock *, TSocketInfo info, const QString &msg)
{
    if (msg == QLatin1String("Socket Closed")) {
        if (m_receivedlist.isEmpty())
            Q_EMIT socketClosed();
        else
            m_closePending = true; // the queue timer acts on it after the last line
        return;
    }
    if (info != siError || m_errorReported)
        return;
    m_errorReported = true;
    m_error = msg;
    if (m_connected)
        Q_EMIT connectionLost();
    else
        Q_EMIT connectFailed();
}

void ClientConnection::Timer1Timer()
{
    processsocktimer();
    if (!m_receivedlist.isEmpty())
        return;
    m_queueTimer.stop();
    if (m_closePending) {
        m_closePending = false;
        Q_EMIT socketClosed();
    }
}

void ClientConnection::processsocktimer()
{
    if (m_receivedlist.isEmpty())
        return;
    const QByteArray line = m_receivedlist.takeFirst();
    ++m_dispatched;
    // A copy: the line may hand this connection to a new owner, who sets its own dispatcher.
    const auto dispatcher = m_dispatcher;
    if (dispatcher)
        dispatcher(line);
}
