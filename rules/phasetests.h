// Judging the ten phases: pure functions over the dice and their judging state (no Qt).
#pragma once

#include "die.h"

// Each test reads dice whose state is 1 (free), marks the dice it uses 2 (phase 8 may set
// dice aside as 3) and returns the points of the dice used, 0 when the phase is not made.
namespace phasetests {

int checkforkinds(const DiceArray &dice, DiceState &state, int n);
int checkforruns(const DiceArray &dice, DiceState &state, int n);

int checkforp1(const DiceArray &dice, DiceState &state);
int checkforp2(const DiceArray &dice, DiceState &state);
int checkforp3(const DiceArray &dice, DiceState &state);
int checkforp4(const DiceArray &dice, DiceState &state);
int checkforp5(const DiceArray &dice, DiceState &state);
int checkforp6(const DiceArray &dice, DiceState &state);
int checkforp7(const DiceArray &dice, DiceState &state);
int checkforp8(const DiceArray &dice, DiceState &state);
int checkforp9(const DiceArray &dice, DiceState &state);
int checkforp10(const DiceArray &dice, DiceState &state);

// The test of the given phase through a table; 0 without any test outside 1 to 10.
int checkforphase(int phase, const DiceArray &dice, DiceState &state);

} // namespace phasetests
