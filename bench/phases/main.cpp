// Times phase judging: for each phase, many judgements over a pool of random offers.
// Usage: bench-phases [judgements-per-phase]; prints one line per measurement.
#include "die.h"
#include "gamerandom.h"
#include "phasetests.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Offer
{
    DiceArray dice;
    DiceState state;
};

// Colour row per die, as the roll's face rule fixes it.
constexpr std::array<int, NumDice + 1> ColourShift = {0, 0, 1, 2, 3, 0, 1, 2, 3, 2, 3};

Offer randomOffer()
{
    Offer offer{};
    for (int die = 1; die <= NumDice; ++die) {
        const int r = gameRandomInt(1, 6);
        offer.dice[die].value = die <= 4 ? (r <= 4 ? r : 0) : r + 4;
        offer.dice[die].color = (r - 1 + ColourShift[die]) % 4 + 1;
        offer.state[die] =
            gameRandomInt(0, 4) > 0 ? Judging::Free : Judging::NotOffered; // about four in five offered
    }
    return offer;
}

struct Result
{
    double seconds;
    long completed;
};

Result judge(int phase, const std::vector<Offer> &pool, long count)
{
    long completed = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < count; ++i) {
        const Offer &offer = pool[static_cast<std::size_t>(i) % pool.size()];
        DiceState state = offer.state;
        if (phasetests::checkforphase(phase, offer.dice, state) > 0)
            ++completed;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return {elapsed.count(), completed};
}

} // namespace

int main(int argc, char **argv)
{
    const long count = argc > 1 ? std::atol(argv[1]) : 2000000;
    if (count <= 0) {
        std::fprintf(stderr, "usage: bench-phases [judgements-per-phase > 0]\n");
        return 2;
    }
    seedGameRandom(7772);
    std::vector<Offer> pool(4096);
    for (Offer &offer : pool)
        offer = randomOffer();

    double totalSeconds = 0;
    for (int phase = 1; phase <= 10; ++phase) {
        const Result result = judge(phase, pool, count);
        totalSeconds += result.seconds;
        std::printf("phase %2d: %12.0f judgements/s (%ld judged in %.3f s, %ld completed)\n", phase,
                    count / result.seconds, count, result.seconds, result.completed);
    }
    std::printf("all phases: %10.0f judgements/s (%ld judged in %.3f s)\n", 10 * count / totalSeconds, 10 * count,
                totalSeconds);
    return 0;
}
