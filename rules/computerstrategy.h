// The computer player's keep decisions: pure functions over the dice (no Qt).
#pragma once

#include "die.h"

// Each strategy sets keep flags (1 = keep the die) on top of what is already set;
// computerplay clears all ten first.
namespace computerstrategy {

void computerplayp1(const DiceArray &dice, KeepFlags &keep);
void computerplayp2(const DiceArray &dice, KeepFlags &keep);
void computerplayp3(const DiceArray &dice, KeepFlags &keep);
void computerplayp4(const DiceArray &dice, KeepFlags &keep);
void computerplayp5(const DiceArray &dice, KeepFlags &keep);
void computerplayp6(const DiceArray &dice, KeepFlags &keep);
void computerplayp7(const DiceArray &dice, KeepFlags &keep);
void computerplayp8(const DiceArray &dice, KeepFlags &keep);
void computerplayp9(const DiceArray &dice, KeepFlags &keep);
void computerplayp10(const DiceArray &dice, KeepFlags &keep);

// Clears all ten flags and runs the strategy of the phase; returns false (and keeps
// nothing) for a phase outside 1 to 10.
bool decideKeep(int phase, const DiceArray &dice, KeepFlags &keep);

} // namespace computerstrategy
