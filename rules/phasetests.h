// Judging the ten phases: pure functions over the dice and their judging state (no Qt).
#pragma once

#include "die.h"

// Each test reads only the dice whose state is Judging::Free, marks the dice it uses
// Judging::Used (phase 8 marks the surplus dice of its colour Judging::SetAside) and returns
// the points of the dice used (a wild counts 0), 0 when the phase is not made. The state is
// not restored on failure: a two-part phase whose second part fails leaves the first part's
// dice marked, so each judgement starts from the state of the offer. A run that needs a wild
// marks every free wild as used.
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
