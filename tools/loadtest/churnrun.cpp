// Connections that connect, send a burst of long lines and close, round after round, while
// two players stay: the host's memory and a player's chat round trip are measured.
#include "attacks.h"

#include "loadclient.h"
#include "procstatus.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <poll.h>

namespace {

// Watches the two players' connections: counts what arrives and notes the probe's return.
struct Players
{
    LoadClient alice, bob;
    std::string probe;
    std::int64_t probeBack = 0;
    long received = 0;

    void take(LoadClient &c)
    {
        std::vector<std::string> messages;
        c.readAvailable(messages);
        received += long(messages.size());
        for (const std::string &m : messages) {
            if (&c == &bob && !probe.empty() && m.find(probe) != std::string::npos)
                probeBack = nowMicros();
        }
    }
};

// Writes what the attackers have queued, reading everybody meanwhile, until every attacker
// has sent everything or been closed, or the time is up.
void sendAll(Players &p, std::vector<std::unique_ptr<LoadClient>> &attackers, int timeoutMs, long &peakRss,
             int hostPid)
{
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < end) {
        std::vector<pollfd> fds{{p.alice.fd(), POLLIN, 0}, {p.bob.fd(), POLLIN, 0}};
        for (auto &a : attackers)
            fds.push_back({a->isOpen() && a->hasPendingOutput() ? a->fd() : -1, short(POLLIN | POLLOUT), 0});
        if (std::none_of(attackers.begin(), attackers.end(),
                         [](const auto &a) { return a->isOpen() && a->hasPendingOutput(); }))
            return;
        if (::poll(fds.data(), fds.size(), 100) < 0)
            return;
        p.take(p.alice);
        p.take(p.bob);
        for (std::size_t i = 0; i < attackers.size(); ++i) {
            LoadClient &a = *attackers[i];
            if (fds[i + 2].revents & POLLOUT && !a.flush())
                a.close();
            if (fds[i + 2].revents & (POLLHUP | POLLERR))
                a.close();
        }
        peakRss = std::max(peakRss, readMemory(hostPid).rssKiB);
    }
}

// Reads the players until nothing has arrived for quietMs (or maxMs passed).
void waitForQuiet(Players &p, int quietMs, int maxMs, long &peakRss, int hostPid)
{
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(maxMs);
    Clock::time_point lastArrival = Clock::now();
    while (Clock::now() < end && Clock::now() - lastArrival < std::chrono::milliseconds(quietMs)) {
        pollfd fds[2] = {{p.alice.fd(), POLLIN, 0}, {p.bob.fd(), POLLIN, 0}};
        ::poll(fds, 2, 50);
        const long before = p.received;
        p.take(p.alice);
        p.take(p.bob);
        if (p.received != before)
            lastArrival = Clock::now();
        peakRss = std::max(peakRss, readMemory(hostPid).rssKiB);
    }
}

} // namespace

int runChurn(const AttackOptions &options)
{
    const int rounds = options.count > 0 ? options.count : 10;
    const int perRound = options.flooders > 0 ? options.flooders : 7;
    const int lineBytes = options.lineBytes > 0 ? options.lineBytes : 60000;
    constexpr int LinesPerConnection = 250;
    Players p;
    if (!connectAndLogIn(p.alice, options.address, options.port, "alice")
        || !connectAndLogIn(p.bob, options.address, options.port, "bob")) {
        std::printf("FAIL: alice and bob could not log in\n");
        return 1;
    }
    long peakRss = -1;
    waitForQuiet(p, 300, 2000, peakRss, options.hostPid);
    const long beforeRss = readMemory(options.hostPid).rssKiB;
    long connections = 0;
    unsigned long long bytesSent = 0;
    const Clock::time_point attackStart = Clock::now();
    for (int round = 0; round < rounds; ++round) {
        std::vector<std::unique_ptr<LoadClient>> attackers;
        for (int i = 0; i < perRound; ++i) {
            auto a = std::make_unique<LoadClient>();
            if (!connectAndLogIn(*a, options.address, options.port, "", false))
                continue;
            const std::string head = "CMD_chat+" + std::to_string(a->seat) + "+";
            for (int n = 0; n < LinesPerConnection; ++n)
                a->queueMessage(head + std::string(std::size_t(lineBytes), 'x'));
            attackers.push_back(std::move(a));
            ++connections;
        }
        sendAll(p, attackers, 5000, peakRss, options.hostPid);
        for (auto &a : attackers)
            bytesSent += a->bytesSent();
    } // the attackers close here
    const double attackSeconds = double((Clock::now() - attackStart).count()) / 1e9;
    const long underRss = readMemory(options.hostPid).rssKiB;

    p.probe = "probe after the churn";
    const std::int64_t probeSent = nowMicros();
    p.bob.queueMessage("CMD_chat+" + std::to_string(p.bob.seat) + "+" + p.probe);
    p.bob.flush();
    const Clock::time_point probeEnd = Clock::now() + std::chrono::seconds(20);
    while (p.probeBack == 0 && Clock::now() < probeEnd)
        waitForQuiet(p, 20000, 100, peakRss, options.hostPid);
    waitForQuiet(p, 1000, 20000, peakRss, options.hostPid);
    const long afterRss = readMemory(options.hostPid).rssKiB;

    std::printf(
        "churn: %d rounds x %d connections x %d lines of %d bytes in %.1f s: %ld connections, %.1f MB sent\n",
        rounds, perRound, LinesPerConnection, lineBytes, attackSeconds, connections, double(bytesSent) / 1e6);
    if (p.probeBack && p.probeBack - probeSent <= 20'000'000)
        std::printf("bob's chat after the attack came back after %.1f ms\n",
                    double(p.probeBack - probeSent) / 1000.0);
    else
        std::printf("bob's chat after the attack did NOT come back within 20 s\n");
    std::printf("host RSS: before %ld KiB, right after the attack %ld KiB, peak sampled %ld KiB, after %ld KiB "
                "(%+ld KiB)\n",
                beforeRss, underRss, peakRss, afterRss, afterRss - beforeRss);
    const bool memoryBack = options.hostPid <= 0 || afterRss - beforeRss < 16 * 1024;
    const bool served = p.probeBack != 0 && p.probeBack - probeSent <= 20'000'000;
    const bool ok = served && memoryBack && p.alice.isOpen() && p.bob.isOpen();
    std::printf("%s\n", ok ? "PASS: the players were served and the host's memory came back"
                           : "FAIL: a player waited too long, or the host kept the attackers' memory");
    return ok ? 0 : 1;
}
