#include "chatload.h"

#include "loadclient.h"
#include "procstatus.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

// A chat line as relayed: "CMD_chat+S+nameS chats: sS nI tT|clBlue".
struct ChatLine
{
    int sender = 0;
    int index = 0;
    std::int64_t sentAt = 0;
};

bool parseChat(const std::string &message, ChatLine &line)
{
    const std::size_t at = message.find(" chats: s");
    if (message.rfind("CMD_chat+", 0) != 0 || at == std::string::npos)
        return false;
    long long t = 0;
    return std::sscanf(message.c_str() + at, " chats: s%d n%d t%lld|", &line.sender, &line.index, &t) == 3
           && (line.sentAt = t, true);
}

struct Receiver
{
    std::vector<int> nextIndex; // per sender seat
    long received = 0;
    long outOfOrder = 0;
};

double percentile(std::vector<std::int64_t> &values, double p)
{
    if (values.empty())
        return 0;
    const std::size_t k = std::min(values.size() - 1, std::size_t(p * double(values.size())));
    std::nth_element(values.begin(), values.begin() + long(k), values.end());
    return double(values[k]) / 1000.0;
}

// Waits until every client has seen the log-in of every other one.
bool waitForEveryone(std::vector<LoadClient *> &clients, int count)
{
    std::vector<int> seen(clients.size(), 0);
    return pumpClients(clients, 10000, [&](std::size_t i, const std::string &m) {
        if (m.rfind("CMD_newplayerinfo+", 0) == 0 || m.rfind("CMD_existingplayers+", 0) == 0)
            ++seen[i];
        return std::all_of(seen.begin(), seen.end(), [count](int n) { return n >= count; });
    });
}

} // namespace

int runChatLoad(const ChatLoadOptions &options)
{
    std::vector<std::unique_ptr<LoadClient>> owned;
    std::vector<LoadClient *> clients;
    for (int i = 0; i < options.clients; ++i) {
        owned.push_back(std::make_unique<LoadClient>());
        if (!connectAndLogIn(*owned.back(), options.address, options.port, "load" + std::to_string(i + 1))) {
            std::printf("FAIL: client %d could not connect and log in\n", i + 1);
            return 1;
        }
        clients.push_back(owned.back().get());
    }
    if (!waitForEveryone(clients, options.clients)) {
        std::printf("FAIL: not every client saw every log-in\n");
        return 1;
    }
    const MemoryFigures before = readMemory(options.hostPid);

    const long expectedPerReceiver = long(options.clients) * options.lines;
    const std::int64_t start = nowMicros();
    for (LoadClient *c : clients) {
        for (int n = 0; n < options.lines; ++n)
            c->queueMessage("CMD_chat+" + std::to_string(c->seat) + "+s" + std::to_string(c->seat) + " n"
                            + std::to_string(n) + " t" + std::to_string(nowMicros()) + "|clBlue");
        c->flush();
    }

    std::vector<Receiver> receivers(clients.size(), Receiver{std::vector<int>(10, 0)});
    std::vector<std::int64_t> latencies;
    latencies.reserve(std::size_t(expectedPerReceiver) * clients.size());
    long complete = 0;
    long foreign = 0;
    std::int64_t lastArrival = start;
    long peakRss = before.rssKiB;
    std::int64_t nextSample = start;
    const int timeoutMs = int(expectedPerReceiver * 10 * 3 + 15000);
    pumpClients(clients, timeoutMs, [&](std::size_t i, const std::string &m) {
        const std::int64_t now = nowMicros();
        if (now >= nextSample) {
            peakRss = std::max(peakRss, readMemory(options.hostPid).rssKiB);
            nextSample = now + 100000;
        }
        ChatLine line;
        if (!parseChat(m, line))
            return false;
        if (line.sender < 1 || line.sender > 9) {
            ++foreign;
            return false;
        }
        Receiver &r = receivers[i];
        if (line.index != r.nextIndex[std::size_t(line.sender)])
            ++r.outOfOrder;
        r.nextIndex[std::size_t(line.sender)] = line.index + 1;
        ++r.received;
        latencies.push_back(now - line.sentAt);
        lastArrival = now;
        if (r.received == expectedPerReceiver)
            ++complete;
        return complete == long(clients.size());
    });
    const MemoryFigures after = readMemory(options.hostPid);

    // One more line on a quiet host: the round trip without a queue in front of it.
    const std::int64_t quietSent = nowMicros();
    clients[0]->queueMessage("CMD_chat+" + std::to_string(clients[0]->seat) + "+quiet|clBlue");
    clients[0]->flush();
    const bool quietBack =
        !clients[0]->waitFor("CMD_chat+" + std::to_string(clients[0]->seat) + "+", 5000).empty();
    const double quietMs = double(nowMicros() - quietSent) / 1000.0;

    long lost = 0;
    long disorder = 0;
    for (const Receiver &r : receivers) {
        lost += expectedPerReceiver - r.received;
        disorder += r.outOfOrder;
    }
    const double seconds = double(lastArrival - start) / 1e6;
    const long handled = long(options.clients) * options.lines;
    std::printf("clients %d, lines per client %d: %ld chat lines, %ld deliveries\n", options.clients,
                options.lines, handled, handled * long(clients.size()));
    std::printf("received %ld of %ld deliveries, lost %ld, out of order %ld, unknown %ld\n",
                handled * long(clients.size()) - lost, handled * long(clients.size()), lost, disorder, foreign);
    std::printf("host handled %.1f messages/s (pacing limit 100/s) over %.2f s; %.0f deliveries/s\n",
                double(handled) / seconds, seconds, double(handled * long(clients.size())) / seconds);
    std::printf("latency under load: median %.1f ms, 99th %.1f ms, worst %.1f ms\n", percentile(latencies, 0.5),
                percentile(latencies, 0.99), percentile(latencies, 1.0));
    std::printf("quiet round trip after the burst: %s %.1f ms\n", quietBack ? "" : "NOT BACK", quietMs);
    if (options.hostPid > 0)
        std::printf("host RSS: before %ld KiB, peak sampled %ld KiB, after %ld KiB, VmHWM %ld KiB\n",
                    before.rssKiB, std::max(peakRss, after.rssKiB), after.rssKiB, after.peakRssKiB);
    const bool ok = lost == 0 && disorder == 0 && foreign == 0 && quietBack;
    std::printf("%s\n", ok ? "PASS: every line reached every connection, in order" : "FAIL");
    return ok ? 0 : 1;
}
