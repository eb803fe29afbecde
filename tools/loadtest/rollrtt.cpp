#include "rollrtt.h"

#include "loadclient.h"

#include <algorithm>
#include <cstdio>
#include <vector>

int runRollRoundTrips(const std::string &address, int port, int rolls)
{
    LoadClient alice;
    if (!logInAsFirstSeat(alice, address, port))
        return 1;
    alice.queueMessage("CMD_botspeed+1+500+");
    alice.queueMessage("CMD_startgame+alice+0+0+f+");
    alice.flush();
    std::vector<double> ms;
    const std::string allDice = "+1+2+3+4+5+6+7+8+9+10";
    while (int(ms.size()) < rolls) {
        if (alice.waitFor("CMD_nextplayer+1+", 60000).empty()) {
            std::printf("FAIL: our turn did not come\n");
            return 1;
        }
        for (int roll = 0; roll < 3 && int(ms.size()) < rolls; ++roll) {
            const std::int64_t sent = nowMicros();
            alice.queueMessage("CMD_rollthedice+1" + allDice);
            alice.flush();
            if (alice.waitFor("CMD_createdice+1+", 5000).empty()) {
                std::printf("FAIL: no dice for roll %d\n", roll + 1);
                return 1;
            }
            ms.push_back(double(nowMicros() - sent) / 1000.0);
        }
        alice.queueMessage("CMD_alldone+1+none");
        alice.flush();
    }
    std::sort(ms.begin(), ms.end());
    std::printf("roll request to dice on the wire: %zu rolls, median %.1f ms, best %.1f ms, worst %.1f ms\n",
                ms.size(), ms[ms.size() / 2], ms.front(), ms.back());
    return 0;
}
