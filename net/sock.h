// TSock: a non-blocking TCP socket component whose events arrive on the GUI thread.
#pragma once

#include <QByteArray>
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
class TSock : public QObject
{
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TSock *Sender)>;
    using TNotifyInfoEvent = std::function<void(TSock *sender, TSocketInfo SocketInfo, const QString &Msg)>;
    using TNotifyReadEvent = std::function<void(TSock *Sender, int Count)>;

    explicit TSock(QObject *parent = nullptr);
    ~TSock() override; // closes a listening or connected socket first

    TSocketType SocketType() const { return m_socketType; }
    void setSocketType(TSocketType type);
    QString HostName() const { return m_hostName; }
    void setHostName(const QString &name);
    QString PortName() const { return m_portName; }
    void setPortName(const QString &name);
    bool Listen() const { return m_listen; }
    void setListen(bool on);
    bool Blocking() const { return false; } // only non-blocking mode exists
    bool Connected() const { return m_connected; }
    bool hasHandle() const { return m_fd >= 0; }

    TLineBreak LineBreak = TLineBreak::lbSmart; // stored only; nothing reads it
    int BlockingTimeout = 0;                    // stored only
    int Tag = 0;                                // free for the owner (the host keeps the entry index)

    // The local port the socket is bound to (0 when none); lets a listener use port "0".
    quint16 boundPort() const;
    // Bytes given to Send that the operating system has not taken yet.
    qsizetype sendBufferSize() const { return m_sendBuffer.size(); }

    bool Open();
    bool Close();
    bool Send(const QByteArray &text);
    QByteArray Receive(int count = -1);
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
    // implementation details are the socket layer's own
    void info(TSocketInfo kind, const QString &msg);
    void applyMode();
    void onReadable();
    void onWritable();
    void pushSendBuffer();
    void setWriteWatch(bool on);

    TSocketType m_socketType = TSocketType::stStream;
    QString m_hostName;
    QString m_portName;
    int m_fd = -1;
    bool m_listen = false;
    bool m_connected = false;
    bool m_connecting = false;
    QByteArray m_receiveBuffer;
    QByteArray m_sendBuffer;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
};
