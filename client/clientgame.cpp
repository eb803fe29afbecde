#include "clientgame.h"

#include "chatview.h"
#include "clientmodel.h"
#include "clientstate.h"
#include "protocol.h"
#include "version.h"

#include <utility>

using protocol::FieldCursor;
using protocol::ProtocolError;

namespace {

const QColor StatusBlue(0, 0, 255);

int takeRanged(FieldCursor &cursor, int lo, int hi, const char *what)
{
    const int value = cursor.takeInt();
    if (value < lo || value > hi)
        throw ProtocolError(std::string(what) + " out of range: " + std::to_string(value));
    return value;
}

QString text(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
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
        dispatch(line);
    } catch (...) {
        Q_EMIT modelChanged(); // what the handler changed before it gave up is shown too
        throw;
    }
    Q_EMIT modelChanged();
}

void ClientGame::dispatch(const QByteArray &line)
{
    using Handler = void (ClientGame::*)(const QByteArray &);
    static const std::pair<const char *, Handler> handlers[] = {
        {"CMD_sendlogininfo", &ClientGame::sendloginfo},
        {"CMD_chat", &ClientGame::chatrecieved},
        {"CMD_action", &ClientGame::chatrecieved},
        {"CMD_playasound", &ClientGame::playasound},
        {"CMD_newplayerinfo", &ClientGame::newplayerinfo},
        {"CMD_existingplayers", &ClientGame::newplayerinfo},
        {"CMD_playerdisconnected", &ClientGame::playerdisconnected},
        {"CMD_startgame", &ClientGame::startthegame},
        {"CMD_nextplayer", &ClientGame::getnextplayer},
        {"CMD_winner", &ClientGame::winner},
        {"CMD_justwatching", &ClientGame::justwatching},
        {"CMD_createdice", &ClientGame::createdice},
        {"CMD_scores", &ClientGame::scores},
        {"CMD_noscore", &ClientGame::noscore},
        {"CMD_loadstats", &ClientGame::loadstats},
        {"CMD_markoff", &ClientGame::markoff},
        {"CMD_loadpscores", &ClientGame::loadpscores},
    };
    const auto [command, data] = protocol::splitCommand(line);
    if (command.isEmpty())
        return;
    if (command == "CMD_havewrongversion") {
        status(text(data) + QStringLiteral(" has a different version of the game then you."));
    } else if (command == "CMD_wrongversion") {
        status(QStringLiteral("You have a differnt version of the game then the host."));
    } else if (command == "CMD_full") {
        Q_EMIT gameFull();
    } else {
        for (const auto &[word, handler] : handlers) {
            if (command == word) {
                (this->*handler)(data);
                return;
            }
        }
    }
}

void ClientGame::status(const QString &line)
{
    Q_EMIT chatLine(QStringLiteral("0+") + line, StatusBlue);
}

int ClientGame::takeSeat(FieldCursor &cursor) const
{
    return takeRanged(cursor, 1, ClientModel::NumSeats, "seat");
}

void ClientGame::sendloginfo(const QByteArray &data)
{
    FieldCursor cursor(data);
    const QByteArray number = cursor.take();
    m_state.myid = protocol::toInt(number);
    m_state.loggedin = true;
    Q_EMIT requestReady("CMD_logininfo+" + number + '+' + QByteArray(GameVersion) + '+'
                        + m_state.playername.toUtf8());
}

void ClientGame::chatrecieved(const QByteArray &data)
{
    const auto [line, color] = ChatView::chatBody(text(data));
    Q_EMIT chatLine(line, color);
}

void ClientGame::playasound(const QByteArray &data)
{
    Q_EMIT chatterSoundReceived(data);
}

void ClientGame::newplayerinfo(const QByteArray &data)
{
    FieldCursor cursor(data);
    const int n = takeRanged(cursor, 1, 1000000, "connection number");
    const QString name = text(cursor.takeRest());
    if (n == m_state.myid) {
        status(QStringLiteral("You are Connected."));
        Q_EMIT ownArrival();
    } else {
        status(name + QStringLiteral(" is Connected."));
    }
    if (ClientModel::isSeat(n)) {
        m_model.seats[n].status = SeatStatus::Player;
        m_model.seats[n].name = name;
    } else {
        Q_EMIT spyArrived(n, name);
        status(n == m_state.myid ? QStringLiteral("You are spying.") : name + QStringLiteral(" is spying."));
    }
    Q_EMIT soundRequested(QStringLiteral("entered"));
}

void ClientGame::playerdisconnected(const QByteArray &data)
{
    FieldCursor cursor(data);
    const int n = takeRanged(cursor, 1, 1000000, "connection number");
    const QString name = text(cursor.takeRest());
    if (ClientModel::isSeat(n)) {
        SeatModel &seat = m_model.seats[n];
        if (seat.status != SeatStatus::Empty)
            status(seat.name + QStringLiteral(" disconnected."));
        // The host's computer player takes seat 2 over.
        seat.status = n == 2 ? SeatStatus::Computer : SeatStatus::Empty;
        seat.name = n == 2 ? ClientModel::ComputerName : QString();
        seat.watching = false;
        return;
    }
    if (m_removeSpy && m_removeSpy(n, name)) {
        status(name + QStringLiteral(" has left."));
        Q_EMIT spyLeft(n, name);
    }
}

void ClientGame::startthegame(const QByteArray &data)
{
    FieldCursor cursor(data);
    const QString name = text(cursor.take());
    m_model.stage = GameStage::Running;
    m_model.step = TurnStep::Idle;
    m_model.justWatching = false;
    Q_EMIT justWatchChanged(false);
    m_model.round = 0;
    clearall();
    status(name + QStringLiteral(" has started a game."));
    SeatModel &second = m_model.seats[2];
    if (second.status == SeatStatus::Empty) {
        second.status = SeatStatus::Computer;
        second.name = ClientModel::ComputerName;
    }
    m_model.markAllPhases(PhaseMark::Plain);
    m_model.illustration.reset();
    m_model.shownphase = 0;
}

void ClientGame::getnextplayer(const QByteArray &data)
{
    FieldCursor cursor(data);
    const int player = takeSeat(cursor);
    const int phase = takeRanged(cursor, 1, 10, "phase");
    const int round = takeRanged(cursor, 0, 1000000, "round");
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
    if (ClientModel::isSeat(seat))
        m_model.markerSeat = seat;
}

void ClientGame::readDiceTriples(FieldCursor &cursor)
{
    if (cursor.rest() == "none") {
        cursor.takeRest();
        return;
    }
    const QList<QByteArray> fields = cursor.takeList();
    if (fields.size() % 3 != 0)
        throw ProtocolError("incomplete dice triple");
    QList<std::array<int, 3>> triples;
    for (qsizetype i = 0; i < fields.size(); i += 3) {
        const int n = protocol::toInt(fields[i]);
        const int value = protocol::toInt(fields[i + 1]);
        const int color = protocol::toInt(fields[i + 2]);
        if (n < 1 || n > NumDice || value < 0 || value > 10 || color < 1 || color > 4)
            throw ProtocolError("die out of range");
        triples.append({n, value, color});
    }
    for (const auto &[n, value, color] : triples) {
        m_model.dice[n] = TDie{value, color, false};
        m_model.dieDrawn[n] = true;
        m_model.dieRaised[n] = false;
    }
}

void ClientGame::createdice(const QByteArray &data)
{
    FieldCursor cursor(data);
    const int player = takeSeat(cursor);
    const int rolls = takeRanged(cursor, 0, 1000000, "rolls");
    m_model.step = TurnStep::Rolled;
    m_model.rollsUsed = rolls;
    m_model.currentplayer = player;
    // The dice not listed are the ones kept from the last roll: they stay raised.
    m_model.raiseAllDice(true);
    readDiceTriples(cursor);
    Q_EMIT soundRequested(QStringLiteral("dice"));
}

void ClientGame::clearLastResults()
{
    for (int s = 1; s <= ClientModel::NumSeats; ++s)
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

void ClientGame::scores(const QByteArray &data)
{
    FieldCursor cursor(data);
    const int seat = takeSeat(cursor);
    const int phase = takeRanged(cursor, 1, 10, "phase");
    const int total = cursor.takeInt();
    const int points = cursor.takeInt();
    const int bonus = cursor.takeInt();
    const QByteArray kind = cursor.take();
    const QList<int> used = cursor.takeDieList();
    m_model.step = TurnStep::Judged;
    clearLastResults();
    markUsedDice(used);
    SeatModel &scorer = m_model.seats[seat];
    scorer.sheet[phase] = SheetCell::of(points);
    if (kind == "goneout" && bonus > 0) {
        for (int s = 1; s <= ClientModel::NumSeats; ++s)
            m_model.seats[s].sheet[12] = s == seat ? SheetCell::of(bonus) : SheetCell::dash();
    }
    if (kind == "bonus")
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

void ClientGame::noscore(const QByteArray &data)
{
    FieldCursor cursor(data);
    const int seat = takeSeat(cursor);
    const QList<int> offered = cursor.takeDieList();
    m_model.step = TurnStep::Judged;
    clearLastResults();
    markUsedDice(offered);
    m_model.phaseLine = seat == m_state.myid ? QStringLiteral("You did not complete the phase.")
                                             : m_model.seatName(seat) + QStringLiteral(" did not complete the phase.");
    m_model.seats[seat].result = SeatModel::Result::Failed;
    m_model.statusLine = QStringLiteral("One Moment Please..");
    Q_EMIT soundRequested(QStringLiteral("nopoints"));
}

void ClientGame::markoff(const QByteArray &data)
{
    FieldCursor cursor(data);
    const int seat = takeSeat(cursor);
    const int phase = cursor.takeInt();
    for (int k = qMax(phase, 1); k <= ClientModel::NumPhases; ++k)
        m_model.seats[seat].sheet[k] = SheetCell::dash();
}

void ClientGame::justwatching(const QByteArray &data)
{
    FieldCursor cursor(data);
    const int seat = cursor.takeInt();
    const QByteArray flag = cursor.take();
    if (!ClientModel::isSeat(seat))
        return;
    const bool watching = flag == "1";
    if (seat == m_state.myid) {
        m_model.justWatching = watching;
        Q_EMIT justWatchChanged(watching);
    }
    status(m_model.seatName(seat)
           + (watching ? QStringLiteral(" is just watching") : QStringLiteral(" is now playing again")));
    m_model.seats[seat].watching = watching;
}

void ClientGame::winner(const QByteArray &data)
{
    FieldCursor cursor(data);
    const QString names = text(cursor.take());
    m_model.stage = GameStage::Over;
    m_model.step = TurnStep::Idle;
    m_model.currentplayer = 0;
    Q_EMIT soundRequested(QStringLiteral("winner"));
    const bool seated = ClientModel::isSeat(m_state.myid);
    const bool won = seated && m_model.seatName(m_state.myid) == names;
    const QString line = won ? QStringLiteral("You have Won the Game!") : names + QStringLiteral(" has Won the Game!");
    m_model.winnerLine = line;
    status(line);
    m_model.phaseLine.clear();
    m_model.statusLine = QStringLiteral("Game Over!");
    m_model.markAllPhases(PhaseMark::Done);
    m_model.illustration.reset();
    if (won)
        Q_EMIT tallyGame(QStringLiteral("addtomine"));
    else if (seated && !names.contains(QLatin1String(" and ")))
        Q_EMIT tallyGame(names);
}

void ClientGame::loadstats(const QByteArray &data)
{
    FieldCursor cursor(data);
    if (cursor.takeInt() != m_state.myid)
        return;
    const int player = takeRanged(cursor, 0, ClientModel::NumSeats, "seat");
    const int phase = takeRanged(cursor, 0, 11, "phase");
    const int round = cursor.takeInt();
    const int rolls = cursor.takeInt();
    std::array<int, ClientModel::NumSeats + 1> totals{};
    for (int s = 1; s <= ClientModel::NumSeats; ++s)
        totals[s] = cursor.takeInt();
    m_model.currentplayer = player;
    m_model.step = player != 0 ? TurnStep::Rolled : TurnStep::Idle;
    m_model.round = round;
    for (int s = 1; s <= ClientModel::NumSeats; ++s)
        m_model.seats[s].total = totals[s];
    m_model.resetAllDice();
    readDiceTriples(cursor);
    m_model.rollsUsed = rolls;
    if (player != 0)
        setPhaseLine(player, phase);
    placeTurnMarker(player);
    if (player != 0 && player == m_state.myid)
        startOwnTurn(phase);
    else if (player != 0)
        showOthersTurn(player);
}

void ClientGame::loadpscores(const QByteArray &data)
{
    FieldCursor cursor(data);
    if (cursor.takeInt() != m_state.myid)
        return;
    const QList<QByteArray> fields = cursor.takeList();
    if (fields.size() % 3 != 0)
        throw ProtocolError("incomplete score triple");
    QList<std::array<int, 3>> entries;
    for (qsizetype i = 0; i < fields.size(); i += 3) {
        const int seat = protocol::toInt(fields[i]);
        const int row = protocol::toInt(fields[i + 1]);
        const int value = protocol::toInt(fields[i + 2]);
        if (!ClientModel::isSeat(seat) || row < 1 || row > ClientModel::NumRows)
            throw ProtocolError("score slot out of range");
        entries.append({seat, row, value});
    }
    for (const auto &[seat, row, value] : entries)
        m_model.seats[seat].sheet[row] = SheetCell::of(value);
}

void ClientGame::clearall()
{
    m_model.clearScores();
}
