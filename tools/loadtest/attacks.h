#pragma once

#include <string>

// What every attack run needs: where the host is and how hard to push.
struct AttackOptions
{
    std::string address = "127.0.0.1";
    int port = 7772;
    int hostPid = 0;      // for memory figures; 0 = none
    int count = 0;        // attempts, lines or rounds, per attack (0 = the attack's default)
    int flooders = 0;     // attacking connections (0 = the attack's default)
    int lineBytes = 0;    // size of each flooding line (0 = the attack's default)
    int waitMs = 0;       // how long silent connections are left alone (0 = the default)
    double timeScale = 1; // the host's --time-scale, to tell the expected pause
    bool trickle = false; // silent connections send one byte at a time instead of nothing
};

// Each run prints its figures and "PASS: ..." or "FAIL: ..." and returns the exit code.

// A first roll that lists only dice 5 to 10 followed by an all done offering all ten, in
// phase 1, count times; then roll and all-done lists with repeated or too many dice.
int runCheat(const AttackOptions &options);
// Chats, actions and log-in names whose relays would be longer than a client accepts.
int runOversize(const AttackOptions &options);
// Flooders send their lines at once; how long does another player's chat take?
int runFlood(const AttackOptions &options);
// Connections that connect, send their lines and close, round after round.
int runChurn(const AttackOptions &options);
// Connections that never log in hold entries; does a real player still get a seat?
int runSilent(const AttackOptions &options);
// Measures the pause between a turn's result and the next turn.
int runPause(const AttackOptions &options);
