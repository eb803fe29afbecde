// Dice a turn never rolled must not count, and a roll or all done cannot name too much.
#include "attacks.h"

#include "loadclient.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::size_t MaxMessageBytes = 64 * 1024;

bool startsWith(const std::string &s, const std::string &prefix)
{
    return s.rfind(prefix, 0) == 0;
}

std::size_t fieldCount(const std::string &message)
{
    return std::size_t(std::count(message.begin(), message.end(), '+')) + 1;
}

// A new game: it is alice's first turn, phase 1, nothing rolled.
bool freshTurn(LoadClient &alice)
{
    alice.queueMessage("CMD_startgame+alice+0+0+f+");
    alice.flush();
    return !alice.waitFor("CMD_nextplayer+1+1+", 5000).empty();
}

// The first message of either prefix, or "" on timeout.
std::string waitForEither(LoadClient &c, const std::string &a, const std::string &b, int timeoutMs)
{
    std::vector<LoadClient *> one{&c};
    std::string found;
    pumpClients(one, timeoutMs, [&](std::size_t, const std::string &m) {
        if (startsWith(m, a) || startsWith(m, b))
            found = m;
        return !found.empty();
    });
    return found;
}

// Lists that name dice twice or more than ten dice: none may roll or judge anything.
bool malformedListsAreDropped(LoadClient &alice)
{
    if (!freshTurn(alice))
        return false;
    std::string many = "CMD_rollthedice+1";
    for (int i = 0; i < 12000; ++i)
        many += "+" + std::to_string(5 + i % 6);
    alice.queueMessage(many);
    alice.queueMessage("CMD_rollthedice+1+5+5");
    alice.queueMessage("CMD_rollthedice+1+1+2+3+4+5+6+7+8+9+10+1");
    alice.queueMessage("CMD_rollthedice+1+1+2+3+4+5+6+7+8+9+10");
    alice.flush();
    const std::string dice = alice.waitFor("CMD_createdice+1+", 5000);
    std::printf("malformed rolls: the first dice to arrive are %zu bytes, roll %s\n", dice.size(),
                dice.empty() ? "none" : dice.substr(17, dice.find('+', 17) - 17).c_str());
    const bool rollsDropped = startsWith(dice, "CMD_createdice+1+1+") && fieldCount(dice) == 3 + 30;
    alice.queueMessage("CMD_alldone+1+5+5+5+6+6+6");
    alice.queueMessage("CMD_alldone+1+none");
    alice.flush();
    const std::string result = waitForEither(alice, "CMD_scores+1+", "CMD_noscore+1+", 5000);
    std::printf("malformed all done: the result that arrives is \"%s\"\n", result.substr(0, 40).c_str());
    return rollsDropped && result == "CMD_noscore+1+none" && dice.size() <= MaxMessageBytes;
}

} // namespace

int runCheat(const AttackOptions &options)
{
    const int attempts = options.count > 0 ? options.count : 200;
    LoadClient alice;
    if (!logInAsFirstSeat(alice, options.address, options.port))
        return 1;
    int completed = 0, allTen = 0, done = 0;
    for (; done < attempts; ++done) {
        if (!freshTurn(alice))
            break;
        alice.queueMessage("CMD_rollthedice+1+5+6+7+8+9+10");
        alice.flush();
        const std::string dice = alice.waitFor("CMD_createdice+1+1+", 5000);
        if (dice.empty())
            break;
        allTen += fieldCount(dice) == 3 + 30 ? 1 : 0;
        alice.queueMessage("CMD_alldone+1+1+2+3+4+5+6+7+8+9+10");
        alice.flush();
        const std::string result = waitForEither(alice, "CMD_scores+1+", "CMD_noscore+1+", 5000);
        if (result.empty())
            break;
        completed += startsWith(result, "CMD_scores+1+1+") ? 1 : 0;
    }
    std::printf("cheat: %d of %d first-roll phase-1 completions (%.0f %%); first rolls that rolled all ten "
                "dice: %d of %d\n",
                completed, done, done ? 100.0 * completed / done : 0.0, allTen, done);
    const bool listsDropped = malformedListsAreDropped(alice);
    const bool ok = done == attempts && allTen == done && listsDropped && alice.isOpen();
    std::printf("%s\n", ok ? "PASS: only rolled dice count, and malformed lists are dropped"
                           : "FAIL: unrolled dice counted, or a malformed list was used");
    return ok ? 0 : 1;
}
