#include "table.h"

#include "announcements.h"
#include "latejoin.h"
#include "messagevariant.h"
#include "protocol.h"
#include "protocollimits.h"
#include "requestbinding.h"
#include "seatnames.h"
#include "version.h"

#include <cmath>
#include <exception>
#include <limits>
#include <optional>

namespace {

bool validEntry(int entry)
{
    return entry >= 1 && entry <= HostState::MaxEntries;
}

QString printable(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.left(40));
}

} // namespace

Table::Table(TableDriver &driver)
    : m_driver(driver)
{
    m_state.seats[2].botname = "Klot";
    m_state.seats[3].botname = "Klock";
    m_state.seats[4].botname = "Kling";
    m_state.numseats = 4;
}

void Table::stop()
{
    disableComputerTimer();
    disablePauseTimer();
    m_dispatchRunning = false;
    m_driver.stopTimer(TableTimer::Dispatch);
    m_driver.stopTimer(TableTimer::LoginDeadline);
}

// --- connections -------------------------------------------------------------------------

void Table::connectionOpened(int entry, bool exempt)
{
    if (!validEntry(entry))
        return;
    TSeat &seat = m_state.seats[entry];
    seat.connected = true;
    seat.connectionId = ++m_lastConnectionId;
    seat.loggedIn = false;
    m_chatRelay.reset(entry, m_driver.nowMs());
    m_exempt[entry] = exempt;
    if (!exempt) {
        m_loginDeadlines.watch(entry, seat.connectionId, m_driver.nowMs());
        rearmLoginDeadline();
    }
    m_queue.resetEntry(entry);
    m_closePending[entry] = false;
    sendTo(entry, protocol::SendLoginInfo{entry});
    m_driver.onSeatsChanged();
}

bool Table::exempt(int entry) const
{
    return validEntry(entry) && m_state.seats[entry].connected && m_exempt[entry];
}

void Table::receive(int entry, const QByteArray &bytes)
{
    if (!validEntry(entry) || !m_state.seats[entry].connected || m_closePending[entry])
        return;
    const auto result = m_queue.feed(entry, m_state.seats[entry].connectionId, bytes, !exempt(entry));
    if (result == RequestQueue::FeedResult::Trimmed)
        reportDrop(RequestQueue::describe(result, entry));
    else if (result != RequestQueue::FeedResult::Queued)
        closeLater(entry, RequestQueue::describe(result, entry));
    if (!m_queue.isEmpty() && !m_dispatchRunning) {
        m_dispatchRunning = true;
        m_driver.startTimer(TableTimer::Dispatch, DispatchStepMs);
    } else if (m_queue.isEmpty()) {
        m_dispatchRunning = false;
        m_driver.stopTimer(TableTimer::Dispatch);
    }
}

void Table::connectionClosed(int entry)
{
    if (validEntry(entry))
        freeEntry(entry);
}

void Table::freeEntry(int entry)
{
    TSeat &seat = m_state.seats[entry];
    const bool wasConnected = seat.connected;
    if (wasConnected) {
        const QByteArray gone = protocol::PlayerDisconnected{entry, seat.name}.build();
        for (int j = 1; j <= m_state.conncount; ++j) {
            if (j != entry)
                sendBytes(j, gone);
        }
    }
    seat.connected = false;
    seat.name.clear();
    seat.justwatching = false;
    seat.connectionId = 0;
    seat.loggedIn = false;
    m_exempt[entry] = false;
    if (m_loginDeadlines.watching(entry)) {
        m_loginDeadlines.forget(entry);
        rearmLoginDeadline();
    }
    m_queue.resetEntry(entry); // its waiting requests go at once
    m_closePending[entry] = false;
    if (wasConnected)
        m_driver.onSeatsChanged();
    // The seat on turn has gone: the turn moves on at once (seat 1's departure does not).
    if (!(wasConnected && m_state.gameon && entry == m_state.currentplayer && entry != 1))
        return;
    try {
        m_engine.findplayer();
    } catch (const std::exception &e) {
        reportDrop(QStringLiteral("findplayer: ") + QString::fromUtf8(e.what()));
    }
}

void Table::closeLater(int entry, const QString &reason)
{
    if (!validEntry(entry) || m_closePending[entry])
        return;
    m_closePending[entry] = true;
    m_queue.resetEntry(entry); // nothing it sent is served any more
    if (m_loginDeadlines.watching(entry)) {
        m_loginDeadlines.forget(entry);
        rearmLoginDeadline();
    }
    if (!reason.isEmpty())
        reportDrop(reason);
    // Closing frees the entry and tells the others; never in the middle of a read or of a
    // broadcast that is still walking the table.
    m_driver.close(entry, TableDriver::When::Later);
}

void Table::disconnect(int entry)
{
    if (validEntry(entry) && m_state.seats[entry].connected)
        m_driver.close(entry, TableDriver::When::Now);
}

void Table::reportDrop(QString reason)
{
    // Peer bytes can end up in the text: keep the report on one printable line.
    for (QChar &c : reason) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char('?');
    }
    m_driver.onRequestDropped(reason);
}

void Table::sendTo(int entry, const protocol::Announcement &message)
{
    sendBytes(entry, protocol::buildAnnouncement(message));
}

void Table::sendBytes(int entry, const QByteArray &message)
{
    if (!validEntry(entry))
        return;
    if (!m_state.seats[entry].connected || m_closePending[entry])
        return;
    if (message.size() > limits::MaxMessageBytes) {
        // Every message is checked before it is built; this is the last line of defence.
        reportDrop(QStringLiteral("entry %1: a message of %2 bytes was not sent").arg(entry).arg(message.size()));
        return;
    }
    const qsizetype unsent = m_driver.send(entry, protocol::frame(message));
    if (unsent < 0)
        closeLater(entry, QString());
    else if (unsent > MaxUnsentBytes)
        closeLater(entry, QStringLiteral("entry %1: more than %2 bytes unsent; connection closed")
                              .arg(entry)
                              .arg(MaxUnsentBytes));
}

void Table::broadcastBytes(const QByteArray &message)
{
    for (int j = 1; j <= m_state.conncount; ++j)
        sendBytes(j, message);
}

void Table::broadcast(const protocol::Announcement &message)
{
    broadcastBytes(protocol::buildAnnouncement(message));
}

// --- timers ------------------------------------------------------------------------------

void Table::armPauseTimer(int step)
{
    m_pauseStep = step;
    m_pauseRunning = true;
    m_driver.startTimer(TableTimer::Pause, PauseStepMs);
}

void Table::disablePauseTimer()
{
    m_pauseRunning = false;
    m_driver.stopTimer(TableTimer::Pause);
}

void Table::armComputerTimer(int intervalMs, int step)
{
    // An interval of 0 leaves the step armed but idle until a bot speed arrives.
    m_computerStep = step;
    m_computerArmed = true;
    m_computerRunning = intervalMs > 0;
    if (m_computerRunning)
        m_driver.startTimer(TableTimer::Computer, intervalMs);
    else
        m_driver.stopTimer(TableTimer::Computer);
}

void Table::disableComputerTimer()
{
    m_computerArmed = false;
    m_computerRunning = false;
    m_driver.stopTimer(TableTimer::Computer);
}

void Table::rearmLoginDeadline()
{
    const std::optional<double> due = m_loginDeadlines.nextDueMs();
    if (!due) {
        m_driver.stopTimer(TableTimer::LoginDeadline);
        return;
    }
    const double wait =
        std::clamp(std::ceil(*due - m_driver.nowMs()), 0.0, double(std::numeric_limits<int>::max()));
    m_driver.startTimer(TableTimer::LoginDeadline, int(wait));
}

void Table::loginExpired(int entry, quint64 connectionId)
{
    const TSeat &seat = m_state.seats[entry];
    if (seat.connected && seat.connectionId == connectionId)
        closeLater(entry, QStringLiteral("entry %1: no log-in within %2 s; connection closed")
                              .arg(entry)
                              .arg(LoginDeadlines::LoginTimeoutMs / 1000));
}

void Table::timerFired(TableTimer timer)
{
    switch (timer) {
    case TableTimer::Dispatch:
        dispatchNext();
        return;
    case TableTimer::Pause:
        if (m_pauseRunning)
            pauseTick();
        return;
    case TableTimer::Computer:
        if (m_computerRunning)
            computerStep();
        return;
    case TableTimer::LoginDeadline:
        for (const LoginDeadlines::Expired &e : m_loginDeadlines.expire(m_driver.nowMs()))
            loginExpired(e.entry, e.connectionId);
        rearmLoginDeadline();
        return;
    }
}

void Table::pauseTick()
{
    try {
        m_engine.timer1Timer(m_pauseStep);
    } catch (const std::exception &e) {
        reportDrop(QStringLiteral("timer1: ") + QString::fromUtf8(e.what()));
    }
}

void Table::computerStep()
{
    // A single-shot timer is disarmed as it fires.
    m_computerArmed = false;
    m_computerRunning = false;
    try {
        m_computer.computertimerTimer(m_computerStep);
    } catch (const std::exception &e) {
        reportDrop(QStringLiteral("computertimer: ") + QString::fromUtf8(e.what()));
    }
}

// --- dispatcher --------------------------------------------------------------------------

void Table::dispatchNext()
{
    if (!m_queue.isEmpty())
        dispatch(m_queue.takeFirst());
    if (m_queue.isEmpty()) {
        m_dispatchRunning = false;
        m_driver.stopTimer(TableTimer::Dispatch);
    }
}

template <typename Request>
bool Table::serve(const Request &request, int sender, void (Table::*handle)(const Request &))
{
    if (!requestbinding::mayRequest(request, sender))
        return false;
    (this->*handle)(request);
    return true;
}

void Table::dispatch(const QueuedRequest &queued)
{
    // A line whose command word is no request's is ignored; a malformed request is
    // reported once it is known that its connection is still there.
    std::optional<protocol::Request> request;
    std::optional<QString> malformed;
    try {
        request = protocol::parseRequest(queued.line);
        if (!request)
            return;
    } catch (const std::exception &e) {
        malformed = QString::fromUtf8(e.what());
    }
    const int sender = queued.entry;
    if (!validEntry(sender))
        return;
    const QString what =
        QStringLiteral("entry %1: %2").arg(sender).arg(printable(protocol::splitCommand(queued.line).first));
    const TSeat &seat = m_state.seats[sender];
    if (!seat.connected || seat.connectionId != queued.connectionId) {
        reportDrop(what + QStringLiteral(" dropped: the connection has closed"));
        return;
    }
    if (malformed) {
        reportDrop(what + QStringLiteral(" dropped: ") + *malformed);
        return;
    }
    using namespace protocol;
    try {
        const bool served =
            std::visit(Overloaded{
                           [&](const LoginInfo &r) { return serve(r, sender, &Table::receivedlogininfo); },
                           [&](const KickHim &r) { return serve(r, sender, &Table::kickhim); },
                           [&](const BotSpeed &r) { return serve(r, sender, &Table::botspeed); },
                           [&](const ChatRequest &r) { return serve(r, sender, &Table::chat); },
                           [&](const ActionRequest &r) { return serve(r, sender, &Table::action); },
                           [&](const StartGame &r) { return serve(r, sender, &Table::startgame); },
                           [&](const JustWatch &r) { return serve(r, sender, &Table::justwatch); },
                           [&](const RollTheDice &r) { return serve(r, sender, &Table::rollthedice); },
                           [&](const AllDone &r) { return serve(r, sender, &Table::alldone); },
                           [&](const PlaySoundRequest &r) { return serve(r, sender, &Table::playasound); },
                       },
                       *request);
        if (!served)
            reportDrop(what + QStringLiteral(" dropped: not the sender's seat"));
    } catch (const std::exception &e) {
        reportDrop(what + QStringLiteral(" dropped: ") + QString::fromUtf8(e.what()));
    }
}

// --- requests ----------------------------------------------------------------------------

void Table::receivedlogininfo(const protocol::LoginInfo &request)
{
    const int entry = request.seat;
    if (!validEntry(entry))
        throw protocol::ProtocolError("seat out of range");
    if (!limits::acceptableName(request.name)) {
        // Names are repeated in later messages: a name too long is never seated, and the
        // connection goes at once rather than hold an entry it cannot use.
        closeLater(entry, QStringLiteral("entry %1: log-in name of %2 bytes (at most %3); connection closed")
                              .arg(entry)
                              .arg(request.name.size())
                              .arg(limits::MaxNameBytes));
        return;
    }
    TSeat &seat = m_state.seats[entry];
    if (seat.loggedIn) {
        // A name is given once per connection: a second log-in would rename the seat under
        // the others' eyes and let its holder speak as anyone.
        reportDrop(
            QStringLiteral("entry %1: CMD_logininfo dropped: the connection has logged in already").arg(entry));
        return;
    }
    if (m_loginDeadlines.watching(entry)) {
        m_loginDeadlines.forget(entry);
        rearmLoginDeadline();
    }
    seat.loggedIn = true;
    seat.name = seatnames::unique(request.name, seatnames::inUse(m_state, entry));
    const QByteArray &name = seat.name;
    broadcast(protocol::NewPlayerInfo{entry, name});
    for (int j = 1; j <= m_state.conncount && seat.connected; ++j) {
        if (j != entry && m_state.seats[j].connected)
            sendTo(entry, protocol::ExistingPlayers{j, m_state.seats[j].name});
    }
    if (request.version != GameVersion) {
        sendTo(1, protocol::HaveWrongVersion{name});
        sendTo(entry, protocol::WrongVersion{});
    }
    if (m_state.gameon)
        sendLoadStats(entry);
    else if (!exempt(entry) && entry != 1) // entry 1 starts the game itself
        m_chatRelay.sendStatus(entry, "Waiting for the host to start the game.");
}

void Table::sendLoadStats(int entry)
{
    sendTo(entry, latejoin::loadstats(m_state, entry));
    if (const auto sheet = latejoin::loadpscores(m_state, entry))
        sendTo(entry, *sheet);
}

void Table::kickhim(const protocol::KickHim &request)
{
    if (request.seat == 1)
        disconnect(request.target);
}

void Table::botspeed(const protocol::BotSpeed &request)
{
    if (request.seat != 1)
        return;
    if (request.milliseconds < 0)
        throw protocol::ProtocolError("negative bot speed");
    m_state.botspeedms = request.milliseconds;
    // A computer turn that waited for a speed (armed with 0) starts now.
    if (m_computerArmed && !m_computerRunning && request.milliseconds > 0)
        armComputerTimer(request.milliseconds, m_computerStep);
}

void Table::justwatch(const protocol::JustWatch &request)
{
    const int seat = request.seat;
    if (seat > m_state.numseats || seat < 1)
        return;
    if (request.mode == protocol::WatchMode::PlayerPlays) {
        m_state.seats[seat].justwatching = false;
        broadcast(protocol::JustWatching{seat, protocol::WatchMode::PlayerPlays});
    } else if (m_state.gameon) {
        m_state.seats[seat].justwatching = true;
        broadcast(protocol::JustWatching{seat, protocol::WatchMode::ComputerPlays});
        if (seat == m_state.currentplayer)
            armComputerTimer(m_state.botspeedms, ComputerPlayer::RollStep);
    }
}

void Table::chat(const protocol::ChatRequest &request)
{
    if (!validEntry(request.seat))
        throw protocol::ProtocolError("seat out of range");
    m_chatRelay.chat(request, m_state.seats[request.seat].name, m_driver.nowMs());
}

void Table::action(const protocol::ActionRequest &request)
{
    if (!validEntry(request.seat))
        throw protocol::ProtocolError("seat out of range");
    m_chatRelay.action(request, m_state.seats[request.seat].name, m_driver.nowMs());
}

void Table::playasound(const protocol::PlaySoundRequest &request)
{
    if (!validEntry(request.seat))
        throw protocol::ProtocolError("seat out of range");
    m_chatRelay.sound(request, m_driver.nowMs());
}

void Table::startgame(const protocol::StartGame &request)
{
    m_engine.startgame(request);
}

void Table::rollthedice(const protocol::RollTheDice &request)
{
    m_engine.rollthedice(request);
}

void Table::alldone(const protocol::AllDone &request)
{
    m_engine.alldone(request);
}
