#pragma once

#include <string>

// The faults a peer can commit against a running game.
enum class Fault {
    Killed,   // a seated player's process dies (SIGKILL) while it is on turn
    HalfSent, // a logged-in connection sends half a message, then nothing
    NoLogin,  // a connection that never answers the log-in request
    Flood,    // a connection that sends bytes without ever a terminator
};

bool faultFromName(const std::string &name, Fault &fault);
const char *faultName(Fault fault);

struct FaultOptions
{
    std::string address = "127.0.0.1";
    int port = 7772;
    int hostPid = 0;
    bool seatsFree = false; // leave seats 3 and 4 free: the faulty peer becomes a player
};

// Starts a game between two logged-in, just-watching players, commits the fault, and checks
// that the game goes on for them (new turns and rolls arrive) and that a chat line still
// makes the round trip. Returns the process exit code (0 = the game went on).
int runFault(const FaultOptions &options, Fault fault);
