// bench-engine: whole computer-player games per second (four and two seats) and the
// broadcasts per second they produce, through TurnEngine, ComputerPlayer and a virtual
// clock. Run from a release-like build:  bench-engine [games per run]
#include "gamerandom.h"
#include "simgame.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct RunFigures
{
    double gamesPerSecond = 0;
    double gamesPerCpuSecond = 0; // unaffected by other processes sharing the core
    double messagesPerSecond = 0;
    double bytesPerSecond = 0;
};

RunFigures runOnce(int seats, long games)
{
    const SimGame game(seats);
    long long messages = 0;
    long long bytes = 0;
    const std::clock_t cpuStart = std::clock();
    const auto start = std::chrono::steady_clock::now();
    for (long g = 0; g < games; ++g) {
        const SimResult r = game.play();
        messages += r.messages;
        bytes += r.messageBytes;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    return {double(games) / seconds, double(games) / cpuSeconds, double(messages) / seconds,
            double(bytes) / seconds};
}

void bench(int seats, long games, int runs)
{
    seedGameRandom(12345);
    runOnce(seats, games / 10 + 1); // warm-up
    std::vector<RunFigures> figures;
    for (int i = 0; i < runs; ++i)
        figures.push_back(runOnce(seats, games));
    std::sort(figures.begin(), figures.end(),
              [](const RunFigures &a, const RunFigures &b) { return a.gamesPerSecond < b.gamesPerSecond; });
    const RunFigures &median = figures[figures.size() / 2];
    std::printf("%d seats: %ld games x %d runs: median %.0f games/s (best %.0f; %.0f per CPU "
                "second), %.2f M messages/s, %.1f MB/s of message text\n",
                seats, games, runs, median.gamesPerSecond, figures.back().gamesPerSecond, median.gamesPerCpuSecond,
                median.messagesPerSecond / 1e6, median.bytesPerSecond / 1e6);
}

} // namespace

int main(int argc, char **argv)
{
    const long games = argc > 1 ? std::max(1L, std::atol(argv[1])) : 5000;
    std::printf("bench-engine: whole games between computer players, virtual clock, one thread\n");
    bench(4, games, 5);
    bench(2, games, 5);
    return 0;
}
