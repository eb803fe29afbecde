// ComputerPlayer: plays the turns of computer-played seats, one step per timer firing.
#pragma once

#include "hoststate.h"

class TurnEngine;
class TurnSink;

class ComputerPlayer
{
public:
    ComputerPlayer(HostState &state, TurnEngine &engine, TurnSink &sink);

    // One step for the seat on turn: 1 = roll step, 2 = keep decision.
    void computertimerTimer(int step);
    void computerroll(int seat);
    void computerplay(int seat);

private:
    HostState &m_state;
    TurnEngine &m_engine;
    TurnSink &m_sink;
};
