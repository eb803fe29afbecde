// dorvane-sim: plays N games between computer players and prints the outcome.
//   dorvane-sim --games N --seats 2|4 --seed S
// Everything but the games-per-second line depends only on the arguments.
#include "gamerandom.h"
#include "simgame.h"

#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Options
{
    long games = 1000;
    int seats = 4;
    unsigned long seed = 1;
};

bool parseNumber(const char *text, unsigned long max, unsigned long &out)
{
    char *end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || text[0] == '-' || value > max)
        return false;
    out = value;
    return true;
}

bool parseOptions(int argc, char **argv, Options &options)
{
    for (int i = 1; i < argc; ++i) {
        if (i + 1 >= argc)
            return false;
        const char *name = argv[i];
        unsigned long value = 0;
        if (!parseNumber(argv[++i], 4294967295UL, value))
            return false;
        if (std::strcmp(name, "--games") == 0 && value >= 1 && value <= 100000000)
            options.games = long(value);
        else if (std::strcmp(name, "--seats") == 0 && (value == 2 || value == 4))
            options.seats = int(value);
        else if (std::strcmp(name, "--seed") == 0)
            options.seed = value;
        else
            return false;
    }
    return true;
}

const char *seatRole(int seat)
{
    return seat == 2 ? "Klot, computer" : "just watching";
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: dorvane-sim --games N --seats 2|4 --seed S\n");
        return 2;
    }
    seedGameRandom(static_cast<std::uint32_t>(options.seed));

    const SimGame game(options.seats);
    long wins[5] = {};
    double scoreSum[5] = {};
    double roundSum = 0;
    double messageSum = 0;
    double virtualMsSum = 0;
    long ties = 0;
    long unfinished = 0;

    const auto start = std::chrono::steady_clock::now();
    for (long g = 0; g < options.games; ++g) {
        const SimResult r = game.play();
        if (!r.finished)
            ++unfinished;
        int winners = 0;
        for (int seat = 1; seat <= options.seats; ++seat) {
            scoreSum[seat] += r.scores[seat];
            if (r.winners[seat]) {
                ++wins[seat];
                ++winners;
            }
        }
        ties += winners > 1 ? 1 : 0;
        roundSum += r.rounds;
        messageSum += double(r.messages);
        virtualMsSum += double(r.virtualMs);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const double n = double(options.games);
    std::printf("dorvane-sim: %ld games, %d seats, seed %lu\n", options.games, options.seats, options.seed);
    for (int seat = 1; seat <= options.seats; ++seat) {
        std::printf("seat %d (%s): wins %ld (%.1f%%), average final score %.1f\n", seat, seatRole(seat),
                    wins[seat], 100.0 * double(wins[seat]) / n, scoreSum[seat] / n);
    }
    std::printf("tied games: %ld (a tie counts as a win for every tied seat)\n", ties);
    std::printf("average rounds: %.2f\n", roundSum / n);
    std::printf("average messages per game: %.1f\n", messageSum / n);
    std::printf("average game length at bot speed %d ms: %.1f minutes\n", SimGame::DefaultBotSpeedMs,
                virtualMsSum / n / 60000.0);
    if (unfinished > 0)
        std::printf("games cut off before a winner: %ld\n", unfinished);
    std::printf("games per second: %.0f\n", seconds > 0 ? n / seconds : 0.0);
    return unfinished > 0 ? 1 : 0;
}
