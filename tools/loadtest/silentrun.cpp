// Connections that never log in (or send one byte at a time) fill the free entries.
#include "attacks.h"

#include "loadclient.h"

#include <cstdio>
#include <memory>
#include <thread>

int runSilent(const AttackOptions &options)
{
    const int waitMs = options.waitMs > 0 ? options.waitMs : 31000;
    LoadClient alice;
    if (!connectAndLogIn(alice, options.address, options.port, "alice")) {
        std::printf("FAIL: alice could not log in\n");
        return 1;
    }
    std::vector<std::unique_ptr<LoadClient>> silent;
    for (int i = 0; i < 8; ++i) {
        auto s = std::make_unique<LoadClient>();
        if (!connectAndLogIn(*s, options.address, options.port, "", false))
            break;
        silent.push_back(std::move(s));
    }
    // The trickle: "CMD_logininfo+..." one byte per tick, never finished within the wait.
    const std::string slow = "CMD_logininfo+0+1.0.9+" + std::string(1000, 's');
    const int tickMs = 100;
    std::vector<LoadClient *> all{&alice};
    for (auto &s : silent)
        all.push_back(s.get());
    for (int elapsed = 0, byte = 0; elapsed < waitMs; elapsed += tickMs, ++byte) {
        if (options.trickle) {
            for (auto &s : silent) {
                s->queueRaw(slow.substr(std::size_t(byte) % slow.size(), 1));
                s->flush();
            }
        }
        pumpClients(all, tickMs, [](std::size_t, const std::string &) { return false; });
    }
    int closed = 0;
    for (auto &s : silent)
        closed += s->peerClosed() || !s->isOpen() ? 1 : 0;

    LoadClient rita;
    const bool connected = rita.connectTo(options.address, options.port);
    std::vector<LoadClient *> one{&rita};
    std::string answer;
    pumpClients(one, 5000, [&](std::size_t, const std::string &m) {
        answer = m;
        return true;
    });
    const bool seated = connected && answer.rfind("CMD_sendlogininfo+", 0) == 0;
    std::printf("silent: %zu %s connections; after %d ms the host had closed %d of them; a new player %s (%s)\n",
                silent.size(), options.trickle ? "one-byte-at-a-time" : "silent", waitMs, closed,
                seated ? "got a seat" : "got NO seat", answer.empty() ? "nothing" : answer.c_str());
    const bool ok = seated && closed == int(silent.size()) && alice.isOpen();
    std::printf("%s\n", ok ? "PASS: connections that never log in are closed and their entries freed"
                           : "FAIL: connections that never log in still hold their entries");
    return ok ? 0 : 1;
}
