// Measures the pause between a turn's result and the next turn, over a game the computer plays.
#include "attacks.h"

#include "loadclient.h"

#include <algorithm>
#include <cstdio>

int runPause(const AttackOptions &options)
{
    const int pauses = options.count > 0 ? options.count : 3;
    LoadClient alice;
    if (!logInAsFirstSeat(alice, options.address, options.port))
        return 1;
    alice.queueMessage("CMD_botspeed+1+500+");
    alice.queueMessage("CMD_startgame+alice+0+0+f+");
    alice.queueMessage("CMD_justwatch+1+1");
    alice.flush();
    const double expectedMs = 5000.0 * options.timeScale;
    std::vector<double> measured;
    std::int64_t resultAt = 0;
    std::vector<LoadClient *> one{&alice};
    const int timeoutMs = int(pauses * (expectedMs + 8000 * options.timeScale) + 10000);
    pumpClients(one, timeoutMs, [&](std::size_t, const std::string &m) {
        if (m.rfind("CMD_scores+", 0) == 0 || m.rfind("CMD_noscore+", 0) == 0) {
            resultAt = nowMicros();
        } else if (m.rfind("CMD_nextplayer+", 0) == 0 && resultAt != 0) {
            measured.push_back(double(nowMicros() - resultAt) / 1000.0);
            resultAt = 0;
        } else if (m.rfind("CMD_winner+", 0) == 0) {
            alice.queueMessage("CMD_startgame+alice+0+0+f+");
            alice.queueMessage("CMD_justwatch+1+1");
            alice.flush();
            resultAt = 0;
        }
        return int(measured.size()) >= pauses;
    });
    if (measured.empty()) {
        std::printf("FAIL: no pause was measured\n");
        return 1;
    }
    std::sort(measured.begin(), measured.end());
    std::printf("pause: %zu pauses, expected %.1f ms: shortest %.1f ms, median %.1f ms, longest %.1f ms\n",
                measured.size(), expectedMs, measured.front(), measured[measured.size() / 2], measured.back());
    const bool ok = int(measured.size()) == pauses;
    std::printf("%s\n", ok ? "PASS: pauses measured" : "FAIL: fewer pauses than asked for");
    return ok ? 0 : 1;
}
