// Chats, actions and names chosen so that their relays would pass what a client accepts, and
// the longest chat the game's chat box can make, which must still arrive.
#include "attacks.h"

#include "loadclient.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr std::size_t MaxMessageBytes = 64 * 1024;
constexpr std::size_t MaxNameBytes = 64;
constexpr std::size_t MaxChatTextBytes = 8000; // 2,000 characters of up to four bytes each

struct Table
{
    std::vector<LoadClient *> all;
    std::size_t longest = 0;
    std::vector<std::string> seen; // what alice received

    // Pumps everyone for ms; alice's messages are kept. Stops early when stop(message) holds.
    template <class F>
    void pump(int ms, F stop)
    {
        pumpClients(all, ms, [&](std::size_t i, const std::string &m) {
            longest = std::max(longest, m.size());
            if (i == 0)
                seen.push_back(m);
            return i == 0 && stop(m);
        });
    }
};

bool startsWith(const std::string &s, const std::string &prefix)
{
    return s.rfind(prefix, 0) == 0;
}

} // namespace

int runOversize(const AttackOptions &options)
{
    LoadClient alice, mallory;
    const std::string name(MaxNameBytes, 'm');
    if (!connectAndLogIn(alice, options.address, options.port, "alice")
        || !connectAndLogIn(mallory, options.address, options.port, name) || alice.seat != 1) {
        std::printf("FAIL: alice and mallory could not log in\n");
        return 1;
    }
    Table t;
    t.all = {&alice, &mallory};
    const std::string seat = std::to_string(mallory.seat);
    t.pump(5000, [&](const std::string &m) { return m == "CMD_newplayerinfo+" + seat + "+" + name; });

    // The longest request the host takes, for a chat and an action: the relay adds the name.
    for (const char *command : {"CMD_chat+", "CMD_action+"}) {
        const std::string head = command + seat + "+";
        mallory.queueMessage(head + std::string(MaxMessageBytes - head.size(), 'c'));
    }
    // The longest chat the game's own chat box can make: it must arrive whole.
    const std::string relayHead = "CMD_chat+" + seat + "+" + name + " chats: ";
    const std::string fitting = std::string(MaxChatTextBytes, 'f') + "|clBlue";
    mallory.queueMessage("CMD_chat+" + seat + "+" + fitting);
    mallory.flush();
    t.pump(10000, [&](const std::string &m) { return m == relayHead + fitting; });
    const bool fitArrived = std::find(t.seen.begin(), t.seen.end(), relayHead + fitting) != t.seen.end();

    // A log-in name longer than the limit, and one far longer.
    std::vector<std::unique_ptr<LoadClient>> longNames;
    for (std::size_t length : {MaxNameBytes + 1, std::size_t(60000)}) {
        longNames.push_back(std::make_unique<LoadClient>());
        connectAndLogIn(*longNames.back(), options.address, options.port, std::string(length, 'n'));
        t.all.push_back(longNames.back().get());
    }
    alice.queueMessage("CMD_chat+1+done|clBlue");
    alice.flush();
    t.pump(10000, [](const std::string &m) { return startsWith(m, "CMD_chat+1+alice chats: done"); });
    const bool longNameSeated = std::any_of(t.seen.begin(), t.seen.end(), [](const std::string &m) {
        return startsWith(m, "CMD_newplayerinfo+")
               && m.find(std::string(MaxNameBytes + 1, 'n')) != std::string::npos;
    });

    std::printf("oversize: longest message received %zu bytes (clients accept %zu); the chat that fits %s; "
                "a name of %zu bytes %s\n",
                t.longest, MaxMessageBytes, fitArrived ? "arrived" : "did NOT arrive", MaxNameBytes + 1,
                longNameSeated ? "was seated" : "was not seated");
    const bool ok = t.longest <= relayHead.size() + fitting.size() && fitArrived && !longNameSeated
                    && alice.isOpen() && mallory.isOpen();
    std::printf("%s\n", ok ? "PASS: the host never sent what its clients refuse"
                           : "FAIL: the host sent a message its clients refuse, or seated a name too long");
    return ok ? 0 : 1;
}
