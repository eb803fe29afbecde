#include "clientgame.h"

#include "board.h"
#include "boardpictures.h"
#include "chatview.h"
#include "clientstate.h"
#include "dicetray.h"
#include "picturebox.h"
#include "picturebutton.h"
#include "protocol.h"
#include "version.h"

#include <QLabel>
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

ClientGame::ClientGame(Board &board, ClientState &state, DiceTray &tray, QObject *parent)
    : QObject(parent)
    , m_board(board)
    , m_state(state)
    , m_tray(tray)
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

QString ClientGame::seatName(int seat) const
{
    return ClientState::isSeat(seat) ? m_board.playerName(seat)->text() : QString();
}

int ClientGame::takeSeat(FieldCursor &cursor) const
{
    return takeRanged(cursor, 1, ClientState::numseats, "seat");
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
    if (ClientState::isSeat(n)) {
        m_board.playerName(n)->setText(name);
        m_board.playerName(n)->show();
        m_board.score(n)->show();
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
    if (ClientState::isSeat(n)) {
        QLabel *label = m_board.playerName(n);
        if (label->text() != QLatin1String("<Waiting>"))
            status(label->text() + QStringLiteral(" disconnected."));
        label->setText(n == 2 ? QStringLiteral("Klot") : QStringLiteral("<Waiting>"));
        m_board.eyes(n)->hide();
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
    m_board.button_start->hide();
    m_board.button_alldone->hide();
    m_board.button_roll->hide();
    m_board.image_Turn->show();
    m_board.image_winner->hide();
    m_board.label_winner->hide();
    m_state.justWatching = false;
    Q_EMIT justWatchChanged(false);
    m_board.setRound(0);
    clearall();
    status(name + QStringLiteral(" has started a game."));
    if (m_board.playerName(2)->text() == QLatin1String("<Waiting>"))
        m_board.playerName(2)->setText(QStringLiteral("Klot"));
    for (int p = 1; p <= 10; ++p)
        m_board.setPhaseStyle(p, Board::PhaseStyle::Plain);
    m_board.image_example->clearPicture();
    m_state.shownphase = 0;
}

void ClientGame::getnextplayer(const QByteArray &data)
{
    FieldCursor cursor(data);
    const int player = takeSeat(cursor);
    const int phase = takeRanged(cursor, 1, 10, "phase");
    const int round = takeRanged(cursor, 0, 1000000, "round");
    m_tray.startShuffle();
    m_state.currentplayer = player;
    m_board.setRound(round);
    setPhaseLine(player, phase);
    placeTurnMarker(player);
    setRolls(0);
    for (int n = 1; n <= NumDice; ++n)
        m_tray.resetDie(n);
    if (player == m_state.myid) {
        startOwnTurn(phase);
        m_board.button_roll->show();
    } else {
        m_board.label_status->setText(seatName(player) + QStringLiteral("'s turn"));
    }
}

void ClientGame::startOwnTurn(int phase)
{
    m_board.label_status->setText(QStringLiteral("Your Turn"));
    Q_EMIT soundRequested(turnSoundNew ? QStringLiteral("turnnew") : QStringLiteral("turn"));
    highlightPhase(phase);
}

void ClientGame::setPhaseLine(int player, int phase)
{
    const QString prefix = player == m_state.myid ? QStringLiteral("You") : seatName(player);
    const QString verb = player == m_state.myid ? QStringLiteral(" are trying to get: ")
                                                : QStringLiteral(" is trying to get: ");
    m_board.label_phase->setText(prefix + verb + phasename(phase));
}

void ClientGame::placeTurnMarker(int seat)
{
    if (ClientState::isSeat(seat))
        m_board.image_Turn->move(m_board.playerName(seat)->x() - 10, m_board.image_Turn->y());
}

void ClientGame::setRolls(int used)
{
    m_board.image_rolls->setPicture(boardpictures::rolls(qBound(0, used, 3)));
}

void ClientGame::highlightPhase(int phase)
{
    if (phase == m_state.shownphase || phase < 1 || phase > 10)
        return;
    for (int p = 1; p < phase; ++p)
        m_board.setPhaseStyle(p, Board::PhaseStyle::Done);
    m_board.setPhaseStyle(phase, Board::PhaseStyle::Current);
    m_board.image_example->setPicture(boardpictures::example(phase));
    m_state.shownphase = phase;
}

void ClientGame::readDiceTriples(FieldCursor &cursor, bool draw)
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
        m_state.dice[n] = TDie{value, color, false};
        if (draw)
            m_tray.drawDie(n);
    }
}

void ClientGame::createdice(const QByteArray &data)
{
    FieldCursor cursor(data);
    const int player = takeSeat(cursor);
    const int rolls = takeRanged(cursor, 0, 1000000, "rolls");
    m_tray.stopShuffle();
    setRolls(rolls);
    m_state.currentplayer = player;
    m_tray.raiseAll(true);
    readDiceTriples(cursor, true);
    const bool own = player == m_state.myid;
    m_board.button_alldone->setVisible(own);
    m_board.button_roll->setVisible(own && rolls < 3);
    Q_EMIT soundRequested(QStringLiteral("dice"));
}

void ClientGame::clearLastResults()
{
    for (int s = 1; s <= ClientState::numseats; ++s)
        m_board.bonus(s)->clear();
}

void ClientGame::markUsedDice(const QList<int> &dice)
{
    if (dice.isEmpty())
        return; // "none": the dice stay as they are
    m_tray.raiseAll(false);
    for (int n : dice)
        m_tray.setRaised(n, true);
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
    m_board.button_roll->hide();
    m_board.button_alldone->hide();
    clearLastResults();
    markUsedDice(used);
    m_board.cell(seat, phase)->setText(QString::number(points));
    if (kind == "goneout" && bonus > 0) {
        for (int s = 1; s <= ClientState::numseats; ++s)
            m_board.cell(s, 12)->setText(s == seat ? QString::number(bonus) : QStringLiteral("-"));
    }
    if (kind == "bonus")
        m_board.cell(seat, 11)->setText(bonus != 0 ? QString::number(bonus) : QStringLiteral("-"));
    m_board.score(seat)->setText(QString::number(total));
    m_board.bonus(seat)->setText(QStringLiteral("+%1").arg(points));
    if (seat == m_state.myid)
        advanceOwnPhase();
    else
        m_board.label_phase->setText(seatName(seat) + QStringLiteral(" completed the phase."));
    m_board.label_status->setText(QStringLiteral("One Moment Please.."));
    Q_EMIT soundRequested(QStringLiteral("gotpoints"));
}

void ClientGame::advanceOwnPhase()
{
    m_board.label_phase->setText(QStringLiteral("Way to Go! You completed the phase."));
    for (int p = 1; p <= m_state.shownphase && p <= 10; ++p)
        m_board.setPhaseStyle(p, Board::PhaseStyle::Done);
    m_board.image_example->clearPicture();
    m_state.shownphase += 1;
    if (m_state.shownphase <= 10) {
        m_board.setPhaseStyle(m_state.shownphase, Board::PhaseStyle::Current);
        m_board.image_example->setPicture(boardpictures::example(m_state.shownphase));
    }
}

void ClientGame::noscore(const QByteArray &data)
{
    FieldCursor cursor(data);
    const int seat = takeSeat(cursor);
    const QList<int> offered = cursor.takeDieList();
    clearLastResults();
    markUsedDice(offered);
    m_board.label_phase->setText(seat == m_state.myid ? QStringLiteral("You did not complete the phase.")
                                                      : seatName(seat) + QStringLiteral(" did not complete the phase."));
    m_board.bonus(seat)->setText(QStringLiteral("-"));
    m_board.label_status->setText(QStringLiteral("One Moment Please.."));
    Q_EMIT soundRequested(QStringLiteral("nopoints"));
}

void ClientGame::markoff(const QByteArray &data)
{
    FieldCursor cursor(data);
    const int seat = takeSeat(cursor);
    const int phase = cursor.takeInt();
    for (int k = qMax(phase, 1); k <= 10; ++k)
        m_board.cell(seat, k)->setText(QStringLiteral("-"));
}

void ClientGame::justwatching(const QByteArray &data)
{
    FieldCursor cursor(data);
    const int seat = cursor.takeInt();
    const QByteArray flag = cursor.take();
    if (!ClientState::isSeat(seat))
        return;
    const bool watching = flag == "1";
    if (seat == m_state.myid) {
        m_state.justWatching = watching;
        Q_EMIT justWatchChanged(watching);
    }
    status(seatName(seat) + (watching ? QStringLiteral(" is just watching") : QStringLiteral(" is now playing again")));
    m_board.eyes(seat)->setVisible(watching);
}

void ClientGame::winner(const QByteArray &data)
{
    FieldCursor cursor(data);
    const QString names = text(cursor.take());
    m_board.button_roll->hide();
    m_board.button_alldone->hide();
    m_board.image_Turn->hide();
    m_state.currentplayer = 0;
    Q_EMIT soundRequested(QStringLiteral("winner"));
    const bool seated = ClientState::isSeat(m_state.myid);
    const bool won = seated && seatName(m_state.myid) == names;
    const QString line = won ? QStringLiteral("You have Won the Game!") : names + QStringLiteral(" has Won the Game!");
    m_board.label_winner->setText(line);
    status(line);
    m_board.label_phase->clear();
    m_board.label_status->setText(QStringLiteral("Game Over!"));
    m_board.image_winner->show();
    m_board.label_winner->show();
    for (int p = 1; p <= 10; ++p)
        m_board.setPhaseStyle(p, Board::PhaseStyle::Done);
    m_board.image_example->clearPicture();
    if (m_state.amhost)
        m_board.button_start->show();
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
    const int player = takeRanged(cursor, 0, ClientState::numseats, "seat");
    const int phase = takeRanged(cursor, 0, 11, "phase");
    const int round = cursor.takeInt();
    const int rolls = cursor.takeInt();
    std::array<int, 5> totals{};
    for (int s = 1; s <= ClientState::numseats; ++s)
        totals[s] = cursor.takeInt();
    m_state.currentplayer = player;
    m_board.setRound(round);
    for (int s = 1; s <= ClientState::numseats; ++s)
        m_board.score(s)->setText(QString::number(totals[s]));
    for (int n = 1; n <= NumDice; ++n)
        m_tray.resetDie(n);
    readDiceTriples(cursor, true);
    setRolls(rolls);
    if (player != 0)
        setPhaseLine(player, phase);
    placeTurnMarker(player);
    if (player != 0 && player == m_state.myid) {
        startOwnTurn(phase);
        m_board.button_roll->setVisible(rolls < 3);
        m_board.button_alldone->show();
    } else if (player != 0) {
        m_board.label_status->setText(seatName(player) + QStringLiteral("'s turn"));
    }
}

void ClientGame::loadpscores(const QByteArray &data)
{
    FieldCursor cursor(data);
    if (cursor.takeInt() != m_state.myid)
        return;
    const QList<QByteArray> fields = cursor.takeList();
    if (fields.size() % 3 != 0)
        throw ProtocolError("incomplete score triple");
    for (qsizetype i = 0; i < fields.size(); i += 3) {
        const int seat = protocol::toInt(fields[i]);
        const int row = protocol::toInt(fields[i + 1]);
        const int value = protocol::toInt(fields[i + 2]);
        if (!ClientState::isSeat(seat) || row < 1 || row > 12)
            throw ProtocolError("score slot out of range");
        m_board.cell(seat, row)->setText(QString::number(value));
    }
}

void ClientGame::clearall()
{
    for (int s = 1; s <= ClientState::numseats; ++s) {
        m_board.score(s)->setText(QStringLiteral("0"));
        m_board.bonus(s)->clear();
        for (int row = 1; row <= 12; ++row)
            m_board.cell(s, row)->clear();
    }
    for (int n = 1; n <= NumDice; ++n)
        m_tray.resetDie(n);
}
