// TServer: the hidden game host — listener, connections and Qt timers around one Table.
#pragma once

#include "hoststate.h"
#include "sock.h"
#include "steptimer.h"
#include "table.h"
#include "tabledriver.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <array>

// Seats up to nine connections (entries 1 to 4 players, 5 to 9 spectators) at one table:
// it moves the sockets' bytes to and from the table and runs the table's timers on Qt's
// event loop. Everything runs on the thread that owns the object; nothing a peer sends can
// stop it.
class TServer : public QObject, private TableDriver
{
    Q_OBJECT
public:
    static constexpr int SockTimerMs = Table::DispatchStepMs;
    static constexpr int PauseStepMs = Table::PauseStepMs;
    static constexpr qsizetype MaxUnsentBytes = Table::MaxUnsentBytes; // a peer that stops reading is closed

    explicit TServer(QObject *parent = nullptr);
    ~TServer() override;

    // The listener's port ("7772" unless set; "0" picks a free one). Set before listening.
    void setPortName(const QString &port) { Sock1.setPortName(port); }
    // The address the listener binds ("127.0.0.1" keeps a game on this machine); empty, the
    // default, binds every IPv4 and IPv6 address. Set before listening.
    void setListenAddress(const QString &address) { Sock1.setHostName(address); }
    QString portName() const { return Sock1.PortName(); }
    // Switches the listener on; throws ESockException (e.g. "Listen - Error Binding Socket").
    void startListening() { Sock1.setListen(true); }
    bool listening() const { return Sock1.Listen(); }
    // The port the listener is bound to; 0 while not listening.
    quint16 listeningPort() const { return Sock1.Listen() ? Sock1.boundPort() : 0; }

    // Scales the dispatch, pause, computer and log-in timers (tests and tools only).
    void setTimeScale(double scale);
    double timeScale() const { return m_timeScale; }

    HostState &state() { return m_table.state(); }
    const HostState &state() const { return m_table.state(); }
    qsizetype queuedRequests() const { return m_table.queuedRequests(); }
    qsizetype queuedBytes() const { return m_table.queuedBytes(); }
    // The entry that holds the hosting player's own connection, 0 when none does.
    int hostingEntry() const;
    // A peer address of this machine's loopback: 127.0.0.0/8, ::1, or 127.x mapped into IPv6.
    static bool loopbackPeer(const QString &address);
    bool computerTimerArmed() const { return m_table.computerTimerArmed(); }
    bool computerTimerRunning() const { return computertimer.running(); }

    // Socket events.
    void Sock1Accept(TSock *Sender);
    void Sock1Read(TSock *Sender, int Count);
    void tempsockDisconnect(TSock *Sender);
    void tempsockInfo(TSock *sender, TSocketInfo SocketInfo, const QString &Msg);

    // Takes one queued request and dispatches it.
    void socktimerTimer() { m_table.timerFired(TableTimer::Dispatch); }

    // Closes the connection of entry if it is connected.
    void disconnectsock(int entry) { m_table.disconnect(entry); }

    // Test and tool seams: drive the table without sockets. An entry marked connected in
    // state() without a socket takes part like any other; nothing is sent to it.
    // Queues bytes as if they had arrived on entry's connection.
    void receiveOn(int entry, const QByteArray &bytes) { m_table.receive(entry, bytes); }
    // Fires the running pause and computer timers once each, as if their intervals had passed.
    void fireTimersNow();
    // Frees entry as if its connection had closed.
    void connectionClosed(int entry) { m_table.connectionClosed(entry); }

Q_SIGNALS:
    // Emitted when a request is dropped: a malformed field, a seat the sender may not speak
    // for, a line from a connection that has closed since, a relay too long for the clients,
    // chat text longer than a chat line, a relay beyond its sender's budget, a second log-in,
    // or a connection closed for flooding, not reading or not logging in.
    void requestDropped(const QString &reason);
    // Emitted when an entry is taken by a new connection or freed.
    void seatsChanged();

private:
    // TableDriver
    qsizetype send(int entry, const QByteArray &bytes) override;
    void close(int entry, When when) override;
    double nowMs() const override;
    void startTimer(TableTimer timer, int intervalMs) override;
    void stopTimer(TableTimer timer) override;
    void onSeatsChanged() override { Q_EMIT seatsChanged(); }
    void onRequestDropped(const QString &reason) override { Q_EMIT requestDropped(reason); }

    // One pending connection from the listener, or null when accepting failed.
    TSock *acceptPending();
    static void detachHandlers(TSock *sock);
    void acceptInto(int entry);
    void refuseFull();
    int entryOf(TSock *sock) const;
    int scaled(int ms) const;

    TSock Sock1;
    TSock tempsock;
    std::array<TSock *, HostState::MaxEntries + 1> m_sockets{}; // owned by the listener
    QTimer socktimer;
    StepTimer timer1{StepTimer::Mode::Repeating};
    StepTimer computertimer{StepTimer::Mode::SingleShot, 1};
    StepTimer logintimer{StepTimer::Mode::SingleShot, LoginDeadlines::MinimumTimeoutMs};
    Table m_table{*this};
    // The hosting player's own client is the first connection the listener accepts, when it
    // comes from a loopback address, IPv4 or IPv6 (the hosting copy connects to itself right
    // after it starts listening). It is never closed for flooding nor for a late log-in.
    bool m_acceptedAny = false;
    double m_timeScale = 1.0;
    QElapsedTimer m_clock;     // real time since construction
    double m_scaledBaseMs = 0; // nowMs() when the time scale last changed
    qint64 m_realBaseMs = 0;   // m_clock then
};
