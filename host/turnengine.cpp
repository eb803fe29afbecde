#include "turnengine.h"

#include "gamerandom.h"
#include "phasetests.h"
#include "protocol.h"
#include "protocollimits.h"
#include "turnsink.h"

#include <QByteArrayView>
#include <QVarLengthArray>

#include <array>
#include <charconv>
#include <string>

namespace {

// Messages are built in a std::string and handed over once: the simulator sends hundreds
// of them per game, and small appends to a QByteArray cost far more.
class Message
{
public:
    explicit Message(const char *command) : m_text(command) { m_text.reserve(96); }

    Message &field(int value)
    {
        char buf[16];
        const auto result = std::to_chars(buf, buf + sizeof buf, value);
        m_text += '+';
        m_text.append(buf, result.ptr - buf);
        return *this;
    }
    Message &field(const char *text)
    {
        m_text += '+';
        m_text += text;
        return *this;
    }
    Message &field(const QByteArray &text)
    {
        m_text += '+';
        m_text.append(text.constData(), size_t(text.size()));
        return *this;
    }
    Message &text(const char *text)
    {
        m_text += text;
        return *this;
    }
    Message &text(const QByteArray &text)
    {
        m_text.append(text.constData(), size_t(text.size()));
        return *this;
    }
    // "+" die for every die whose judging state is accepted, ascending; "+none" if none is.
    template<typename Accept>
    Message &dieList(const DiceState &state, Accept accept)
    {
        const size_t before = m_text.size();
        for (int die = 1; die <= NumDice; ++die) {
            if (accept(state[die]))
                field(die);
        }
        if (m_text.size() == before)
            m_text += "+none";
        return *this;
    }

    QByteArray bytes() const { return QByteArray(m_text.data(), qsizetype(m_text.size())); }

private:
    std::string m_text;
};

int number(QByteArrayView field)
{
    return protocol::toInt(QByteArray::fromRawData(field.data(), field.size()));
}

// The seat field of a request and what follows its "+" (nothing without one).
struct SeatAndRest
{
    int seat;
    QByteArrayView rest;
};

SeatAndRest takeSeat(const QByteArray &text)
{
    const QByteArrayView all(text);
    const qsizetype plus = text.indexOf(protocol::Separator);
    if (plus < 0)
        return {number(all), QByteArrayView()};
    return {number(all.first(plus)), all.sliced(plus + 1)};
}

using DieList = QVarLengthArray<int, NumDice>;

// A die list read like protocol::FieldCursor::takeDieList, without copying the text:
// "none" is empty; every element must be a die number 1 to 10, no die twice (so at most ten
// of them), else ProtocolError.
DieList takeDieList(QByteArrayView rest)
{
    DieList dice;
    if (rest == "none")
        return dice;
    std::array<bool, NumDice + 1> listed{};
    qsizetype start = 0;
    while (true) {
        qsizetype end = start;
        while (end < rest.size() && rest[end] != protocol::Separator)
            ++end;
        const int die = number(rest.sliced(start, end - start));
        if (die < 1 || die > NumDice)
            throw protocol::ProtocolError("die number out of range: " + std::to_string(die));
        if (listed[die])
            throw protocol::ProtocolError("die " + std::to_string(die) + " listed twice");
        listed[die] = true;
        dice.append(die);
        if (end == rest.size())
            return dice;
        start = end + 1;
    }
}

// Row of the colour table per die: dice 1 and 5, 2 and 6, 3, 7 and 9, 4, 8 and 10.
constexpr int ColorRow[NumDice + 1] = {0, 0, 1, 2, 3, 0, 1, 2, 3, 2, 3};

} // namespace

TurnEngine::TurnEngine(HostState &state, TurnSink &sink)
    : m_state(state)
    , m_sink(sink)
{
}

void TurnEngine::startgame(const QByteArray &text)
{
    protocol::FieldCursor cursor(text);
    Message message("CMD_startgame");
    for (int i = 0; i < 4; ++i)
        message.field(cursor.take());
    const QByteArray relay = message.text("+").bytes();
    if (relay.size() > limits::MaxMessageBytes)
        throw protocol::ProtocolError("its relay would be longer than a client accepts");

    m_sink.disableComputerTimer();
    m_sink.disablePauseTimer();
    m_state.gameon = true;
    m_state.someoneout = false;
    m_sink.broadcast(relay);

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
        s.status = 0;
        s.pscores.fill(0);
    }
}

void TurnEngine::findplayer()
{
    m_sink.disableComputerTimer();
    // A turn that starts out of order (the seat on turn left) ends any pending pause,
    // which would otherwise cut the new turn short when it runs out.
    m_sink.disablePauseTimer();

    bool anyone = false;
    for (int seat = 1; seat <= m_state.numseats && !anyone; ++seat)
        anyone = m_state.takesPart(seat);
    if (!anyone) {
        checkforwin();
        return;
    }

    int &current = m_state.currentplayer;
    do {
        ++current;
        if (current > m_state.numseats || current < 1)
            current = 1;
    } while (!m_state.takesPart(current));
    if (current == 1)
        ++m_state.roundno;

    clearDice();
    m_state.rollcount = 0;
    TSeat &s = m_state.seats[current];
    s.lastscore = 0;
    // Whoever plays the turn: the computer may take it over before the first roll, and
    // then must not keep dice from a turn it played before.
    s.keep.fill(0);

    m_sink.broadcast(Message("CMD_nextplayer")
                         .field(current)
                         .field(s.phase)
                         .field(m_state.roundno)
                         .text("+")
                         .bytes());

    if (m_state.computerPlayed(current))
        m_sink.armComputerTimer(m_state.botspeedms, 1);
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

void TurnEngine::rollthedice(const QByteArray &text)
{
    if (!text.contains(protocol::Separator)) {
        // The player kept every die: the turn ends with all ten dice offered.
        alldone(text + "+1+2+3+4+5+6+7+8+9+10");
        return;
    }

    const auto [seat, rest] = takeSeat(text);
    if (!acceptsTurnRequest(seat) || rest.isEmpty())
        return;
    if (m_state.rollcount >= MaxRolls)
        return;
    if (rest == "none") // a roll's empty list is the seat alone, handled above
        throw protocol::ProtocolError("a roll that lists no dice");
    const DieList listed = takeDieList(rest); // throws before anything changes
    // The first roll of a turn rolls every die, whatever the list says: a die never rolled
    // this turn would otherwise stay on the table as a wild.
    static const DieList AllDice{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const DieList &toRoll = m_state.rollcount == 0 ? AllDice : listed;

    ++m_state.rollcount;
    Message message("CMD_createdice");
    message.field(seat).field(m_state.rollcount);
    for (int die : toRoll) {
        rolldice(die);
        message.field(die).field(m_state.dice[die].value).field(m_state.dice[die].color);
    }
    if (!toRoll.isEmpty())
        m_sink.broadcast(message.bytes());

    if (m_state.computerPlayed(seat))
        m_sink.armComputerTimer(m_state.botspeedms, 2);
}

void TurnEngine::rolldice(int die)
{
    if (die < 1 || die > NumDice)
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
    if (die < 1 || die > NumDice || r < 1 || r > 6)
        return 0;
    return (r - 1 + ColorRow[die]) % 4 + 1;
}

int TurnEngine::facevalue(int die, int r)
{
    if (die <= 4)
        return r <= 4 ? r : 0;
    return r + 4;
}

void TurnEngine::alldone(const QByteArray &text)
{
    const auto [seat, rest] = takeSeat(text);
    if (!acceptsTurnRequest(seat))
        return;
    const DieList offered = takeDieList(rest); // throws before anything changes

    m_state.rollcount = 5;
    m_state.dicestate.fill(0);
    bool judged = false;
    for (int die : offered) {
        // A die not rolled this turn (colour 0) is never judged: offering it is not offering it.
        if (m_state.dice[die].color == 0)
            continue;
        m_state.dicestate[die] = 1;
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

void TurnEngine::scoreCompleted(int seat, int points)
{
    TSeat &s = m_state.seats[seat];
    s.lastscore = points;
    s.score += points;
    s.pscores[s.phase] = points; // phase 1 to 10 here: other phases never score
    s.phase += 1;

    int bonus = 0;
    const char *kind = "none";
    if (s.phase == 6) {
        kind = "bonus";
        if (s.score > Phase5BonusAbove) {
            bonus = Phase5Bonus;
            s.score += Phase5Bonus;
            s.pscores[11] = Phase5Bonus;
        }
    }
    if (s.phase == 11) {
        s.status = 2;
        if (!m_state.someoneout) {
            m_state.someoneout = true;
            kind = "goneout";
            bonus = GoneOutBonus;
            s.score += GoneOutBonus;
            s.pscores[12] = GoneOutBonus;
            for (int other = 1; other <= m_state.numseats; ++other) {
                if (other != seat)
                    m_state.seats[other].status = 1;
            }
        }
    }

    m_sink.broadcast(Message("CMD_scores")
                         .field(seat)
                         .field(s.phase - 1)
                         .field(s.score)
                         .field(s.lastscore)
                         .field(bonus)
                         .field(kind)
                         .dieList(m_state.dicestate, [](int st) { return st == 2; })
                         .bytes());
}

void TurnEngine::scoreFailed(int seat)
{
    TSeat &s = m_state.seats[seat];
    if (s.status == 1) {
        s.status = 2;
        m_sink.broadcast(Message("CMD_markoff").field(seat).field(s.phase).text("+").bytes());
    }

    m_sink.broadcast(Message("CMD_noscore")
                         .field(seat)
                         .dieList(m_state.dicestate, [](int st) { return st == 1 || st == 2; })
                         .bytes());
}

void TurnEngine::checkforwin()
{
    int best = 1;
    for (int seat = 2; seat <= m_state.numseats; ++seat) {
        if (m_state.seats[seat].score > m_state.seats[best].score)
            best = seat;
    }
    const int bestScore = m_state.seats[best].score;

    Message message("CMD_winner");
    message.field(m_state.displayName(best));
    for (int seat = 1; seat <= m_state.numseats; ++seat) {
        if (seat != best && m_state.seats[seat].score == bestScore)
            message.text(" and ").text(m_state.displayName(seat));
    }
    m_sink.broadcast(message.text("+").bytes());
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
