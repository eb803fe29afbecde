// Flooders queue their chat lines at once; another player's chat must not wait for them all.
#include "attacks.h"

#include "loadclient.h"

#include <cstdio>
#include <memory>

namespace {

bool startsWith(const std::string &s, const std::string &prefix)
{
    return s.rfind(prefix, 0) == 0;
}

} // namespace

int runFlood(const AttackOptions &options)
{
    const int lines = options.count > 0 ? options.count : 250;
    const int flooderCount = options.flooders > 0 ? options.flooders : 1;
    LoadClient alice, bob;
    if (!connectAndLogIn(alice, options.address, options.port, "alice")
        || !connectAndLogIn(bob, options.address, options.port, "bob")) {
        std::printf("FAIL: alice and bob could not log in\n");
        return 1;
    }
    std::vector<std::unique_ptr<LoadClient>> flooders;
    std::vector<LoadClient *> all{&alice, &bob};
    for (int i = 0; i < flooderCount; ++i) {
        flooders.push_back(std::make_unique<LoadClient>());
        if (!connectAndLogIn(*flooders.back(), options.address, options.port, "flood" + std::to_string(i))) {
            std::printf("FAIL: flooder %d could not log in\n", i + 1);
            return 1;
        }
        all.push_back(flooders.back().get());
    }
    const std::string bobChat = "CMD_chat+" + std::to_string(bob.seat) + "+bob chats: ";
    bob.queueMessage("CMD_chat+" + std::to_string(bob.seat) + "+ready");
    bob.flush();
    if (bob.waitFor(bobChat + "ready", 5000).empty()) {
        std::printf("FAIL: bob's first chat did not come back\n");
        return 1;
    }
    for (auto &f : flooders) {
        const std::string head = "CMD_chat+" + std::to_string(f->seat) + "+";
        for (int n = 0; n < lines; ++n)
            f->queueMessage(head + "flood " + std::to_string(n));
        f->flush();
    }

    // Bob speaks once the flood is being served: by then it waits in the host's queue.
    const long total = long(lines) * flooderCount;
    long floodSeen = 0, floodAhead = -1, outOfOrder = 0;
    std::vector<int> next(10, 0);
    std::int64_t sentAt = 0, backAt = 0;
    pumpClients(all, int(total * 10 * 3 + 20000), [&](std::size_t i, const std::string &m) {
        if (i != 1)
            return false;
        if (startsWith(m, bobChat + "probe")) {
            backAt = nowMicros();
            floodAhead = floodSeen;
        } else if (startsWith(m, "CMD_chat+") && m.find(" chats: flood ") != std::string::npos) {
            const int seat = std::atoi(m.c_str() + 9);
            const int n = std::atoi(m.c_str() + m.find(" chats: flood ") + 14);
            if (seat < 1 || seat > 9 || n != next[std::size_t(seat)])
                ++outOfOrder;
            else
                ++next[std::size_t(seat)];
            if (++floodSeen == 1) {
                sentAt = nowMicros();
                bob.queueMessage("CMD_chat+" + std::to_string(bob.seat) + "+probe");
                bob.flush();
            }
        }
        return floodAhead >= 0 && floodSeen == total;
    });
    std::printf("flood: %d flooder(s) x %d lines; bob's chat came back %s after %.1f ms with %ld of %ld "
                "flood lines ahead of it; %ld flood lines arrived, %ld out of order\n",
                flooderCount, lines, floodAhead >= 0 ? "" : "NEVER", double(backAt - sentAt) / 1000.0, floodAhead,
                total, floodSeen, outOfOrder);
    const bool ok = floodAhead >= 0 && floodAhead < total / 2 && floodSeen == total && outOfOrder == 0;
    std::printf("%s\n", ok ? "PASS: connections were served in turn, each in order"
                           : "FAIL: a flood held another player's chat, or lines were lost or reordered");
    return ok ? 0 : 1;
}
