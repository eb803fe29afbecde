// ClientState: the client's own values of its connection to the host.
#pragma once

#include <QString>

struct ClientState
{
    static constexpr int numseats = 4; // numbers 1 to 4 are seats, higher ones spectators

    QString playername;    // "You" in a solo game
    QString hostaddress;   // "127.0.0.1" unless joining
    bool amhost = false;   // this copy switched its host's listener on
    bool loggedin = false; // the host's log-in request was answered
    int myid = 0;          // own connection number; 0 until the host tells it

    // The one test of whether a connection number is a player seat.
    static bool isSeat(int n) { return n >= 1 && n <= numseats; }
};
