// ClientState: the client's own values of the connection and the game it shows.
#pragma once

#include "die.h"

#include <QString>
#include <QStringList>
#include <array>

struct ClientState
{
    static constexpr int numseats = 4; // numbers 1 to 4 are seats, higher ones spectators

    QString playername;       // "You" in a solo game
    QString hostaddress;      // "127.0.0.1" unless joining
    bool amhost = false;      // this copy switched its host's listener on
    bool loggedin = false;    // the host's log-in request was answered
    int myid = 0;             // own connection number; 0 until the host tells it
    int currentplayer = 0;    // seat on turn; 0 = nobody, or handed back to the host
    int shownphase = 0;       // phase highlighted in the phase list; 0 = none
    bool justWatching = false; // the "Just Watch" menu item's check mark
    int botspeed = 0;         // computer-player step in ms; 0 until the settings are read
    DiceArray dice{};         // 1 to 10
    std::array<int, NumDice + 1> diceorder{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}; // position -> die

    static bool isSeat(int n) { return n >= 1 && n <= numseats; }
};
