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

// How judging a turn's offer sees a die: not offered, offered and still free, used by the
// phase, or set aside (phase 8 sets aside the lowest dice of its colour beyond seven; dice
// of other colours stay free).
enum class Judging { NotOffered, Free, Used, SetAside };

// Judging state per die, indexed 1 to 10; index 0 is unused.
using DiceState = std::array<Judging, NumDice + 1>;

// Computer player's choice per die, 1 to 10: 1 keep, 0 roll again.
using KeepFlags = std::array<int, NumDice + 1>;
