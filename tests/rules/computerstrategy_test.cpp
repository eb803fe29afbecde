// The computer player's keep decisions for each strategy shape.
#include "computerstrategy.h"
#include "dicetext.h"

#include <gtest/gtest.h>

namespace {

using dicetext::keepText;
using dicetext::parse;

// All ten dice are written (see dicetext.h for placement); keep is dice 1 to 10, 1 = keep.
struct KeepCase
{
    const char *name;
    const char *dice;
    int phase;
    const char *keep;
};

const KeepCase keepCases[] = {
    // Two sets (1, 7).
    {"pairs of 10s, 9s and 8s: the two highest pairs", "1y 2b 3g 4m 10y 10b 9g 9m 8y 8b", 1, "0000111100"},
    {"one pair: the pair, every 10 and the wild", "1y 2b 3g Wm 7y 7b 10g 5m 10y 8b", 1, "0001111010"},
    {"pairs of 1 to 3 do not count", "2y 2b 3g 4m 5y 6b 7g 8m 9y 10b", 1, "0000000001"},
    {"one chosen value, then every 10", "1y 2b 3g 4m 10y 10b 10g 10m 5y 6b", 1, "0000111100"},
    {"four of a value in phase 7", "1y 2b 3g 4m 6y 6b 6g 6m 6y 9b", 7, "0000111100"},
    // Set and run (2, 3).
    {"three of the set in phase 2, then a 6", "1y 2b 3g 4m 5y 5b 5g 5m 5y 6b", 2, "0000111001"},
    {"four of the set in phase 3, then a 6", "1y 2b 3g 4m 5y 5b 5g 5m 5y 6b", 3, "0000111101"},
    {"highest pair, then one die each of 6 to 10", "1y 2b 3g 4m 5y 7b 7g 10m 10y 6b", 2, "0000010111"},
    {"wild kept, spare die of the set value kept by the run rule", "Wy 2b 3g 4m 8y 8b 8g 8m 6y 9b", 2,
     "1000111111"},
    // Runs (4, 5, 6).
    {"run of 7: one each of 4 to 10 and the wild", "Wy 2b 3g 4m 5y 5b 7g 8m 9y 10b", 4, "1001101111"},
    {"run of 8: one each of 3 to 10 and the wild", "Wy 2b 3g 4m 5y 5b 7g 8m 9y 10b", 5, "1011101111"},
    {"run of 9: one each of 2 to 10 and the wild", "Wy 2b 3g 4m 5y 5b 7g 8m 9y 10b", 6, "1111101111"},
    // One colour (8).
    {"colours 3 and 1 tie: colour 1, a wild only of that colour", "1g 2y Wg 4y 5g 6y 7g 8y 9b 10m", 8,
     "0101010100"},
    {"the most frequent colour", "Wb 2b 3y 4b 5b 6g 7m 8b 9y 10b", 8, "1101100101"},
    // Set of 5 and a second set (9, 10).
    {"most frequent value, then the highest of the next count", "1y 1b 3g Wm 6y 6b 6g 8m 8y 10b", 9, "0001111110"},
    {"second set limited to 2 in phase 9", "3y 3b 3g Wm 7y 7b 7g 7m 9y 9b", 9, "1101111100"},
    {"second set limited to 3 in phase 10", "3y 3b 3g Wm 7y 7b 7g 7m 9y 9b", 10, "1111111100"},
    {"equal highest counts: the higher value first", "1y 2b 3g 4m 5y 5b 9g 9m 6y 7b", 9, "0000111100"},
    {"highest count only among 1 to 3: only the second scan", "2y 2b 2g Wm 5y 6b 7g 8m 9y 10b", 9, "1101000000"},
};

TEST(ComputerStrategy, KeepsWhatEachStrategySays)
{
    for (const KeepCase &row : keepCases) {
        const auto table = parse(row.dice);
        KeepFlags keep{};
        EXPECT_TRUE(computerstrategy::decideKeep(row.phase, table.dice, keep)) << row.name;
        EXPECT_EQ(keepText(keep), row.keep) << row.name;
    }
}

TEST(ComputerStrategy, DecisionStartsFromNothing)
{
    const auto table = parse("1y 2b 3g 4m 10y 10b 9g 9m 8y 8b");
    KeepFlags keep{};
    keep.fill(1);
    EXPECT_TRUE(computerstrategy::decideKeep(1, table.dice, keep));
    EXPECT_EQ(keepText(keep), "0000111100");

    for (int phase : {0, 11, -3}) {
        keep.fill(1);
        EXPECT_FALSE(computerstrategy::decideKeep(phase, table.dice, keep)) << "phase " << phase;
        EXPECT_EQ(keepText(keep), "0000000000") << "phase " << phase;
    }
}

TEST(ComputerStrategy, OutOfRangeFacesAreNeverKept)
{
    // Faces no roll makes: they match no value and no colour, for every phase.
    const auto table = parse("1:-1.0 2:11.5 3:99.-2 4:0.7 5:12.1 6:-5.2 7:10.9 8:10.0 "
                             "9:1000.3 10:10.-1");
    for (int phase = 1; phase <= 10; ++phase) {
        KeepFlags keep{};
        computerstrategy::decideKeep(phase, table.dice, keep);
        const std::string kept = keepText(keep);
        EXPECT_EQ(kept.substr(0, 3), "000") << "phase " << phase;
    }
}

} // namespace
