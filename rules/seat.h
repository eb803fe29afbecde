// TSeat: the host's record of one connection entry.
#pragma once

#include "die.h"

#include <QByteArray>
#include <QtGlobal>
#include <array>

// Where a seat stands in the game: playing, playing out its last turn once someone has
// gone out, or finished (gone out, or failed its last turn).
enum class SeatStatus { InPlay, PlayingOut, Finished };

struct TSeat
{
    QByteArray name;           // from log-in; empty while free or not yet logged in
    bool connected = false;    // the entry holds a live connection
    quint64 connectionId = 0;  // which accepted connection holds the entry; 0 = none
    bool loggedIn = false;     // the connection has logged in (it may do so once)
    int score = 0;             // running total of the game (entries 1 to 4)
    bool justwatching = false; // the computer plays this seat's turns
    QByteArray botname;        // stands in for an empty name
    int phase = 0;             // 1 to 10; 11 after completing phase 10
    int lastscore = 0;         // points of the last completed phase
    SeatStatus status = SeatStatus::InPlay;
    KeepFlags keep{};              // computer player's keep flags, dice 1 to 10
    std::array<int, 13> pscores{}; // slots 1 to 10 phase points, 11 phase-5 bonus, 12 going-out bonus
};
