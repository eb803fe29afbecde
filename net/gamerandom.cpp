#include "gamerandom.h"

#include <chrono>

namespace {

std::mt19937 &generator()
{
    static std::mt19937 gen(
        static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    return gen;
}

} // namespace

std::mt19937 &gameRandom()
{
    return generator();
}

void seedGameRandom(std::uint32_t seed)
{
    generator().seed(seed);
}

int gameRandomInt(int lo, int hi)
{
    std::uniform_int_distribution<int> dist(lo, hi);
    return dist(generator());
}
