#include "serverform.h"
#include "ports.h"

#include "announcements.h"
#include "latejoin.h"
#include "protocol.h"
#include "protocollimits.h"
#include "requestbinding.h"
#include "seatnames.h"
#include "version.h"

#include <QMetaObject>
#include <algorithm>
#include <cmath>
#include <exception>

namespace {

bool validEntry(int k)
{
    return k >= 1 && k <= HostState::MaxEntries;
}

QString printable(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.left(40));
}

} // namespace

TServer::TServer(QObject *parent)
    : QObject(parent)
{
    Sock1.setPortName(QString::number(ports::Game));
    Sock1.OnRead = [this](TSock *sender, int count) { Sock1Read(sender, count); };
    Sock1.OnAccept = [this](TSock *sender) { Sock1Accept(sender); };
    tempsock.OnDisconnect = [this](TSock *sender) { tempsockDisconnect(sender); };
    tempsock.OnInfo = [this](TSock *sender, TSocketInfo kind, const QString &msg) {
        tempsockInfo(sender, kind, msg);
    };

    m_clock.start();
    socktimer.setInterval(scaled(SockTimerMs));
    connect(&socktimer, &QTimer::timeout, this, &TServer::socktimerTimer);
    connect(&timer1, &StepTimer::fired, this, &TServer::timer1Timer);
    connect(&computertimer, &StepTimer::fired, this, &TServer::computertimerTimer);
    connect(&m_loginDeadlines, &LoginDeadlines::expired, this, &TServer::loginExpired);
    FormCreate();
}

TServer::~TServer()
{
    FormClose();
    socktimer.stop();
    timer1.disable();
    // The accepted sockets die with the listener after this object's state is gone: make
    // sure their close reports reach nobody.
    Sock1.OnRead = nullptr;
    Sock1.OnAccept = nullptr;
    for (TSock *sock : Sock1.findChildren<TSock *>(Qt::FindDirectChildrenOnly)) {
        sock->OnRead = nullptr;
        sock->OnDisconnect = nullptr;
        sock->OnInfo = nullptr;
    }
}

void TServer::setTimeScale(double scale)
{
    m_scaledBaseMs = hostNowMs();
    m_realBaseMs = m_clock.elapsed();
    m_timeScale = (std::isfinite(scale) && scale >= 0) ? scale : 1.0;
    socktimer.setInterval(scaled(SockTimerMs));
    timer1.setTimeScale(m_timeScale);
    computertimer.setTimeScale(m_timeScale);
    m_loginDeadlines.setTimeScale(m_timeScale);
}

double TServer::hostNowMs() const
{
    const double real = double(m_clock.elapsed() - m_realBaseMs);
    // At scale 0 every interval is over at once: so is every wait for a relay budget.
    return m_scaledBaseMs + (m_timeScale > 0 ? real / m_timeScale : real * 1e9);
}

int TServer::scaled(int ms) const
{
    return std::max(0, int(std::lround(ms * m_timeScale)));
}

void TServer::FormCreate()
{
    m_state.seats[2].botname = "Klot";
    m_state.seats[3].botname = "Klock";
    m_state.seats[4].botname = "Kling";
    m_state.numseats = 4;
}

void TServer::FormClose()
{
    disableComputerTimer();
}

// --- connections -------------------------------------------------------------------------

void TServer::Sock1Accept(TSock *)
{
    const int k = m_state.entryForNewConnection();
    if (k == 0)
        refuseFull();
    else
        acceptInto(k);
}

TSock *TServer::acceptPending()
{
    TSock *sock = nullptr;
    try {
        if (!Sock1.Accept(sock))
            return nullptr;
    } catch (const ESockException &) {
        return nullptr;
    }
    return sock;
}

void TServer::detachHandlers(TSock *sock)
{
    sock->OnRead = nullptr;
    sock->OnDisconnect = nullptr;
    sock->OnInfo = nullptr;
}

void TServer::acceptInto(int k)
{
    TSock *sock = acceptPending();
    if (!sock)
        return;
    TSeat &seat = m_state.seats[k];
    if (seat.socket && seat.socket != sock) {
        // The entry's previous connection closed long ago; nothing refers to it any more.
        detachHandlers(seat.socket);
        seat.socket->deleteLater();
    }
    seat.socket = sock;
    seat.connected = true;
    seat.connectionId = ++m_lastConnectionId;
    seat.loggedIn = false;
    m_chatRelay.reset(k, hostNowMs());
    if (!m_acceptedAny && sock->HostName().startsWith(QLatin1String("127.")))
        m_hostingConnectionId = seat.connectionId;
    m_acceptedAny = true;
    if (!isHosting(k))
        m_loginDeadlines.watch(k, seat.connectionId);
    receivedlist.resetEntry(k);
    m_closePending[k] = false;
    sock->Tag = k;
    sock->OnRead = [this](TSock *sender, int count) { Sock1Read(sender, count); };
    sock->OnDisconnect = tempsock.OnDisconnect;
    sock->OnInfo = tempsock.OnInfo;
    sendTo(k, protocol::SendLoginInfo{k}.build());
    Q_EMIT seatsChanged();
}

bool TServer::isHosting(int k) const
{
    return validEntry(k) && m_state.seats[k].connected && m_hostingConnectionId != 0
           && m_state.seats[k].connectionId == m_hostingConnectionId;
}

int TServer::hostingEntry() const
{
    for (int k = 1; k <= HostState::MaxEntries; ++k) {
        if (isHosting(k))
            return k;
    }
    return 0;
}

void TServer::loginExpired(int k, quint64 connectionId)
{
    const TSeat &seat = m_state.seats[k];
    if (seat.connected && seat.connectionId == connectionId)
        closeLater(k, QStringLiteral("entry %1: no log-in within %2 s; connection closed")
                          .arg(k)
                          .arg(LoginDeadlines::LoginTimeoutMs / 1000));
}

void TServer::refuseFull()
{
    TSock *sock = acceptPending();
    if (!sock)
        return;
    detachHandlers(sock);
    try {
        sock->Send(protocol::frame(protocol::Full{}.build()));
    } catch (const ESockException &) {
    }
    delete sock;
}

int TServer::entryOf(TSock *sock) const
{
    const int k = sock ? sock->Tag : 0;
    return validEntry(k) && m_state.seats[k].socket == sock ? k : 0;
}

void TServer::Sock1Read(TSock *Sender, int)
{
    QByteArray bytes;
    try {
        bytes = Sender->Receive();
    } catch (const ESockException &) {
        return;
    }
    receiveOn(entryOf(Sender), bytes);
}

void TServer::receiveOn(int k, const QByteArray &bytes)
{
    if (!validEntry(k) || !m_state.seats[k].connected || m_closePending[k])
        return;
    const auto result = receivedlist.feed(k, m_state.seats[k].connectionId, bytes, !isHosting(k));
    if (result == RequestQueue::FeedResult::Trimmed)
        reportDrop(RequestQueue::describe(result, k));
    else if (result != RequestQueue::FeedResult::Queued)
        closeLater(k, RequestQueue::describe(result, k));
    if (!receivedlist.isEmpty() && !socktimer.isActive())
        socktimer.start();
    else if (receivedlist.isEmpty())
        socktimer.stop();
}

void TServer::fireTimersNow()
{
    if (timer1.running())
        timer1Timer(timer1.step());
    if (computertimer.running()) {
        const int step = computertimer.step();
        computertimer.disable(); // a single-shot timer is disarmed as it fires
        computertimerTimer(step);
    }
}

void TServer::connectionClosed(int k)
{
    if (validEntry(k))
        freeEntry(k);
}

void TServer::tempsockDisconnect(TSock *Sender)
{
    const int k = entryOf(Sender);
    if (k != 0 && m_state.seats[k].connected)
        Sender->Close();
}

void TServer::tempsockInfo(TSock *sender, TSocketInfo SocketInfo, const QString &Msg)
{
    const int k = entryOf(sender);
    if (k == 0)
        return;
    if (SocketInfo == siError) {
        // Reset, aborted or timed out: the peer is gone, so free its entry like a close.
        if (m_state.seats[k].connected)
            closeLater(k, QString());
        return;
    }
    if (Msg == QLatin1String("Socket Closed"))
        freeEntry(k);
}

void TServer::freeEntry(int k)
{
    TSeat &seat = m_state.seats[k];
    const bool wasConnected = seat.connected;
    if (wasConnected) {
        const QByteArray gone = protocol::PlayerDisconnected{k, seat.name}.build();
        for (int j = 1; j <= m_state.conncount; ++j) {
            if (j != k)
                sendTo(j, gone);
        }
    }
    seat.connected = false;
    seat.name.clear();
    seat.justwatching = false;
    seat.connectionId = 0;
    seat.loggedIn = false;
    m_loginDeadlines.forget(k);
    receivedlist.resetEntry(k); // its waiting requests go at once
    m_closePending[k] = false;
    if (wasConnected)
        Q_EMIT seatsChanged();
    // The seat on turn has gone: the turn moves on at once (seat 1's departure does not).
    if (!(wasConnected && m_state.gameon && k == m_state.currentplayer && k != 1))
        return;
    try {
        m_engine.findplayer();
    } catch (const std::exception &e) {
        reportDrop(QStringLiteral("findplayer: ") + QString::fromUtf8(e.what()));
    }
}

void TServer::closeLater(int k, const QString &reason)
{
    if (m_closePending[k])
        return;
    m_closePending[k] = true;
    receivedlist.resetEntry(k); // nothing it sent is served any more
    m_loginDeadlines.forget(k);
    if (!reason.isEmpty())
        reportDrop(reason);
    // Closing frees the entry and tells the others; never do that in the middle of a
    // socket event or of a broadcast that is still walking the table.
    const quint64 id = m_state.seats[k].connectionId;
    QMetaObject::invokeMethod(
        this,
        [this, k, id] {
            TSeat &seat = m_state.seats[k];
            if (seat.connected && seat.connectionId == id && seat.socket)
                seat.socket->Close();
        },
        Qt::QueuedConnection);
}

void TServer::reportDrop(QString reason)
{
    // Peer bytes can end up in the text: keep the report on one printable line.
    for (QChar &c : reason) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char('?');
    }
    Q_EMIT requestDropped(reason);
}

void TServer::disconnectsock(int k)
{
    if (validEntry(k) && m_state.seats[k].connected && m_state.seats[k].socket)
        m_state.seats[k].socket->Close();
}

void TServer::sendTo(int k, const QByteArray &message)
{
    if (!validEntry(k))
        return;
    TSeat &seat = m_state.seats[k];
    if (!seat.connected || !seat.socket || m_closePending[k])
        return;
    if (message.size() > limits::MaxMessageBytes) {
        // Every message is checked before it is built; this is the last line of defence.
        reportDrop(QStringLiteral("entry %1: a message of %2 bytes was not sent").arg(k).arg(message.size()));
        return;
    }
    try {
        seat.socket->Send(protocol::frame(message));
    } catch (const ESockException &) {
        closeLater(k, QString());
        return;
    }
    if (seat.socket->sendBufferSize() > MaxUnsentBytes)
        closeLater(
            k,
            QStringLiteral("entry %1: more than %2 bytes unsent; connection closed").arg(k).arg(MaxUnsentBytes));
}

void TServer::broadcast(const QByteArray &message)
{
    for (int j = 1; j <= m_state.conncount; ++j)
        sendTo(j, message);
}

// --- dispatcher --------------------------------------------------------------------------

void TServer::socktimerTimer()
{
    if (!receivedlist.isEmpty())
        dispatch(receivedlist.takeFirst());
    if (receivedlist.isEmpty())
        socktimer.stop();
}

template <typename Request, void (TServer::*Handle)(const Request &)>
bool TServer::serve(const QByteArray &rest, int sender)
{
    const Request request = Request::parse(rest);
    if (!requestbinding::mayRequest(request, sender))
        return false;
    (this->*Handle)(request);
    return true;
}

TServer::Route TServer::routeFor(const QByteArray &command)
{
    using namespace protocol;
    static const struct
    {
        const char *command;
        Route route;
    } table[] = {
        {LoginInfo::Command, &TServer::serve<LoginInfo, &TServer::receivedlogininfo>},
        {KickHim::Command, &TServer::serve<KickHim, &TServer::kickhim>},
        {BotSpeed::Command, &TServer::serve<BotSpeed, &TServer::botspeed>},
        {ChatRequest::Command, &TServer::serve<ChatRequest, &TServer::chat>},
        {ActionRequest::Command, &TServer::serve<ActionRequest, &TServer::action>},
        {StartGame::Command, &TServer::serve<StartGame, &TServer::startgame>},
        {JustWatch::Command, &TServer::serve<JustWatch, &TServer::justwatch>},
        {RollTheDice::Command, &TServer::serve<RollTheDice, &TServer::rollthedice>},
        {AllDone::Command, &TServer::serve<AllDone, &TServer::alldone>},
        {PlaySoundRequest::Command, &TServer::serve<PlaySoundRequest, &TServer::playasound>},
    };
    for (const auto &entry : table) {
        if (command == entry.command)
            return entry.route;
    }
    return nullptr;
}

void TServer::dispatch(const QueuedRequest &request)
{
    const auto [command, rest] = protocol::splitCommand(request.line);
    const Route route = command.isEmpty() ? nullptr : routeFor(command);
    if (!route || !validEntry(request.entry))
        return;
    const QString what = QStringLiteral("entry %1: %2").arg(request.entry).arg(printable(command));
    const TSeat &sender = m_state.seats[request.entry];
    if (!sender.connected || sender.connectionId != request.connectionId) {
        reportDrop(what + QStringLiteral(" dropped: the connection has closed"));
        return;
    }
    try {
        if (!(this->*route)(rest, request.entry))
            reportDrop(what + QStringLiteral(" dropped: not the sender's seat"));
    } catch (const std::exception &e) {
        reportDrop(what + QStringLiteral(" dropped: ") + QString::fromUtf8(e.what()));
    }
}

// --- requests ----------------------------------------------------------------------------

void TServer::receivedlogininfo(const protocol::LoginInfo &request)
{
    const int k = request.seat;
    if (!validEntry(k))
        throw protocol::ProtocolError("seat out of range");
    if (!limits::acceptableName(request.name)) {
        // Names are repeated in later messages: a name too long is never seated, and the
        // connection goes at once rather than hold an entry it cannot use.
        closeLater(k, QStringLiteral("entry %1: log-in name of %2 bytes (at most %3); connection closed")
                          .arg(k)
                          .arg(request.name.size())
                          .arg(limits::MaxNameBytes));
        return;
    }
    TSeat &seat = m_state.seats[k];
    if (seat.loggedIn) {
        // A name is given once per connection: a second log-in would rename the seat under
        // the others' eyes and let its holder speak as anyone.
        reportDrop(QStringLiteral("entry %1: CMD_logininfo dropped: the connection has logged in already").arg(k));
        return;
    }
    m_loginDeadlines.forget(k);
    seat.loggedIn = true;
    seat.name = seatnames::unique(request.name, seatnames::inUse(m_state, k));
    const QByteArray &name = seat.name;
    broadcast(protocol::NewPlayerInfo{k, name}.build());
    for (int j = 1; j <= m_state.conncount && seat.connected; ++j) {
        if (j != k && m_state.seats[j].connected)
            sendTo(k, protocol::ExistingPlayers{j, m_state.seats[j].name}.build());
    }
    if (request.version != GameVersion) {
        sendTo(1, protocol::HaveWrongVersion{name}.build());
        sendTo(k, protocol::WrongVersion{}.build());
    }
    if (m_state.gameon)
        sendLoadStats(k);
    else if (!isHosting(k))
        m_chatRelay.sendStatus(k, "Waiting for the host to start the game.");
}

void TServer::sendLoadStats(int k)
{
    sendTo(k, latejoin::loadstats(m_state, k).build());
    if (const auto sheet = latejoin::loadpscores(m_state, k))
        sendTo(k, sheet->build());
}

void TServer::kickhim(const protocol::KickHim &request)
{
    if (request.seat == 1)
        disconnectsock(request.target);
}

void TServer::botspeed(const protocol::BotSpeed &request)
{
    if (request.seat != 1)
        return;
    if (request.milliseconds < 0)
        throw protocol::ProtocolError("negative bot speed");
    m_state.botspeedms = request.milliseconds;
    // A computer turn that waited for a speed (armed with 0) starts now.
    computertimer.wake(request.milliseconds);
}

void TServer::justwatch(const protocol::JustWatch &request)
{
    const int seat = request.seat;
    if (seat > m_state.numseats || seat < 1)
        return;
    if (request.mode == protocol::WatchMode::PlayerPlays) {
        m_state.seats[seat].justwatching = false;
        broadcast(protocol::JustWatching{seat, protocol::WatchMode::PlayerPlays}.build());
    } else if (m_state.gameon) {
        m_state.seats[seat].justwatching = true;
        broadcast(protocol::JustWatching{seat, protocol::WatchMode::ComputerPlays}.build());
        if (seat == m_state.currentplayer)
            armComputerTimer(m_state.botspeedms, ComputerPlayer::RollStep);
    }
}

void TServer::chat(const protocol::ChatRequest &request)
{
    if (!validEntry(request.seat))
        throw protocol::ProtocolError("seat out of range");
    m_chatRelay.chat(request, m_state.seats[request.seat].name, hostNowMs());
}

void TServer::action(const protocol::ActionRequest &request)
{
    if (!validEntry(request.seat))
        throw protocol::ProtocolError("seat out of range");
    m_chatRelay.action(request, m_state.seats[request.seat].name, hostNowMs());
}

void TServer::playasound(const protocol::PlaySoundRequest &request)
{
    if (!validEntry(request.seat))
        throw protocol::ProtocolError("seat out of range");
    m_chatRelay.sound(request, hostNowMs());
}

void TServer::startgame(const protocol::StartGame &request)
{
    m_engine.startgame(request);
}

void TServer::rollthedice(const protocol::RollTheDice &request)
{
    m_engine.rollthedice(request);
}

void TServer::alldone(const protocol::AllDone &request)
{
    m_engine.alldone(request);
}

// --- timers ------------------------------------------------------------------------------

void TServer::timer1Timer(int step)
{
    try {
        m_engine.timer1Timer(step);
    } catch (const std::exception &e) {
        reportDrop(QStringLiteral("timer1: ") + QString::fromUtf8(e.what()));
    }
}

void TServer::computertimerTimer(int step)
{
    try {
        m_computer.computertimerTimer(step);
    } catch (const std::exception &e) {
        reportDrop(QStringLiteral("computertimer: ") + QString::fromUtf8(e.what()));
    }
}
