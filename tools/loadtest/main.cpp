// dorvane-load: chat load and fault runs against a running game host.
// Usage: dorvane-load [--address A] [--port P] [--pid HOSTPID]
//                     [--clients N] [--lines M]          chat load (default 9 x 200)
//                     [--fault killed|halfsent|nologin|flood]   one fault run on a fresh host
//                     [--roll-rtt R]   times R roll requests of seat 1 until their dice arrive
//                     [--seats-free]   the faulty peer takes seat 3 instead of a spectator seat
//                     [--attack cheat|oversize|flood|churn|silent|pause]   one attack on a fresh host,
//                         tuned by [--count N] [--flooders K] [--line-bytes B] [--wait-ms W]
//                         [--time-scale S] (the host's) [--trickle]
//        dorvane-load tables --server HOST:PORT | --shards FILE | --hosts FILE [--tables N] ...
//                     tables of four players at a player's pace on a table server (tablesoptions.h)
#include "attacks.h"
#include "chatload.h"
#include "faultrun.h"
#include "rollrtt.h"
#include "tablesrun.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

int usage()
{
    std::fprintf(
        stderr, "usage: dorvane-load [--address A] [--port P] [--pid HOSTPID] "
                "[--clients N] [--lines M] [--fault killed|halfsent|nologin|flood] [--seats-free] [--roll-rtt R]\n"
                "       [--attack cheat|oversize|flood|churn|silent|pause] [--count N] [--flooders K]\n"
                "       [--line-bytes B] [--wait-ms W] [--time-scale S] [--trickle]\n"
                "       dorvane-load tables --server HOST:PORT | --shards FILE | --hosts FILE [--pid P[,P...]]\n"
                "           [--tables N] [--procs P] [--seconds S] [--idle-seconds S] [--pace-ms M]\n"
                "           [--open-at-once K] [--churn N] [--sources FIRST:COUNT] [--answer-timeout-ms M]\n"
                "           [--settle-ms M]\n");
    return 2;
}

bool number(const char *text, int low, int high, int &out)
{
    char *end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || v < low || v > high)
        return false;
    out = int(v);
    return true;
}

int runAttack(const std::string &name, const AttackOptions &options)
{
    const struct
    {
        const char *name;
        int (*run)(const AttackOptions &);
    } attacks[] = {
        {"cheat", runCheat}, {"oversize", runOversize}, {"flood", runFlood},
        {"churn", runChurn}, {"silent", runSilent},     {"pause", runPause},
    };
    for (const auto &attack : attacks) {
        if (name == attack.name)
            return attack.run(options);
    }
    return usage();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::string(argv[1]) == "tables") {
        std::string error;
        const auto options = parseTablesOptions(std::vector<std::string>(argv + 2, argv + argc), error);
        if (!options) {
            std::fprintf(stderr, "dorvane-load tables: %s\n", error.c_str());
            return usage();
        }
        std::setvbuf(stdout, nullptr, _IOLBF, 0);
        return runTables(*options);
    }
    ChatLoadOptions load;
    std::string faultArg;
    bool seatsFree = false;
    int rollRtt = 0;
    std::string attack;
    AttackOptions attackOptions;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seats-free" || arg == "--trickle") {
            (arg == "--trickle" ? attackOptions.trickle : seatsFree) = true;
            continue;
        }
        if (i + 1 >= argc)
            return usage();
        const char *value = argv[++i];
        bool ok = true;
        if (arg == "--address")
            load.address = value;
        else if (arg == "--port")
            ok = number(value, 1, 65535, load.port);
        else if (arg == "--pid")
            ok = number(value, 1, 1 << 30, load.hostPid);
        else if (arg == "--clients")
            ok = number(value, 1, 9, load.clients);
        else if (arg == "--lines")
            ok = number(value, 1, 1000000, load.lines);
        else if (arg == "--roll-rtt")
            ok = number(value, 1, 1000, rollRtt);
        else if (arg == "--fault")
            faultArg = value;
        else if (arg == "--attack")
            attack = value;
        else if (arg == "--count")
            ok = number(value, 1, 100000, attackOptions.count);
        else if (arg == "--flooders")
            ok = number(value, 1, 64, attackOptions.flooders);
        else if (arg == "--line-bytes")
            ok = number(value, 1, 1 << 20, attackOptions.lineBytes);
        else if (arg == "--wait-ms")
            ok = number(value, 1, 600000, attackOptions.waitMs);
        else if (arg == "--time-scale")
            ok = (attackOptions.timeScale = std::strtod(value, nullptr)) > 0;
        else
            ok = false;
        if (!ok)
            return usage();
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!attack.empty()) {
        attackOptions.address = load.address;
        attackOptions.port = load.port;
        attackOptions.hostPid = load.hostPid;
        return runAttack(attack, attackOptions);
    }
    if (rollRtt > 0)
        return runRollRoundTrips(load.address, load.port, rollRtt);
    if (faultArg.empty())
        return runChatLoad(load);
    Fault fault;
    if (!faultFromName(faultArg, fault))
        return usage();
    return runFault(FaultOptions{load.address, load.port, load.hostPid, seatsFree}, fault);
}
