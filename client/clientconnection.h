// ClientConnection: the client's connection to the host and its receive queue.
#pragma once

#include "ports.h"
#include "messageframer.h"
#include "sock.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>
#include <functional>

class MessageBoxes;

// sock carries the game; Sock11 only holds a connection to the local lobby program.
// Received bytes are cut into messages (kept across reads) and queued in receivedlist;
// the queue timer hands one line per QueueTickMs tick to the dispatcher (Timer1Timer) and
// runs only while lines wait.
// A close that arrives while lines wait is acted on once they have all been handled, so a
// host's last words (that the game is full, before it hangs up) are seen. Every event runs inside the
// error guard.
class ClientConnection : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 GamePort = ports::Game;
    static constexpr quint16 LobbyPort = ports::Lobby;
    static constexpr int QueueTickMs = 1;

    explicit ClientConnection(MessageBoxes &boxes, QObject *parent = nullptr);

    void setPort(quint16 port) { m_port = port; }
    quint16 port() const { return m_port; }
    void setLobbyPort(quint16 port) { m_lobbyPort = port; }
    // Receives each dispatched line (processsocktimer).
    void setDispatcher(std::function<void(const QByteArray &)> dispatcher);

    // Opens sock to host on the game port (non-blocking connect).
    void open(const QString &host, quint16 port);
    // Opens Sock11 to 127.0.0.1 on the lobby port; nothing is ever sent or read on it.
    void openLobbyLink();
    // Sends one message and its terminator; false when not connected.
    bool send(const QByteArray &message);

    void sockRead(TSock *sender, int count);
    void sockInfo(TSock *sender, TSocketInfo info, const QString &msg);
    // One tick of the queue timer: one line dispatched; the timer stops when none is left.
    void Timer1Timer();
    // Takes the oldest queued line and dispatches it; an empty queue does nothing.
    void processsocktimer();

    const QList<QByteArray> &receivedlist() const { return m_receivedlist; }
    bool timerRunning() const { return m_queueTimer.isActive(); }
    // How many lines have been taken from the queue so far.
    quint64 dispatchedCount() const { return m_dispatched; }
    // The socket's error text behind connectFailed or connectionLost; empty before one.
    const QString &lastError() const { return m_error; }

Q_SIGNALS:
    // Emitted when the connection to the host is up (nothing has been sent or read yet).
    void connected();
    // Emitted when the host closed the connection in order ("Socket Closed").
    void socketClosed();
    // Emitted once when an established connection ends with an error.
    void connectionLost();
    // Emitted once when the first connection attempt fails (nothing listens, unreachable).
    void connectFailed();

private:
    MessageBoxes &m_boxes;
    TSock sock;
    TSock Sock11;
    QTimer m_queueTimer;
    MessageFramer m_framer;
    QList<QByteArray> m_receivedlist;
    std::function<void(const QByteArray &)> m_dispatcher;
    quint16 m_port = GamePort;
    quint16 m_lobbyPort = LobbyPort;
    bool m_connected = false;    // the connect event came
    bool m_closePending = false; // "Socket Closed" came while lines were waiting
    bool m_errorReported = false;
    quint64 m_dispatched = 0;
    QString m_error;
};
