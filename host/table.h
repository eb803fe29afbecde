// Table: one hosted game — entries, seats, request queue, dispatch, limits, log-in deadlines,
// the pause and computer steps and the chat relay — with no socket and no timer of its own.
#pragma once

#include "chatrelay.h"
#include "computerplayer.h"
#include "hoststate.h"
#include "logindeadlines.h"
#include "requestqueue.h"
#include "requests.h"
#include "tabledriver.h"
#include "turnengine.h"
#include "turnsink.h"

#include <array>

// Bytes come in with receive(entry, bytes) and go out through the driver's send; the
// driver reports connections opening and closing and the timers it runs for the table.
// Everything runs on the caller's thread; nothing a peer sends can stop it. An entry marked
// connected in state() without a connection the driver knows takes part like any other.
class Table : private TurnSink
{
public:
    static constexpr int DispatchStepMs = 10;                // one queued request per step
    static constexpr int PauseStepMs = 1000;                 // one tick of the pause between turns
    static constexpr qsizetype MaxUnsentBytes = 1024 * 1024; // a peer that stops reading is closed

    explicit Table(TableDriver &driver);
    Table(const Table &) = delete;
    Table &operator=(const Table &) = delete;

    HostState &state() { return m_state; }
    const HostState &state() const { return m_state; }
    qsizetype queuedRequests() const { return m_queue.size(); }
    qsizetype queuedBytes() const { return m_queue.bytes(); }
    // The computer timer waits for a step (armed), and has an interval to fire after (running).
    bool computerTimerArmed() const { return m_computerArmed; }
    bool computerTimerRunning() const { return m_computerRunning; }
    bool pauseTimerRunning() const { return m_pauseRunning; }

    // The entry a new connection takes (conncount may grow); 0 when all are taken.
    int entryForNewConnection() { return m_state.entryForNewConnection(); }
    // A new connection holds entry. An exempt connection (the hosting player's own) is
    // never closed for flooding nor for a late log-in; the driver decides which is.
    void connectionOpened(int entry, bool exempt);
    bool exempt(int entry) const;
    // Bytes that arrived on entry's connection.
    void receive(int entry, const QByteArray &bytes);
    // Entry's connection has closed: the entry is freed and the others are told.
    void connectionClosed(int entry);
    // Closes entry's connection soon; a non-empty reason is reported.
    void closeLater(int entry, const QString &reason);
    // Closes entry's connection at once (the hosting player removes someone).
    void disconnect(int entry);
    void timerFired(TableTimer timer);
    // Stops every timer the table runs (the driver is going away).
    void stop();

private:
    // TurnSink
    void broadcast(const protocol::Announcement &message) override;
    void armPauseTimer(int step) override;
    void disablePauseTimer() override;
    void armComputerTimer(int intervalMs, int step) override;
    void disableComputerTimer() override;

    // The only places a table's messages become bytes: typed ones are built here, relays
    // (chat, actions, chatter sounds) arrive built and go out as they are.
    void sendTo(int entry, const protocol::Announcement &message);
    void sendBytes(int entry, const QByteArray &message);
    void broadcastBytes(const QByteArray &message);
    void reportDrop(QString reason);
    void freeEntry(int entry);
    void rearmLoginDeadline();
    void loginExpired(int entry, quint64 connectionId);
    void dispatchNext();
    void dispatch(const QueuedRequest &queued);
    // Hands the request to handle when the sender may make it; false when it may not.
    template <typename Request>
    bool serve(const Request &request, int sender, void (Table::*handle)(const Request &));
    void pauseTick();
    void computerStep();

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
    void sendLoadStats(int entry);

    TableDriver &m_driver;
    HostState m_state;
    TurnEngine m_engine{m_state, *this};
    ComputerPlayer m_computer{m_state, m_engine, *this};
    RequestQueue m_queue;
    LoginDeadlines m_loginDeadlines;
    ChatRelay m_chatRelay{[this](const QByteArray &m) { broadcastBytes(m); },
                          [this](int entry, const QByteArray &m) { sendBytes(entry, m); }};
    quint64 m_lastConnectionId = 0;
    bool m_dispatchRunning = false;
    bool m_pauseRunning = false;
    int m_pauseStep = 0;
    bool m_computerArmed = false;
    bool m_computerRunning = false;
    int m_computerStep = 0;
    std::array<bool, HostState::MaxEntries + 1> m_closePending{}; // a close is asked for
    std::array<bool, HostState::MaxEntries + 1> m_exempt{};
};
