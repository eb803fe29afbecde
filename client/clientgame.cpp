#include "clientgame.h"

#include "chatview.h"
#include "clientmodel.h"
#include "clientstate.h"
#include "messagevariant.h"
#include "relayedchat.h"
#include "requests.h"
#include "version.h"

#include <utility>

namespace {

QString text(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}

// A name from the host as a label shows it.
QString label(const QByteArray &name)
{
    return ChatView::withoutDirectionControls(text(name));
}

// A name from the host inside a line of the client's own words.
QString inLine(const QString &name)
{
    return ChatView::isolated(name);
}

bool isEntry(int n)
{
    return n >= 1 && n <= 9;
}

} // namespace

ClientGame::ClientGame(ClientModel &model, ClientState &state, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_state(state)
{
}

QString ClientGame::phasename(int phase)
{
    static const char *const names[] = {"",
                                        "Two Sets of 3",
                                        "Set of 3 + Run of 3",
                                        "Set of 4 + Run of 4",
                                        "Run of 7",
                                        "Run of 8",
                                        "Run of 9",
                                        "Two Sets of 4",
                                        "7 of one color",
                                        "Set of 5 + Set of 2",
                                        "Set of 5 + Set of 3"};
    return phase >= 1 && phase <= 10 ? QString::fromLatin1(names[phase]) : QString();
}

void ClientGame::processline(const QByteArray &line)
{
    try {
        if (const auto announcement = protocol::parseAnnouncement(line))
            dispatch(*announcement);
    } catch (...) {
        Q_EMIT modelChanged(); // what the handler changed before it gave up is shown too
        throw;
    }
    Q_EMIT modelChanged();
}

void ClientGame::dispatch(const protocol::Announcement &announcement)
{
    using namespace protocol;
    std::visit(Overloaded{
                   [this](const SendLoginInfo &m) { sendloginfo(m); },
                   [this](const Full &m) { full(m); },
                   [this](const NewPlayerInfo &m) { newplayerinfo(m); },
                   [this](const ExistingPlayers &m) { existingplayers(m); },
                   [this](const PlayerDisconnected &m) { playerdisconnected(m); },
                   [this](const HaveWrongVersion &m) { havewrongversion(m); },
                   [this](const WrongVersion &m) { wrongversion(m); },
                   [this](const LoadStats &m) { loadstats(m); },
                   [this](const LoadPScores &m) { loadpscores(m); },
                   [this](const JustWatching &m) { justwatching(m); },
                   [this](const Chat &m) { chatrecieved(m); },
                   [this](const Action &m) { actionrecieved(m); },
                   [this](const PlaySound &m) { playasound(m); },
                   [this](const StartGame &m) { startthegame(m); },
                   [this](const NextPlayer &m) { getnextplayer(m); },
                   [this](const CreateDice &m) { createdice(m); },
                   [this](const Scores &m) { scores(m); },
                   [this](const MarkOff &m) { markoff(m); },
                   [this](const NoScore &m) { noscore(m); },
                   [this](const Winner &m) { winner(m); },
               },
               announcement);
}

void ClientGame::status(const QString &line)
{
    Q_EMIT chatLine(ChatLine::status(line));
}

void ClientGame::havewrongversion(const protocol::HaveWrongVersion &message)
{
    status(inLine(text(message.name)) + QStringLiteral(" has a different version of the game then you."));
}

void ClientGame::wrongversion(const protocol::WrongVersion &)
{
    status(QStringLiteral("You have a differnt version of the game then the host."));
}

void ClientGame::full(const protocol::Full &)
{
    Q_EMIT gameFull();
}

void ClientGame::sendloginfo(const protocol::SendLoginInfo &message)
{
    m_state.myid = message.seat;
    m_state.loggedin = true;
    Q_EMIT requestReady(protocol::LoginInfo{message.seat, GameVersion, m_state.playername.toUtf8()}.build());
}

void ClientGame::chatrecieved(const protocol::Chat &message)
{
    showChat(message.line, ChatLine::Kind::Chat);
}

void ClientGame::actionrecieved(const protocol::Action &message)
{
    showChat(message.line, ChatLine::Kind::Action);
}

void ClientGame::showChat(const QByteArray &body, ChatLine::Kind kind)
{
    const auto [sender, payload] = RelayedChat::parse(body);
    if (sender == 0) {
        // The host's own status line.
        Q_EMIT chatLine(ChatLine::status(payload.text, payload.color));
        return;
    }
    ChatLine line{kind, sender, QString(), inLine(payload.text), payload.color};
    const QString head = isEntry(sender) ? m_names[sender] + ChatLine::joiner(kind) : QString();
    if (isEntry(sender) && payload.text.startsWith(head)) {
        line.name = inLine(m_names[sender]);
        line.text = inLine(payload.text.mid(head.size()));
    }
    Q_EMIT chatLine(line);
}

void ClientGame::playasound(const protocol::PlaySound &message)
{
    Q_EMIT chatterSoundReceived({message.seat, QString::fromUtf8(message.sound())});
}

void ClientGame::newplayerinfo(const protocol::NewPlayerInfo &message)
{
    arrived(message.seat, text(message.name));
}

void ClientGame::existingplayers(const protocol::ExistingPlayers &message)
{
    arrived(message.seat, text(message.name));
}

void ClientGame::arrived(int n, const QString &name)
{
    const QString shown = ChatView::withoutDirectionControls(name);
    if (isEntry(n))
        m_names[n] = name;
    if (n == m_state.myid) {
        // The host may have changed the name to tell it from another at the table: this
        // client goes by the name everyone else sees.
        m_state.playername = name;
        status(QStringLiteral("You are Connected."));
        Q_EMIT ownArrival();
    } else {
        status(inLine(name) + QStringLiteral(" is Connected."));
    }
    if (ClientState::isSeat(n)) {
        SeatModel &seat = m_model.seats[n];
        // A person takes a seat the computer plays in a running game.
        if (n != m_state.myid && seat.status == SeatOccupant::Computer && m_model.stage == GameStage::Running)
            status(inLine(name) + QStringLiteral(" takes over from ") + inLine(seat.name) + QLatin1Char('.'));
        seat.status = SeatOccupant::Player;
        seat.name = shown;
    } else {
        Q_EMIT spyArrived(n, shown);
        status(n == m_state.myid ? QStringLiteral("You are spying.")
                                 : inLine(name) + QStringLiteral(" is spying."));
    }
    Q_EMIT soundRequested(QStringLiteral("entered"));
}

void ClientGame::playerdisconnected(const protocol::PlayerDisconnected &message)
{
    const int n = message.seat;
    const QString name = label(message.name);
    if (isEntry(n))
        m_names[n].clear();
    if (ClientState::isSeat(n)) {
        SeatModel &seat = m_model.seats[n];
        const bool personLeft = seat.status == SeatOccupant::Player;
        if (seat.status != SeatOccupant::Empty)
            status(inLine(seat.name) + QStringLiteral(" disconnected."));
        // The host's computer player takes seat 2 over; in a running game it plays on there.
        if (n == 2 && personLeft && m_model.stage == GameStage::Running)
            status(inLine(ClientModel::ComputerName) + QStringLiteral(" plays for ") + inLine(seat.name));
        seat.status = n == 2 ? SeatOccupant::Computer : SeatOccupant::Empty;
        seat.name = n == 2 ? ClientModel::ComputerName : QString();
        seat.watching = false;
        return;
    }
    if (m_removeSpy && m_removeSpy(n, name)) {
        status(inLine(name) + QStringLiteral(" has left."));
        Q_EMIT spyLeft(n, name);
    }
}

void ClientGame::startthegame(const protocol::StartGame &message)
{
    const QString name = text(message.name);
    // Only the hosting player (entry 1) starts games.
    const bool own = m_state.myid == 1;
    m_model.stage = GameStage::Running;
    m_model.step = TurnStep::Idle;
    m_model.justWatching = false;
    Q_EMIT justWatchChanged(false);
    m_model.round = 0;
    clearall();
    status(own ? QStringLiteral("You have started a game.")
               : inLine(name) + QStringLiteral(" has started a game."));
    SeatModel &second = m_model.seats[2];
    if (second.status == SeatOccupant::Empty) {
        second.status = SeatOccupant::Computer;
        second.name = ClientModel::ComputerName;
    }
    m_model.markAllPhases(PhaseMark::Plain);
    m_model.illustration.reset();
    m_model.shownphase = 0;
}

void ClientGame::getnextplayer(const protocol::NextPlayer &message)
{
    const auto &[player, phase, round] = message;
    m_model.step = TurnStep::Shuffling;
    m_model.currentplayer = player;
    m_model.round = round;
    setPhaseLine(player, phase);
    placeTurnMarker(player);
    m_model.rollsUsed = 0;
    m_model.resetAllDice();
    if (player == m_state.myid)
        startOwnTurn(phase);
    else
        showOthersTurn(player);
}

void ClientGame::startOwnTurn(int phase)
{
    m_model.statusLine = QStringLiteral("Your Turn");
    Q_EMIT soundRequested(turnSoundNew ? QStringLiteral("turnnew") : QStringLiteral("turn"));
    m_model.highlightPhase(phase);
}

void ClientGame::showOthersTurn(int player)
{
    m_model.statusLine = m_model.seatName(player) + QStringLiteral("'s turn");
}

void ClientGame::setPhaseLine(int player, int phase)
{
    const bool own = player == m_state.myid;
    const QString prefix = own ? QStringLiteral("You") : m_model.seatName(player);
    const QString verb = own ? QStringLiteral(" are trying to get: ") : QStringLiteral(" is trying to get: ");
    m_model.phaseLine = prefix + verb + phasename(phase);
}

void ClientGame::placeTurnMarker(int seat)
{
    if (ClientState::isSeat(seat))
        m_model.markerSeat = seat;
}

void ClientGame::showDice(const QList<protocol::DieFace> &faces)
{
    for (const protocol::DieFace &face : faces) {
        m_model.dice[face.die] = TDie{face.value, face.color, false};
        m_model.dieDrawn[face.die] = true;
        m_model.dieRaised[face.die] = false;
    }
}

void ClientGame::createdice(const protocol::CreateDice &message)
{
    m_model.step = TurnStep::Rolled;
    m_model.rollsUsed = message.rolls;
    m_model.currentplayer = message.seat;
    // The dice not listed are the ones kept from the last roll: they stay raised.
    m_model.raiseAllDice(true);
    showDice(message.dice);
    Q_EMIT soundRequested(QStringLiteral("dice"));
}

void ClientGame::clearLastResults()
{
    for (int s = 1; s <= ClientState::numseats; ++s)
        m_model.seats[s].result = SeatModel::Result::None;
}

void ClientGame::markUsedDice(const QList<int> &dice)
{
    if (dice.isEmpty())
        return; // "none": the dice stay as they are
    m_model.raiseAllDice(false);
    for (int n : dice)
        m_model.dieRaised[n] = true;
}

void ClientGame::scores(const protocol::Scores &message)
{
    const auto &[seat, phase, total, points, bonus, kind, used] = message;
    m_model.step = TurnStep::Judged;
    clearLastResults();
    markUsedDice(used);
    SeatModel &scorer = m_model.seats[seat];
    scorer.sheet[phase] = SheetCell::of(points);
    if (kind == protocol::ScoreKind::GoneOut && bonus > 0) {
        for (int s = 1; s <= ClientState::numseats; ++s)
            m_model.seats[s].sheet[12] = s == seat ? SheetCell::of(bonus) : SheetCell::dash();
    }
    if (kind == protocol::ScoreKind::Bonus)
        scorer.sheet[11] = bonus != 0 ? SheetCell::of(bonus) : SheetCell::dash();
    scorer.total = total;
    scorer.result = SeatModel::Result::Scored;
    scorer.resultPoints = points;
    if (seat == m_state.myid) {
        m_model.phaseLine = QStringLiteral("Way to Go! You completed the phase.");
        m_model.advanceOwnPhase();
    } else {
        m_model.phaseLine = m_model.seatName(seat) + QStringLiteral(" completed the phase.");
    }
    m_model.statusLine = QStringLiteral("One Moment Please..");
    Q_EMIT soundRequested(QStringLiteral("gotpoints"));
}

void ClientGame::noscore(const protocol::NoScore &message)
{
    const auto &[seat, offered] = message;
    m_model.step = TurnStep::Judged;
    clearLastResults();
    markUsedDice(offered);
    m_model.phaseLine = seat == m_state.myid
                            ? QStringLiteral("You did not complete the phase.")
                            : m_model.seatName(seat) + QStringLiteral(" did not complete the phase.");
    m_model.seats[seat].result = SeatModel::Result::Failed;
    m_model.statusLine = QStringLiteral("One Moment Please..");
    Q_EMIT soundRequested(QStringLiteral("nopoints"));
}

void ClientGame::markoff(const protocol::MarkOff &message)
{
    const auto &[seat, phase] = message;
    for (int k = qMax(phase, 1); k <= ClientModel::NumPhases; ++k)
        m_model.seats[seat].sheet[k] = SheetCell::dash();
}

void ClientGame::justwatching(const protocol::JustWatching &message)
{
    const auto &[seat, mode] = message;
    if (!ClientState::isSeat(seat))
        return;
    const bool watching = mode == protocol::WatchMode::ComputerPlays;
    if (seat == m_state.myid) {
        m_model.justWatching = watching;
        Q_EMIT justWatchChanged(watching);
    }
    if (seat == m_state.myid)
        status(watching ? QStringLiteral("You are just watching") : QStringLiteral("You are now playing again"));
    else
        status(inLine(m_model.seatName(seat))
               + (watching ? QStringLiteral(" is just watching") : QStringLiteral(" is now playing again")));
    m_model.seats[seat].watching = watching;
}

void ClientGame::winner(const protocol::Winner &message)
{
    const QString names = label(message.names);
    m_model.stage = GameStage::Over;
    m_model.step = TurnStep::Idle;
    m_model.currentplayer = 0;
    Q_EMIT soundRequested(QStringLiteral("winner"));
    const bool seated = ClientState::isSeat(m_state.myid);
    const bool won = seated && m_model.seatName(m_state.myid) == names;
    m_model.winnerLine =
        won ? QStringLiteral("You have Won the Game!") : names + QStringLiteral(" has Won the Game!");
    status(won ? m_model.winnerLine : inLine(names) + QStringLiteral(" has Won the Game!"));
    m_model.phaseLine.clear();
    m_model.statusLine = QStringLiteral("Game Over!");
    m_model.markAllPhases(PhaseMark::Done);
    m_model.illustration.reset();
    if (won)
        Q_EMIT tallyGame(QStringLiteral("addtomine"));
    else if (seated && !names.contains(QLatin1String(" and ")))
        Q_EMIT tallyGame(names);
}

void ClientGame::loadstats(const protocol::LoadStats &message)
{
    if (message.seat != m_state.myid)
        return;
    const int player = message.current;
    m_model.currentplayer = player;
    m_model.step = player != 0 ? TurnStep::Rolled : TurnStep::Idle;
    m_model.round = message.round;
    for (int s = 1; s <= ClientState::numseats; ++s)
        m_model.seats[s].total = message.totals[s - 1];
    m_model.resetAllDice();
    showDice(message.dice);
    m_model.rollsUsed = message.rolls;
    if (player != 0)
        setPhaseLine(player, message.phase);
    placeTurnMarker(player);
    if (player != 0 && player == m_state.myid)
        startOwnTurn(message.phase);
    else if (player != 0)
        showOthersTurn(player);
}

void ClientGame::loadpscores(const protocol::LoadPScores &message)
{
    if (message.seat != m_state.myid)
        return;
    for (const protocol::SheetEntry &entry : message.entries)
        m_model.seats[entry.seat].sheet[entry.slot] = SheetCell::of(entry.points);
}

void ClientGame::clearall()
{
    m_model.clearScores();
}
