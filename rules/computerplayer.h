// ComputerPlayer: plays the turns of computer-played seats, one step per timer firing.
#pragma once

#include "hoststate.h"

class TurnEngine;
class TurnSink;

// Each step goes through the turn engine with the same requests a client would send;
// the sink's computer timer calls computertimerTimer with the step it was armed with.
class ComputerPlayer
{
public:
    static constexpr int RollStep = 1;
    static constexpr int KeepStep = 2;

    ComputerPlayer(HostState &state, TurnEngine &engine, TurnSink &sink);

    // One step for the seat on turn: 1 = roll step, 2 = keep decision.
    void computertimerTimer(int step);
    // Rolls the dice not kept, or ends the turn once three rolls are made or all are kept.
    void computerroll(int seat);
    // Recomputes the seat's keep flags for its phase and arms the next roll step.
    void computerplay(int seat);

    // Arms a step at the current bot speed (0: the step waits for a speed to arrive).
    void armStep(int step);

private:
    HostState &m_state;
    TurnEngine &m_engine;
    TurnSink &m_sink;
};
