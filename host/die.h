// The die record and the ten dice on the table (plain data, no Qt).
#pragma once

#include <array>

inline constexpr int NumDice = 10;

// value 0 = wild (dice 1 to 4 only), 1 to 10; color 1 to 4 (gold, blue, green, magenta),
// 0 = not rolled this turn. The host always stores selected = false.
struct TDie
{
    int value = 0;
    int color = 0;
    bool selected = false;
};

// Indexed by die number 1 to 10; index 0 is unused.
using DiceArray = std::array<TDie, NumDice + 1>;

// Judging state per die, 1 to 10: 0 not offered, 1 offered and free, 2 used, 3 set aside.
using DiceState = std::array<int, NumDice + 1>;

// Computer player's choice per die, 1 to 10: 1 keep, 0 roll again.
using KeepFlags = std::array<int, NumDice + 1>;
