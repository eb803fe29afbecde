#include "computerplayer.h"

#include "computerstrategy.h"
#include "turnengine.h"
#include "turnsink.h"

namespace {

// "+" and the number of every die whose keep flag equals flag, ascending.
QByteArray dieList(const KeepFlags &keep, int flag)
{
    static constexpr const char *Numbers[NumDice + 1] = {
        "", "+1", "+2", "+3", "+4", "+5", "+6", "+7", "+8", "+9", "+10"};
    QByteArray list;
    list.reserve(32);
    for (int die = 1; die <= NumDice; ++die) {
        if (keep[die] == flag)
            list.append(Numbers[die]);
    }
    return list;
}

} // namespace

ComputerPlayer::ComputerPlayer(HostState &state, TurnEngine &engine, TurnSink &sink)
    : m_state(state)
    , m_engine(engine)
    , m_sink(sink)
{
}

void ComputerPlayer::armStep(int step)
{
    m_sink.armComputerTimer(m_state.botspeedms, step);
}

void ComputerPlayer::computertimerTimer(int step)
{
    m_sink.disableComputerTimer();
    const int seat = m_state.currentplayer;
    if (seat < 1 || seat > m_state.numseats || !m_state.computerPlayed(seat))
        return; // the turn waits for its player
    if (step == RollStep)
        computerroll(seat);
    else if (step == KeepStep)
        computerplay(seat);
}

void ComputerPlayer::computerroll(int seat)
{
    if (seat < 1 || seat > m_state.numseats)
        return;
    const KeepFlags &keep = m_state.seats[seat].keep;
    QByteArray text = QByteArray::number(seat);
    if (m_state.rollcount >= TurnEngine::MaxRolls) {
        const QByteArray kept = dieList(keep, 1);
        text.append(kept.isEmpty() ? QByteArray("+none") : kept);
        m_engine.alldone(text);
        return;
    }
    const QByteArray toRoll = dieList(keep, 0);
    if (!toRoll.isEmpty()) {
        m_engine.rollthedice(text + toRoll);
        return;
    }
    m_engine.alldone(text + "+1+2+3+4+5+6+7+8+9+10");
}

void ComputerPlayer::computerplay(int seat)
{
    if (seat < 1 || seat > m_state.numseats)
        return;
    TSeat &s = m_state.seats[seat];
    s.keep.fill(0);
    if (computerstrategy::decideKeep(s.phase, m_state.dice, s.keep))
        armStep(RollStep);
}
