// What the turn engine and the computer player need from their owner: announcing and timers.
#pragma once

#include "announcements.h"

class TurnSink
{
public:
    virtual ~TurnSink() = default;

    // Announces the message to every connected entry 1..conncount, in table order. The
    // owner builds the bytes; the engine hands over typed messages only.
    virtual void broadcast(const protocol::Announcement &message) = 0;

    // The pause timer: one tick every 1000 ms (time-scaled) until disabled; each tick calls
    // TurnEngine::timer1Timer(step).
    virtual void armPauseTimer(int step) = 0;
    virtual void disablePauseTimer() = 0;

    // The computer timer: fires once after intervalMs (time-scaled) and calls
    // ComputerPlayer::computertimerTimer(step). An interval of 0 never fires.
    // Arming replaces any pending firing.
    virtual void armComputerTimer(int intervalMs, int step) = 0;
    virtual void disableComputerTimer() = 0;
};
