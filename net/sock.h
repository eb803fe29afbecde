// TSock: a non-blocking TCP socket component whose events arrive on the GUI thread.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <stdexcept>

class QSocketNotifier;

enum class TSocketType { stStream, stDatagram };
enum class TLineBreak { lbCRLF, lbCR, lbLF, lbSmart };
enum TSocketInfo { siLookup, siConnect, siClose, siListen, siReceive, siSend, siAccept, siError };

// Misuse of the component; carries only its message text.
class ESockException : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// One object per TCP socket: a listener that hands out one owned TSock per accepted
// connection, or an outgoing/accepted connection with buffered Send and Receive.
// Every byte value passes through unchanged. Events are the assignable handlers below;
// an accepted socket gets copies of the listener's OnRead, OnWrite, OnDisconnect, OnInfo.
// Events come from the Qt event loop of the thread that owns the object. A handler may
// Send or Close re-entrantly; it must not delete the object directly (use deleteLater).
// An exception that a handler lets out of an event ends that event and is logged with
// qWarning: nothing leaves a Qt event handler. After an error event (siError info) the
// socket stays open but raises nothing more; its owner decides to Close it.
class TSock : public QObject
{
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TSock *Sender)>;
    using TNotifyInfoEvent = std::function<void(TSock *sender, TSocketInfo SocketInfo, const QString &Msg)>;
    using TNotifyReadEvent = std::function<void(TSock *Sender, int Count)>;

    explicit TSock(QObject *parent = nullptr);
    // Closes a listening or connected socket first, silently: no handler is called, since
    // the owner may already be half destroyed.
    ~TSock() override;

    TSocketType SocketType() const { return m_socketType; }
    void setSocketType(TSocketType type);
    QString HostName() const { return m_hostName; }
    void setHostName(const QString &name);
    QString PortName() const { return m_portName; }
    void setPortName(const QString &name);
    bool Listen() const { return m_state == State::Listening; }
    // Listening binds HostName: empty binds every address, IPv4 and IPv6 on one handle (only
    // IPv4 where the machine has no IPv6); a dotted address binds only that one
    // ("127.0.0.1" keeps it on this machine); an IPv6 address ("::1", "[::1]") binds that.
    void setListen(bool on);
    bool Blocking() const { return false; } // only non-blocking mode exists
    bool Connected() const { return m_state == State::Connected; }
    bool hasHandle() const { return m_fd >= 0; }

    TLineBreak LineBreak = TLineBreak::lbSmart; // stored only; nothing reads it
    int BlockingTimeout = 0;                    // stored only
    int Tag = 0;                                // free for the owner (the host keeps the entry index)

    // The local port the socket is bound to (0 when none); lets a listener use port "0".
    quint16 boundPort() const;
    // Bytes given to Send that the operating system has not taken yet.
    qsizetype sendBufferSize() const { return m_sendBuffer.size(); }

    // Starts connecting to HostName:PortName and returns the connected flag (false); the
    // outcome arrives as OnConnect or as an siError info. Raises on a failed lookup. A name
    // with several addresses (IPv4 and IPv6) is tried address by address, in the order the
    // lookup gave them; only the last one's failure is reported.
    bool Open();
    // Closes the handle; info "Socket Closed" unless listening. Never raises.
    bool Close();
    // Queues the bytes and makes one attempt to send; the rest leaves with write events
    // (also when called before the connection is up).
    bool Send(const QByteArray &text);
    // Takes count bytes (-1: all) from the front of the receive buffer; works after a
    // close until the buffer is empty.
    QByteArray Receive(int count = -1);
    // Accepts one pending connection as a new TSock owned by this listener. Its HostName is
    // the peer's address: dotted for IPv4, also when it came as an IPv4-mapped IPv6
    // address (::ffff:a.b.c.d) to a listener on both; IPv6 in its textual form ("::1").
    bool Accept(TSock *&NewSock);

    TNotifyEvent OnConnect;
    TNotifyEvent OnDisconnect;
    TNotifyInfoEvent OnInfo;
    TNotifyReadEvent OnRead;
    TNotifyEvent OnWrite;
    TNotifyEvent OnAccept;

    // "Error #" + code + " (" + name + ")" for a Windows-Sockets-style code.
    static QString errorText(int wsaCode);
    // The Windows Sockets constant name for a code, or "UNKNOWN ERROR".
    static QString errorName(int wsaCode);
    // errno mapped by name to the Windows Sockets code of the same name (10000 + BSD number).
    static int wsaCodeFromErrno(int err);

private:
    // What the handle is doing. A handle whose bind failed stays open in Idle, so a second
    // attempt is told the socket is in use.
    enum class State { Idle, Listening, Connecting, Connected };

    // An event's work, with exceptions kept inside: nothing may leave a Qt event handler.
    void runEvent(const std::function<void()> &work);
    void info(TSocketInfo kind, const QString &msg);
    void errorInfo(int err);
    void startListening();
    QList<QByteArray> resolveTargets();
    void connectNext();
    void reportConnectFailureLater(int err);
    void applyMode();
    void onReadable();
    void onWritable();
    void acceptEvent();
    void connectEvent();
    void readEvent();
    void writeEvent();
    void pushSendBuffer();
    void updateWriteWatch();
    void stopWatching();
    bool closeHandle();

    TSocketType m_socketType = TSocketType::stStream;
    QString m_hostName;
    QString m_portName;
    int m_fd = -1;
    State m_state = State::Idle;
    bool m_watchStopped = false; // an error event ended the watching of this handle
    QByteArray m_receiveBuffer;
    QByteArray m_sendBuffer;
    QList<QByteArray> m_targets; // addresses (raw socket addresses) not yet tried by Open
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
};
