// Judging phases: points and the resulting die states for the rule cases.
#include "dicetext.h"
#include "phasetests.h"

#include <gtest/gtest.h>

namespace {

using dicetext::parse;
using dicetext::stateText;

// Dice placement (see dicetext.h): W and 1 to 4 fill dice 1 to 4, 5 to 10 fill dice 5 to 10,
// each in the order written. States: 0 not offered, 1 free, 2 used, 3 set aside.
struct PhaseCase
{
    const char *name;
    const char *dice;
    int phase;
    int points;
    const char *state;
};

const PhaseCase phaseCases[] = {
    {"two sets with a wild completing the second", "5y 5b 5g 7m 7y Wb", 1, 29, "2000222220"},
    {"tied counts: lower value takes the first wild", "5y 5b 7g 7m Wb Wg", 1, 24, "2200222200"},
    {"tied counts: the set of 5 is the lower value", "Wy Wb 6y 6b 6g 8m 8y 8b", 9, 34, "2200222221"},
    {"set of two of wilds alone fails, first set stays marked", "6y 6b 6g 6m 6y Wb Wg", 9, 0, "1100222220"},
    {"set of 5 takes the wild, set of 3 from real dice", "3y 3b Wg 8y 8b 8g 8m 3m", 10, 41, "2222222200"},
    {"run of 7 takes the highest window", "1y 2b 3g 4m 5y 6b 7g 8m", 4, 35, "1222222200"},
    {"run of 7 from 1 to 7", "1y 2b 3g 4m 5y 6b 7g", 4, 28, "2222222000"},
    {"run of 7 leaves a duplicate free", "3y 4b 5g 6m 6y 7b 8g 9m", 4, 42, "2200221222"},
    {"run without a gap leaves the wild free", "Wy 4b 5g 6m 7y 8b 9g 10m", 4, 49, "1200222222"},
    {"run of 9 with the wild as 1", "2y 3b 4g Wm 5y 6b 7g 8m 9y", 6, 44, "2222222220"},
    {"run of 8 with a gap marks both wilds", "3y 4b Wg Wm 5y 6b 7g 8m 9y", 5, 42, "2222222220"},
    {"1, 2 and a wild are no run of 3", "1y 2b Wg 9y 9b 9g", 2, 0, "1110222000"},
    {"set takes the 7 the run needed", "7y 7b 7g 8m 9y", 2, 0, "0000222110"},
    {"set of 3 and run of 3", "7y 7b 7g 8m 9y 10b", 2, 48, "0000222222"},
    {"set of 3 and run of 1, 2 and 3", "1y 2b 3g 9y 9b 9g", 2, 33, "2220222000"},
    {"set of 4 takes the wild the run needed", "Wy 7b 7g 7m 6y 8b 9g", 3, 0, "2000222111"},
    {"two sets of 4", "4y 4b 4g 4m 9y 9b 9g 9m", 7, 52, "2222222200"},
    {"eight of one colour: the wild is set aside", "1b 2b 3b Wb 5b 6b 7b 8b", 8, 32, "2223222200"},
    {"equal lowest values: the lower die is set aside", "Wb 2b Wb 4b 5b 6b 7b 8b", 8, 32, "3222222200"},
    {"other colours stay free", "1y 2y 3g 4y 5y 6y 7y 8y", 8, 33, "2212222200"},
    {"reference colour from the highest offered die", "1y 2y 3y 4y 5y 6y 7y 8g", 8, 0, "1111111100"},
    {"a die not offered is not the reference", "1y 2y 3y 4y 5y 6y 7y ~9g", 8, 28, "2222222000"},
    {"out-of-range value matches nothing", "Wb 5y 5b 5g 7m 7y 10:-3.2", 1, 29, "2000222221"},
    {"huge value matches nothing", "5y 5b 5g 7m 7y 10:99.2", 1, 0, "0000222111"},
    {"out-of-range colour matches nothing", "1y 2y 3y 4y 5y 6y 7y 8:8.9", 8, 0, "1111111100"},
};

TEST(PhaseTests, JudgesEachRuleCase)
{
    for (const PhaseCase &row : phaseCases) {
        auto table = parse(row.dice);
        const int points = phasetests::checkforphase(row.phase, table.dice, table.state);
        EXPECT_EQ(points, row.points) << row.name;
        EXPECT_EQ(stateText(table.state), row.state) << row.name;
    }
}

// The primitives on their own, where a whole phase would hide the difference.
struct PrimitiveCase
{
    const char *name;
    const char *dice;
    bool run; // checkforruns, else checkforkinds
    int n;
    int points;
    const char *state;
};

const PrimitiveCase primitiveCases[] = {
    {"most frequent value, not the highest", "4y 4b 4g 4m 9y 9b 9g", false, 3, 12, "2221111000"},
    {"wilds alone make no set", "Wy Wb Wg", false, 2, 0, "1110000000"},
    {"wilds marked from the lowest die", "Wy Wb Wg 6m 6y", false, 4, 12, "2210220000"},
    {"too few even with wilds marks nothing", "Wy 6m 6y", false, 4, 0, "1000110000"},
    {"wild fills a gap below a real top", "Wy 8b 10g", true, 3, 18, "2000220000"},
    {"run from 1 up to its own length", "1y 2b 3g 4m", true, 4, 10, "2222000000"},
    {"wild as 1 under a top equal to the length", "Wy 2b 3g", true, 3, 5, "2220000000"},
    {"run longer than the dice fails", "1y 2b 3g 4m 5y 6b 7g 8m 9y 10b", true, 11, 0, "1111111111"},
};

TEST(PhaseTests, PrimitivesFollowTheirRules)
{
    for (const PrimitiveCase &row : primitiveCases) {
        auto table = parse(row.dice);
        const int points = row.run ? phasetests::checkforruns(table.dice, table.state, row.n)
                                   : phasetests::checkforkinds(table.dice, table.state, row.n);
        EXPECT_EQ(points, row.points) << row.name;
        EXPECT_EQ(stateText(table.state), row.state) << row.name;
    }
}

TEST(PhaseTests, NothingOfferedMakesNoPhase)
{
    // Dice on the table but none offered.
    const auto table = parse("~Wy ~1b ~2g ~3m ~5y ~5b ~5g ~5m ~5y ~5b");
    for (int phase = 1; phase <= 10; ++phase) {
        DiceState state = table.state;
        EXPECT_EQ(phasetests::checkforphase(phase, table.dice, state), 0) << "phase " << phase;
        EXPECT_EQ(stateText(state), "0000000000") << "phase " << phase;
    }
}

TEST(PhaseTests, PhaseOutsideOneToTenIsNeverJudged)
{
    // These dice complete phase 1, so any test that ran would mark them.
    const auto table = parse("5y 5b 5g 7m 7y 7g");
    for (int phase : {0, 11, -1, 1000}) {
        DiceState state = table.state;
        EXPECT_EQ(phasetests::checkforphase(phase, table.dice, state), 0) << "phase " << phase;
        EXPECT_EQ(stateText(state), "0000111111") << "phase " << phase;
    }
}

} // namespace
