#include "faultrun.h"

#include "loadclient.h"
#include "procstatus.h"

#include <csignal>
#include <cstdlib>
#include <memory>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int FloodBytes = 1 << 20;

bool startsWith(const std::string &s, const std::string &prefix)
{
    return s.rfind(prefix, 0) == 0;
}

// The two players the game must go on for: alice (seat 1, the host) and bob (seat 2).
struct Table
{
    LoadClient alice;
    LoadClient bob;
    std::vector<LoadClient *> both{&alice, &bob};
};

// A child process that logs in as the next seat and then waits to be killed.
pid_t spawnVictim(const FaultOptions &options)
{
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    LoadClient victim;
    if (!connectAndLogIn(victim, options.address, options.port, "victim"))
        ::_exit(1);
    std::vector<LoadClient *> one{&victim};
    while (victim.isOpen())
        pumpClients(one, 1000, [](std::size_t, const std::string &) { return false; });
    ::_exit(0);
}

void startGame(Table &t)
{
    t.alice.queueMessage("CMD_startgame+alice+0+0+f+");
    t.alice.queueMessage("CMD_justwatch+1+1");
    t.alice.queueMessage("CMD_justwatch+2+1");
    t.alice.flush();
}

struct Progress
{
    int turns = 0;
    int rolls = 0;
    int games = 0;
};

int currentSeat = 0; // the seat of the last CMD_nextplayer alice saw

// Pumps both players for `ms`, counting turns and rolls that alice sees; a finished game
// is started again so that there is always a game to go on.
Progress watchGame(Table &t, int ms, const std::string &stopAt = "", bool untilTwoTurns = false)
{
    Progress p;
    pumpClients(t.both, ms, [&](std::size_t i, const std::string &m) {
        if (i != 0)
            return false;
        if (startsWith(m, "CMD_nextplayer+")) {
            ++p.turns;
            currentSeat = std::atoi(m.c_str() + std::string("CMD_nextplayer+").size());
        } else if (startsWith(m, "CMD_createdice+"))
            ++p.rolls;
        else if (startsWith(m, "CMD_winner+")) {
            ++p.games;
            startGame(t);
        }
        if (untilTwoTurns && p.turns >= 2 && p.rolls >= 2)
            return true;
        return !stopAt.empty() && startsWith(m, stopAt);
    });
    return p;
}

bool chatRoundTrip(Table &t, const std::string &text)
{
    t.bob.queueMessage("CMD_chat+2+" + text + "|clBlue");
    t.bob.flush();
    const std::string expected = "CMD_chat+2+bob chats: " + text + "|clBlue";
    bool seen[2] = {false, false};
    pumpClients(t.both, 5000, [&](std::size_t i, const std::string &m) {
        if (i < 2 && m == expected)
            seen[i] = true;
        else if (i == 0 && startsWith(m, "CMD_winner+"))
            startGame(t);
        return seen[0] && seen[1];
    });
    return seen[0] && seen[1];
}

// Connects the faulty peer for the three socket faults and commits the fault.
void commitSocketFault(const FaultOptions &options, Fault fault, LoadClient &peer, Table &t)
{
    const bool logIn = fault == Fault::HalfSent;
    if (!connectAndLogIn(peer, options.address, options.port, "halfway", logIn)) {
        std::printf("could not connect the faulty peer\n");
        return;
    }
    std::printf("faulty peer got seat %d\n", peer.seat);
    if (fault == Fault::HalfSent) {
        peer.queueRaw("CMD_chat+" + std::to_string(peer.seat) + "+never fini");
        peer.flush();
    } else if (fault == Fault::Flood) {
        peer.queueRaw(std::string(FloodBytes, 'x'));
        std::vector<LoadClient *> all{&t.alice, &t.bob, &peer};
        pumpClients(all, 5000, [&](std::size_t, const std::string &) { return !peer.isOpen(); });
        std::vector<std::string> rest;
        peer.readAvailable(rest);
        std::printf("flood: sent %llu of %d bytes; the host %s the connection\n",
                    static_cast<unsigned long long>(peer.bytesSent()), FloodBytes,
                    peer.peerClosed() ? "closed" : "did NOT close");
    }
}

} // namespace

bool faultFromName(const std::string &name, Fault &fault)
{
    const struct
    {
        const char *name;
        Fault fault;
    } table[] = {
        {"killed", Fault::Killed},
        {"halfsent", Fault::HalfSent},
        {"nologin", Fault::NoLogin},
        {"flood", Fault::Flood},
    };
    for (const auto &entry : table)
        if (name == entry.name) {
            fault = entry.fault;
            return true;
        }
    return false;
}

const char *faultName(Fault fault)
{
    switch (fault) {
    case Fault::Killed:
        return "killed";
    case Fault::HalfSent:
        return "halfsent";
    case Fault::NoLogin:
        return "nologin";
    case Fault::Flood:
        return "flood";
    }
    return "?";
}

int runFault(const FaultOptions &options, Fault fault)
{
    Table t;
    if (!connectAndLogIn(t.alice, options.address, options.port, "alice")
        || !connectAndLogIn(t.bob, options.address, options.port, "bob") || t.alice.seat != 1 || t.bob.seat != 2) {
        std::printf("FAIL: alice and bob must be seats 1 and 2 of a fresh host\n");
        return 1;
    }
    t.alice.queueMessage("CMD_botspeed+1+500+");
    pid_t victim = -1;
    if (fault == Fault::Killed) {
        victim = spawnVictim(options);
        if (t.alice.waitFor("CMD_newplayerinfo+3+victim", 5000).empty()) {
            std::printf("FAIL: the victim did not log in as seat 3\n");
            return 1;
        }
    }
    std::vector<std::unique_ptr<LoadClient>> fillers;
    if (fault != Fault::Killed && !options.seatsFree) {
        // Seats 3 and 4 taken by players who let the computer play: the faulty peer
        // arrives as a spectator.
        for (const char *name : {"carol", "dave"}) {
            fillers.push_back(std::make_unique<LoadClient>());
            if (!connectAndLogIn(*fillers.back(), options.address, options.port, name)) {
                std::printf("FAIL: %s could not log in\n", name);
                return 1;
            }
            t.both.push_back(fillers.back().get());
        }
    }
    startGame(t);
    for (const auto &f : fillers)
        t.alice.queueMessage("CMD_justwatch+" + std::to_string(f->seat) + "+1");
    const Progress before = watchGame(t, 30000, "", true);
    std::printf("%s: before the fault alice saw %d turns, %d rolls\n", faultName(fault), before.turns,
                before.rolls);

    LoadClient peer;
    if (fault == Fault::Killed) {
        if (currentSeat != 3)
            watchGame(t, 30000, "CMD_nextplayer+3+");
        if (currentSeat != 3)
            std::printf("seat 3 never came on turn\n");
        ::kill(victim, SIGKILL);
        ::waitpid(victim, nullptr, 0);
        std::printf("killed seat 3 (pid %d) while it was on turn\n", int(victim));
    } else {
        commitSocketFault(options, fault, peer, t);
    }

    // Enough for two turns at any time scale; stops as soon as two turns and rolls passed.
    const bool remedy = options.seatsFree && fault != Fault::Killed;
    Progress after = watchGame(t, remedy ? 12000 : 40000, "", true);
    const bool wentOn = after.turns >= 2 && after.rolls >= 2;
    if (remedy && !wentOn && currentSeat == peer.seat) {
        // The faulty peer holds a player's seat and the turn: the hosting player's remedy.
        std::printf("%s: the game waits for seat %d, the faulty peer; alice sets it to Just Watch\n",
                    faultName(fault), peer.seat);
        t.alice.queueMessage("CMD_justwatch+" + std::to_string(peer.seat) + "+1");
        t.alice.flush();
        after = watchGame(t, 40000, "", true);
    }
    const bool chatted = chatRoundTrip(t, std::string("after ") + faultName(fault));
    const bool healthy = t.alice.isOpen() && t.bob.isOpen();
    std::printf("%s: after the fault alice saw %d turns, %d rolls, %d games ended; chat round trip %s\n",
                faultName(fault), after.turns, after.rolls, after.games, chatted ? "ok" : "LOST");
    if (options.hostPid > 0) {
        const MemoryFigures m = readMemory(options.hostPid);
        std::printf("host RSS %ld KiB (VmHWM %ld KiB)\n", m.rssKiB, m.peakRssKiB);
    }
    const bool ok = healthy && chatted && after.turns >= 2 && after.rolls >= 2;
    std::printf("%s: %s\n", faultName(fault), ok ? "PASS: the game went on" : "FAIL: the game did not go on");
    return ok ? 0 : 1;
}
