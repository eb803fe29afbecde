// The game host's state: connection entries, dice and the game in progress.
#pragma once

#include "die.h"
#include "seat.h"

#include <array>

struct HostState
{
    static constexpr int MaxEntries = 9; // entries 1 to 9 hold connections; 10 refuses a tenth
    std::array<TSeat, 12> seats;         // indexed 1 to 11; index 0 unused

    bool gameon = false;
    int conncount = 0;     // highest entry index handed out; never decreases
    int currentplayer = 0; // seat on turn; 0 before the first turn
    int botspeedms = 0;    // computer-player step interval; 0 until seat 1 sends one
    int pausecount = 0;    // 1-second ticks left in the pause between turns
    int numseats = 4;
    int rollcount = 0; // rolls this turn; 5 once the turn's all done is handled
    int roundno = 0;
    DiceArray dice{};
    DiceState dicestate{};
    bool someoneout = false;

    // A seat takes part while (connected, or seat 2) and it has not finished.
    bool takesPart(int seat) const
    {
        const TSeat &s = seats[seat];
        return (s.connected || seat == 2) && s.status != SeatStatus::Finished;
    }

    // A seat is computer-played when nobody is connected there or its player just watches.
    bool computerPlayed(int seat) const
    {
        const TSeat &s = seats[seat];
        return !s.connected || s.justwatching;
    }

    // The entry a new connection takes: the lowest free one up to conncount, else the next
    // one (conncount grows). 0 when all nine are in use: the connection is refused.
    int entryForNewConnection()
    {
        int i = 1;
        while (i < conncount && seats[i].connected)
            ++i;
        if (conncount > 0 && !seats[i].connected)
            return i;
        if (conncount >= MaxEntries)
            return 0;
        return ++conncount;
    }

    // The name shown for a seat: its player's name, or its stand-in when that is empty.
    QByteArray displayName(int seat) const
    {
        const TSeat &s = seats[seat];
        return s.name.isEmpty() ? s.botname : s.name;
    }
};
