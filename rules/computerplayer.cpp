#include "computerplayer.h"

#include "computerstrategy.h"
#include "turnengine.h"
#include "turnsink.h"

namespace {

// Every die whose keep flag equals flag, ascending.
QList<int> diceFlagged(const KeepFlags &keep, int flag)
{
    QList<int> dice;
    for (int die = 1; die <= NumDice; ++die) {
        if (keep[die] == flag)
            dice.append(die);
    }
    return dice;
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
    if (m_state.rollcount >= TurnEngine::MaxRolls) {
        m_engine.alldone({seat, diceFlagged(keep, 1)});
        return;
    }
    const QList<int> toRoll = diceFlagged(keep, 0);
    if (!toRoll.isEmpty()) {
        m_engine.rollthedice({seat, toRoll});
        return;
    }
    m_engine.alldone({seat, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}});
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
