// TServer: the hidden game host — listener, connection entries, request queue and dispatcher.
#pragma once

#include "chatrelay.h"
#include "computerplayer.h"
#include "hoststate.h"
#include "logindeadlines.h"
#include "requests.h"
#include "requestqueue.h"
#include "sock.h"
#include "steptimer.h"
#include "turnengine.h"
#include "turnsink.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <array>

// Seats up to nine connections (entries 1 to 4 players, 5 to 9 spectators), queues what they
// send with the connection it came on, and handles one queued request per socktimer tick.
// Everything runs on the thread that owns the object; nothing a peer sends can stop it.
class TServer : public QObject, public TurnSink
{
    Q_OBJECT
public:
    static constexpr int SockTimerMs = 10;
    static constexpr int Timer1Ms = 1000;
    static constexpr qsizetype MaxUnsentBytes = 1024 * 1024; // a peer that stops reading is closed

    explicit TServer(QObject *parent = nullptr);
    ~TServer() override;

    // The listener's port ("7772" unless set; "0" picks a free one). Set before listening.
    void setPortName(const QString &port) { Sock1.setPortName(port); }
    // The dotted address the listener binds ("127.0.0.1" keeps a game on this machine);
    // empty, the default, binds every address. Set before listening.
    void setListenAddress(const QString &address) { Sock1.setHostName(address); }
    QString portName() const { return Sock1.PortName(); }
    // Switches the listener on; throws ESockException (e.g. "Listen - Error Binding Socket").
    void startListening() { Sock1.setListen(true); }
    bool listening() const { return Sock1.Listen(); }
    // The port the listener is bound to; 0 while not listening.
    quint16 listeningPort() const { return Sock1.Listen() ? Sock1.boundPort() : 0; }

    // Scales the socktimer, timer1, computertimer and log-in deadline (tests and tools only).
    void setTimeScale(double scale);
    double timeScale() const { return m_timeScale; }

    HostState &state() { return m_state; }
    const HostState &state() const { return m_state; }
    qsizetype queuedRequests() const { return receivedlist.size(); }
    qsizetype queuedBytes() const { return receivedlist.bytes(); }
    // The entry that holds the hosting player's own connection, 0 when none does.
    int hostingEntry() const;
    bool computerTimerArmed() const { return computertimer.armed(); }
    bool computerTimerRunning() const { return computertimer.running(); }

    // Window events.
    void FormCreate();
    void FormClose();

    // Socket events.
    void Sock1Accept(TSock *Sender);
    void Sock1Read(TSock *Sender, int Count);
    void tempsockDisconnect(TSock *Sender);
    void tempsockInfo(TSock *sender, TSocketInfo SocketInfo, const QString &Msg);

    // Takes one queued request and dispatches it.
    void socktimerTimer();

    // Request handlers, called once the sender may make the request.
    void receivedlogininfo(const protocol::LoginInfo &request);
    void kickhim(const protocol::KickHim &request);
    void botspeed(const protocol::BotSpeed &request);
    void justwatch(const protocol::JustWatch &request);
    void chat(const protocol::ChatRequest &request);
    void action(const protocol::ActionRequest &request);
    void playasound(const protocol::PlaySoundRequest &request);
    void startgame(const protocol::StartGame &request);
    void rollthedice(const protocol::RollTheDice &request);
    void alldone(const protocol::AllDone &request);

    // Closes the connection of entry k if it is connected.
    void disconnectsock(int k);

    // Test and tool seams: drive the dispatcher without sockets. An entry marked connected in
    // state() without a socket takes part like any other; nothing is sent to it.
    // Queues bytes as if they had arrived on entry k's connection.
    void receiveOn(int k, const QByteArray &bytes);
    // Fires the running pause and computer timers once each, as if their intervals had passed.
    void fireTimersNow();
    // Frees entry k as if its connection had closed.
    void connectionClosed(int k);

    // TurnSink
    void broadcast(const QByteArray &message) override;
    void armPauseTimer(int step) override { timer1.arm(Timer1Ms, step); }
    void disablePauseTimer() override { timer1.disable(); }
    void armComputerTimer(int intervalMs, int step) override { computertimer.arm(intervalMs, step); }
    void disableComputerTimer() override { computertimer.disable(); }

Q_SIGNALS:
    // Emitted when a request is dropped: a malformed field, a seat the sender may not speak
    // for, a line from a connection that has closed since, a relay too long for the clients,
    // chat text longer than a chat line, a relay beyond its sender's budget, a second log-in,
    // or a connection closed for flooding, not reading or not logging in.
    void requestDropped(const QString &reason);
    // Emitted when an entry is taken by a new connection or freed.
    void seatsChanged();

private:
    // Reads a request's rest and hands it to its handler when the sender may make it;
    // false when it may not. Throws protocol::ProtocolError for a malformed request.
    using Route = bool (TServer::*)(const QByteArray &rest, int sender);
    template <typename Request, void (TServer::*Handle)(const Request &)>
    bool serve(const QByteArray &rest, int sender);

    // One pending connection from the listener, or null when accepting failed.
    TSock *acceptPending();
    static void detachHandlers(TSock *sock);
    void acceptInto(int k);
    bool isHosting(int k) const;
    void loginExpired(int k, quint64 connectionId);
    void refuseFull();
    int entryOf(TSock *sock) const;
    void sendTo(int k, const QByteArray &message);
    void dispatch(const QueuedRequest &request);
    static Route routeFor(const QByteArray &command);
    void closeLater(int k, const QString &reason);
    void reportDrop(QString reason);
    void freeEntry(int k);
    void sendLoadStats(int k);
    // Milliseconds on the host's scaled clock: real time divided by the time scale.
    double hostNowMs() const;
    void timer1Timer(int step);
    void computertimerTimer(int step);
    int scaled(int ms) const;

    TSock Sock1;
    TSock tempsock;
    RequestQueue receivedlist;
    QTimer socktimer;
    StepTimer timer1{StepTimer::Mode::Repeating};
    StepTimer computertimer{StepTimer::Mode::SingleShot, 1};

    HostState m_state;
    TurnEngine m_engine{m_state, *this};
    ComputerPlayer m_computer{m_state, m_engine, *this};
    LoginDeadlines m_loginDeadlines;
    quint64 m_lastConnectionId = 0;
    // The hosting player's own client: the first connection the listener accepts, when it
    // comes from the loopback address (the hosting copy connects to itself right after it
    // starts listening). Never closed for flooding nor for a late log-in.
    quint64 m_hostingConnectionId = 0;
    bool m_acceptedAny = false;
    double m_timeScale = 1.0;
    QElapsedTimer m_clock;     // real time since construction
    double m_scaledBaseMs = 0; // hostNowMs() when the time scale last changed
    qint64 m_realBaseMs = 0;   // m_clock then
    ChatRelay m_chatRelay{[this](const QByteArray &m) { broadcast(m); },
                          [this](int k, const QByteArray &m) { sendTo(k, m); }};
    std::array<bool, HostState::MaxEntries + 1> m_closePending{}; // a close is scheduled
};
