#include "tablesrun.h"

#include "loadclient.h"
#include "netcounters.h"
#include "playertally.h"
#include "procstatus.h"
#include "tablesplayer.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// The server (or host) processes taken together: their memory and CPU time.
struct ServerFigures
{
    long rssKiB = 0;
    long pssKiB = 0;
    double cpuSeconds = 0;
    bool readable = false;
};

ServerFigures readServers(const std::vector<int> &pids, bool withPss = false)
{
    ServerFigures f;
    for (const int pid : pids) {
        const MemoryFigures m = readMemory(pid);
        const double cpu = readCpuSeconds(pid);
        if (m.rssKiB < 0 || cpu < 0)
            continue;
        f.readable = true;
        f.rssKiB += m.rssKiB;
        f.cpuSeconds += cpu;
        if (withPss)
            f.pssKiB += std::max(0L, readPssKiB(pid));
    }
    return f;
}

std::string loadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

// A load process and the parent's end of its control socket.
struct Child
{
    pid_t pid = -1;
    int fd = -1;
    std::string in;
};

// Reads from the child until a line arrives (returned without its newline); "" on timeout
// or when the child has gone.
std::string readLine(Child &c, int timeoutMs)
{
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        const std::size_t newline = c.in.find('\n');
        if (newline != std::string::npos) {
            std::string line = c.in.substr(0, newline);
            c.in.erase(0, newline + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        pollfd p{c.fd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, int(left)) <= 0)
            return {};
        char buffer[65536];
        const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return {};
        c.in.append(buffer, std::size_t(n));
    }
}

void tellAll(std::vector<Child> &children, const std::string &word)
{
    const std::string line = word + "\n";
    for (Child &c : children)
        ::send(c.fd, line.data(), line.size(), MSG_NOSIGNAL);
}

int raiseOpenFileLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 1024;
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
    ::getrlimit(RLIMIT_NOFILE, &limit);
    return int(std::min<rlim_t>(limit.rlim_cur, 1 << 30));
}

// Waits `seconds`, reading the servers' memory each second; returns the largest reading.
long sampleFor(const TablesOptions &options, double seconds, long peak)
{
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(std::int64_t(seconds * 1000));
    while (Clock::now() < end) {
        std::this_thread::sleep_for(
            std::min(std::chrono::duration_cast<std::chrono::nanoseconds>(end - Clock::now()),
                     std::chrono::nanoseconds(std::chrono::seconds(1))));
        peak = std::max(peak, readServers(options.pids).rssKiB);
    }
    return peak;
}

double childrenCpu(const std::vector<Child> &children)
{
    double total = 0;
    for (const Child &c : children)
        total += std::max(0.0, readCpuSeconds(c.pid));
    return total;
}

double seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

std::string kib(long value)
{
    return std::to_string(value) + " KiB";
}

bool startChildren(const TablesOptions &options, int procs, std::vector<Child> &children)
{
    const int total = options.tableCount();
    for (int i = 0; i < procs; ++i) {
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
            return false;
        const int first = int(long(total) * i / procs);
        const int end = int(long(total) * (i + 1) / procs);
        const pid_t pid = ::fork();
        if (pid < 0)
            return false;
        if (pid == 0) {
            ::close(pair[0]);
            for (const Child &c : children)
                ::close(c.fd);
            int code = 1;
            {
                TablesPlayer player(options, first, end, pair[1]);
                code = player.run();
            }
            std::fflush(stdout);
            ::_exit(code);
        }
        ::close(pair[1]);
        children.push_back(Child{pid, pair[0], {}});
    }
    return true;
}

void printLatency(const char *what, const LatencyHistogram &h)
{
    std::printf("%-28s %8llu answers: median %.1f ms, p99 %.1f ms, max %.1f ms\n", what,
                static_cast<unsigned long long>(h.count()), h.percentileMs(0.5), h.percentileMs(0.99),
                h.percentileMs(1));
}

void printTally(const PlayerTally &t)
{
    std::printf("errors: %ld (tables not opened %ld, connects failed %ld, closed by the server %ld, refused %ld, "
                "unanswered %ld); redirects followed %ld; games finished %ld\n",
                t.errors(), t.failedTables, t.connectFailed, t.closedByPeer, t.refused, t.unanswered, t.redirected,
                t.games);
}

} // namespace

int runTables(const TablesOptions &options)
{
    const int fileLimit = raiseOpenFileLimit();
    const long connections = long(options.tables) * options.connectionsPerTable();
    int procs = options.procs;
    if (procs <= 0) {
        const long perProcess = options.churn > 0 ? 1 << 30 : std::max(1000, fileLimit - 256);
        procs = int(std::max(1L, (connections + perProcess - 1) / perProcess));
    }
    const long perProcess = options.churn > 0 ? long(options.openAtOnce) * 2 : (connections + procs - 1) / procs;
    if (perProcess + 64 > fileLimit) {
        std::printf("FAIL: %ld connections per load process, open-file limit %d: give --procs\n", perProcess,
                    fileLimit);
        return 1;
    }
    const char *where = options.hosts.empty() ? "table server process(es)" : "game host processes";
    const std::size_t serverCount =
        options.hosts.empty() ? std::size_t(options.servers->size()) : options.hosts.size();
    // A churn holds only the tables being opened at once; a play run holds all of them.
    const long atOnce =
        options.churn > 0 ? long(std::min(options.churn, options.openAtOnce * procs)) * 2 : connections;
    std::printf("tables %d (%ld connections, at most %ld at once) on %zu %s, %d load process(es), open-file "
                "limit %d, at most %ld connections at once per source address, load average %s\n",
                options.tableCount(), long(options.tableCount()) * options.connectionsPerTable(), atOnce,
                serverCount, where, procs, fileLimit, options.sources.mostPerAddress(atOnce),
                loadAverage().c_str());

    const bool comparing = !options.hosts.empty();
    const ServerFigures baseline = readServers(options.pids, comparing);
    std::vector<Child> children;
    const Clock::time_point opening = Clock::now();
    if (!startChildren(options, procs, children)) {
        std::printf("FAIL: could not start the load processes: %s\n", std::strerror(errno));
        return 1;
    }
    long peak = baseline.rssKiB;
    for (Child &c : children) {
        // Every process reports when its tables are open; memory is read meanwhile.
        std::string line;
        while ((line = readLine(c, 1000)).empty() && ::waitpid(c.pid, nullptr, WNOHANG) == 0)
            peak = std::max(peak, readServers(options.pids).rssKiB);
        if (line != "open") {
            std::printf("FAIL: a load process stopped before its tables were open\n");
            tellAll(children, "close");
            return 1;
        }
    }
    const double openSeconds = seconds(opening);
    const ServerFigures open = readServers(options.pids, comparing);
    peak = std::max(peak, open.rssKiB);

    PlayerTally tally;
    auto collect = [&]() {
        tellAll(children, "report");
        for (Child &c : children) {
            std::string text;
            if (readLine(c, 30000) != "report")
                continue;
            for (int i = 0; i < 3; ++i)
                text += readLine(c, 30000) + "\n";
            PlayerTally one;
            if (PlayerTally::parse(text, one))
                tally.merge(one);
            else
                std::printf("a load process sent an unreadable tally\n");
        }
    };
    auto finish = [&]() {
        tellAll(children, "close");
        for (Child &c : children) {
            ::waitpid(c.pid, nullptr, 0);
            ::close(c.fd);
        }
    };

    if (options.churn > 0) {
        collect();
        finish();
        const ServerFigures after = readServers(options.pids);
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const ServerFigures settled = readServers(options.pids);
        std::printf("churn: %ld tables opened, joined and abandoned in %.1f s (%.0f a second)\n", tally.opened,
                    openSeconds, double(tally.opened) / openSeconds);
        printTally(tally);
        std::printf("server memory: baseline %s, peak sampled %s, when the last closed %s, 3 s later %s "
                    "(%+ld KiB against the baseline)\n",
                    kib(baseline.rssKiB).c_str(), kib(std::max(peak, after.rssKiB)).c_str(),
                    kib(after.rssKiB).c_str(), kib(settled.rssKiB).c_str(), settled.rssKiB - baseline.rssKiB);
        std::printf("server CPU for the churn: %.2f s; load average %s\n",
                    settled.cpuSeconds - baseline.cpuSeconds, loadAverage().c_str());
        return 0;
    }

    std::printf("every load process had its tables open (or given up) after %.1f s; server memory %s "
                "(baseline %s): %.1f KiB per table\n",
                openSeconds, kib(open.rssKiB).c_str(), kib(baseline.rssKiB).c_str(),
                double(open.rssKiB - baseline.rssKiB) / options.tables);

    tellAll(children, "measure");
    const std::string loadAtStart = loadAverage();
    const ServerFigures playStart = readServers(options.pids);
    const double loadCpuStart = childrenCpu(children);
    const NetCounters netAtStart = NetCounters::read();
    const Clock::time_point playing = Clock::now();
    peak = sampleFor(options, options.seconds, peak);
    const ServerFigures playEnd = readServers(options.pids, comparing);
    const double loadCpuEnd = childrenCpu(children);
    const double playSeconds = seconds(playing);
    const NetCounters net = NetCounters::read().since(netAtStart);
    const std::string loadAtEnd = loadAverage();
    tellAll(children, "quiet");

    // Answers still under way and the pause after a turn's end run out; then nothing acts.
    std::this_thread::sleep_for(std::chrono::milliseconds(options.settleMs));
    const ServerFigures idleStart = readServers(options.pids);
    const double loadIdleStart = childrenCpu(children);
    std::this_thread::sleep_for(std::chrono::seconds(options.idleSeconds));
    const ServerFigures idleEnd = readServers(options.pids);
    const double loadIdleEnd = childrenCpu(children);
    collect();
    finish();

    const double serverCpu = playEnd.cpuSeconds - playStart.cpuSeconds;
    // A game host is a whole process per table: all of its memory is the table's.
    const double perTable = double(open.rssKiB - (comparing ? 0 : baseline.rssKiB)) / options.tables;
    const double rate = double(tally.requests) / playSeconds;
    LatencyHistogram all = tally.rolls;
    all.merge(tally.allDone);
    std::printf("tables open (every seat logged in): %ld\n", tally.opened);
    std::printf("play: %.1f s measured, %ld requests (%.0f a second), %ld answered; load average %s at the "
                "start, %s at the end\n",
                playSeconds, tally.requests, rate, tally.answers, loadAtStart.c_str(), loadAtEnd.c_str());
    printLatency("roll to dice", tally.rolls);
    printLatency("all done to score", tally.allDone);
    printLatency("every request", all);
    printTally(tally);
    std::printf("machine-wide in play: %lld packets dropped at a full input backlog, %lld TCP segments "
                "retransmitted\n",
                net.backlogDrops, net.retransmitted);
    std::printf("server memory: baseline %s, all open %s, peak sampled in play %s, idle %s; %.1f KiB per table "
                "when open, %.1f KiB per table at the peak\n",
                kib(baseline.rssKiB).c_str(), kib(open.rssKiB).c_str(), kib(peak).c_str(),
                kib(idleEnd.rssKiB).c_str(), perTable,
                double(peak - (comparing ? 0 : baseline.rssKiB)) / options.tables);
    if (comparing)
        std::printf("game hosts' proportional memory (shared pages divided): baseline %s, in play %s; "
                    "%.1f KiB per table in play\n",
                    kib(baseline.pssKiB).c_str(), kib(playEnd.pssKiB).c_str(),
                    double(playEnd.pssKiB) / options.tables);
    std::printf("server CPU in play: %.2f s over %.1f s = %.1f%% of a core; %.1f%% of a core per 1,000 "
                "requests a second (%.3f ms a request)\n",
                serverCpu, playSeconds, 100 * serverCpu / playSeconds,
                rate > 0 ? 100 * serverCpu / playSeconds / (rate / 1000) : 0.0,
                tally.requests > 0 ? 1000 * serverCpu / double(tally.requests) : 0.0);
    std::printf("load processes' CPU in play: %.1f%% of a core\n",
                100 * (loadCpuEnd - loadCpuStart) / playSeconds);
    std::printf("idle (every table open, nobody acting) for %d s: server CPU %.2f s (%.3f%% of a core), "
                "load processes %.2f s\n",
                options.idleSeconds, idleEnd.cpuSeconds - idleStart.cpuSeconds,
                100 * (idleEnd.cpuSeconds - idleStart.cpuSeconds) / options.idleSeconds,
                loadIdleEnd - loadIdleStart);
    std::printf(
        "summary | %d | %ld | %zu | %.1f | %.1f | %.1f | %.0f | %ld | %.1f | %.1f | %.3f | %lld / %lld | %s |\n",
        options.tables, connections, serverCount, all.percentileMs(0.5), all.percentileMs(0.99),
        all.percentileMs(1), rate, tally.errors(), perTable,
        rate > 0 ? 100 * serverCpu / playSeconds / (rate / 1000) : 0.0,
        100 * (idleEnd.cpuSeconds - idleStart.cpuSeconds) / options.idleSeconds, net.backlogDrops,
        net.retransmitted, loadAtEnd.c_str());
    return idleStart.readable || options.pids.empty() ? 0 : 1;
}
