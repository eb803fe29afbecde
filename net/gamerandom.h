// The one process-wide pseudo-random generator: host dice and the client's dice shuffle share it.
#pragma once

#include <cstdint>
#include <random>

// The generator; seeded from the clock on first use unless seedGameRandom ran first.
std::mt19937 &gameRandom();

// Reseeds the generator (start-up, tests and tools that want repeatable dice).
void seedGameRandom(std::uint32_t seed);

// A uniform integer from lo to hi inclusive.
int gameRandomInt(int lo, int hi);
