#include "turnengine.h"

#include "announcements.h"
#include "computerplayer.h"
#include "gamerandom.h"
#include "phasetests.h"
#include "protocollimits.h"
#include "turnsink.h"

#include <array>

namespace {

constexpr bool isDie(int die)
{
    return die >= 1 && die <= NumDice;
}

// Dice 1 to 10, none twice.
bool validDieList(const QList<int> &dice)
{
    std::array<bool, NumDice + 1> listed{};
    for (const int die : dice) {
        if (!isDie(die) || listed[die])
            return false;
        listed[die] = true;
    }
    return true;
}

// Row of the colour table per die: dice 1 and 5, 2 and 6, 3, 7 and 9, 4, 8 and 10.
constexpr int ColorRow[NumDice + 1] = {0, 0, 1, 2, 3, 0, 1, 2, 3, 2, 3};

} // namespace

TurnEngine::TurnEngine(HostState &state, TurnSink &sink)
    : m_state(state)
    , m_sink(sink)
{
}

void TurnEngine::startgame(const protocol::StartGame &request)
{
    if (request.build().size() > limits::MaxMessageBytes)
        throw protocol::ProtocolError("its relay would be longer than a client accepts");

    m_sink.disableComputerTimer();
    m_sink.disablePauseTimer();
    m_state.gameon = true;
    m_state.someoneout = false;
    m_sink.broadcast(request);

    resetSeatsForNewGame();
    m_state.roundno = 0;
    m_state.currentplayer = 0;
    findplayer();
}

void TurnEngine::resetSeatsForNewGame()
{
    for (int seat = 1; seat <= m_state.numseats; ++seat) {
        TSeat &s = m_state.seats[seat];
        s.score = 0;
        s.justwatching = false;
        s.phase = 1;
        s.status = SeatStatus::InPlay;
        s.pscores.fill(0);
    }
}

void TurnEngine::findplayer()
{
    m_sink.disableComputerTimer();
    // A turn that starts out of order (the seat on turn left) ends any pending pause,
    // which would otherwise cut the new turn short when it runs out.
    m_sink.disablePauseTimer();

    if (!anyoneTakesPart()) {
        checkforwin();
        return;
    }
    const int current = advanceTurn();

    clearDice();
    m_state.rollcount = 0;
    TSeat &s = m_state.seats[current];
    s.lastscore = 0;
    // Whoever plays the turn: the computer may take it over before the first roll, and
    // then must not keep dice from a turn it played before.
    s.keep.fill(0);

    m_sink.broadcast(protocol::NextPlayer{current, s.phase, m_state.roundno});

    if (m_state.computerPlayed(current))
        m_sink.armComputerTimer(m_state.botspeedms, ComputerPlayer::RollStep);
}

bool TurnEngine::anyoneTakesPart() const
{
    for (int seat = 1; seat <= m_state.numseats; ++seat) {
        if (m_state.takesPart(seat))
            return true;
    }
    return false;
}

int TurnEngine::advanceTurn()
{
    int &current = m_state.currentplayer;
    do {
        ++current;
        if (current > m_state.numseats || current < 1)
            current = 1;
    } while (!m_state.takesPart(current));
    if (current == 1)
        ++m_state.roundno;
    return current;
}

void TurnEngine::clearDice()
{
    for (TDie &die : m_state.dice)
        die = TDie{};
}

bool TurnEngine::acceptsTurnRequest(int seat) const
{
    return m_state.gameon && seat == m_state.currentplayer && !turnFinished();
}

void TurnEngine::rollthedice(const protocol::RollTheDice &request)
{
    const int seat = request.seat;
    if (request.dice.isEmpty()) {
        // The player kept every die: the turn ends with all ten dice offered.
        alldone({seat, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}});
        return;
    }
    if (!acceptsTurnRequest(seat) || m_state.rollcount >= MaxRolls || !validDieList(request.dice))
        return;
    // The first roll of a turn rolls every die, whatever the list says: a die never rolled
    // this turn would otherwise stay on the table as a wild.
    static const QList<int> AllDice{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const QList<int> &toRoll = m_state.rollcount == 0 ? AllDice : request.dice;

    ++m_state.rollcount;
    protocol::CreateDice message{seat, m_state.rollcount, {}};
    message.dice.reserve(toRoll.size());
    for (const int die : toRoll) {
        rolldice(die);
        message.dice.append({die, m_state.dice[die].value, m_state.dice[die].color});
    }
    m_sink.broadcast(message);

    if (m_state.computerPlayed(seat))
        m_sink.armComputerTimer(m_state.botspeedms, ComputerPlayer::KeepStep);
}

void TurnEngine::rolldice(int die)
{
    if (!isDie(die))
        return;
    TDie &d = m_state.dice[die];
    int r = 0;
    int color = 0;
    do {
        r = gameRandomInt(0, 5) + 1;
        color = findcolor(die, r);
    } while (color == d.color);
    d.value = facevalue(die, r);
    d.color = color;
    d.selected = false;
}

int TurnEngine::findcolor(int die, int r)
{
    if (!isDie(die) || r < 1 || r > 6)
        return 0;
    return (r - 1 + ColorRow[die]) % 4 + 1;
}

int TurnEngine::facevalue(int die, int r)
{
    if (die <= 4)
        return r <= 4 ? r : 0;
    return r + 4;
}

void TurnEngine::alldone(const protocol::AllDone &request)
{
    const int seat = request.seat;
    if (!acceptsTurnRequest(seat) || !validDieList(request.dice))
        return;

    m_state.rollcount = TurnOverRolls;
    m_state.dicestate.fill(Judging::NotOffered);
    bool judged = false;
    for (const int die : request.dice) {
        // A die not rolled this turn (colour 0) is never judged: offering it is not offering it.
        if (m_state.dice[die].color == 0)
            continue;
        m_state.dicestate[die] = Judging::Free;
        judged = true;
    }

    const int phase = m_state.seats[seat].phase;
    const int points = judged ? phasetests::checkforphase(phase, m_state.dice, m_state.dicestate) : 0;
    if (points > 0)
        scoreCompleted(seat, points);
    else
        scoreFailed(seat);

    m_state.pausecount = PauseTicks;
    m_sink.armPauseTimer(1);
}

template <typename Accept>
QList<int> TurnEngine::diceWhere(Accept accept) const
{
    QList<int> dice;
    for (int die = 1; die <= NumDice; ++die) {
        if (accept(m_state.dicestate[die]))
            dice.append(die);
    }
    return dice;
}

void TurnEngine::scoreCompleted(int seat, int points)
{
    TSeat &s = m_state.seats[seat];
    s.lastscore = points;
    s.score += points;
    s.pscores[s.phase] = points; // phase 1 to 10 here: other phases never score
    s.phase += 1;

    const Bonus bonus = awardBonus(seat);
    const QList<int> used = diceWhere([](Judging j) { return j == Judging::Used; });
    m_sink.broadcast(protocol::Scores{seat, s.phase - 1, s.score, s.lastscore, bonus.points, bonus.kind, used});
}

TurnEngine::Bonus TurnEngine::awardBonus(int seat)
{
    TSeat &s = m_state.seats[seat];
    Bonus bonus;
    if (s.phase == 6) {
        bonus.kind = protocol::ScoreKind::Bonus;
        if (s.score > Phase5BonusAbove) {
            bonus.points = Phase5Bonus;
            s.score += Phase5Bonus;
            s.pscores[11] = Phase5Bonus;
        }
    }
    if (s.phase != 11)
        return bonus;
    s.status = SeatStatus::Finished;
    if (m_state.someoneout)
        return bonus;
    // The first seat to go out: everybody else plays one last turn.
    m_state.someoneout = true;
    bonus = {GoneOutBonus, protocol::ScoreKind::GoneOut};
    s.score += GoneOutBonus;
    s.pscores[12] = GoneOutBonus;
    for (int other = 1; other <= m_state.numseats; ++other) {
        if (other != seat)
            m_state.seats[other].status = SeatStatus::PlayingOut;
    }
    return bonus;
}

void TurnEngine::scoreFailed(int seat)
{
    TSeat &s = m_state.seats[seat];
    if (s.status == SeatStatus::PlayingOut) {
        s.status = SeatStatus::Finished;
        m_sink.broadcast(protocol::MarkOff{seat, s.phase});
    }

    const QList<int> offered = diceWhere([](Judging j) { return j == Judging::Free || j == Judging::Used; });
    m_sink.broadcast(protocol::NoScore{seat, offered});
}

void TurnEngine::checkforwin()
{
    int best = 1;
    for (int seat = 2; seat <= m_state.numseats; ++seat) {
        if (m_state.seats[seat].score > m_state.seats[best].score)
            best = seat;
    }
    const int bestScore = m_state.seats[best].score;

    protocol::Winner message{m_state.displayName(best)};
    for (int seat = 1; seat <= m_state.numseats; ++seat) {
        if (seat != best && m_state.seats[seat].score == bestScore)
            message.names += " and " + m_state.displayName(seat);
    }
    m_sink.broadcast(message);
    m_state.gameon = false;
}

void TurnEngine::timer1Timer(int step)
{
    --m_state.pausecount;
    if (m_state.pausecount >= 1)
        return;
    m_sink.disablePauseTimer();
    if (step == 1)
        findplayer();
}
