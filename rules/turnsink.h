// What the turn engine and the computer player need from their owner: sending and timers.
#pragma once

#include <QByteArray>

class TurnSink
{
public:
    virtual ~TurnSink() = default;

    // Sends the message (without terminator) to every connected entry 1..conncount that
    // has a socket, in table order.
    virtual void broadcast(const QByteArray &message) = 0;

    // timer1: one tick every 1000 ms (time-scaled) until disabled; each tick calls
    // TurnEngine::timer1Timer(step).
    virtual void armPauseTimer(int step) = 0;
    virtual void disablePauseTimer() = 0;

    // computertimer: fires once after intervalMs (time-scaled) and calls
    // ComputerPlayer::computertimerTimer(step). An interval of 0 never fires.
    // Arming replaces any pending firing.
    virtual void armComputerTimer(int intervalMs, int step) = 0;
    virtual void disableComputerTimer() = 0;
};
