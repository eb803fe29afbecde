// The computer player's keep decisions for the ten phases.
#include "computerstrategy.h"

#include <array>

namespace computerstrategy {

namespace {

// Per value 0 to 10 (0 = wild): how many of the ten dice show it.
using ValueCounts = std::array<int, 11>;
// Per value 0 to 10: whether a die of it was kept by the current rule.
using ValueFlags = std::array<bool, 11>;

bool validValue(int value)
{
    return value >= 0 && value <= 10;
}

ValueCounts countValues(const DiceArray &dice)
{
    ValueCounts counts{};
    for (int die = 1; die <= NumDice; ++die) {
        if (validValue(dice[die].value))
            ++counts[dice[die].value];
    }
    return counts;
}

void keepWilds(const DiceArray &dice, KeepFlags &keep)
{
    for (int die = 1; die <= NumDice; ++die) {
        if (dice[die].value == 0)
            keep[die] = 1;
    }
}

// Keeps up to limit dice showing value that are not kept yet, lowest die first.
void keepValue(const DiceArray &dice, KeepFlags &keep, int value, int limit)
{
    for (int die = 1; die <= NumDice && limit > 0; ++die) {
        if (keep[die] == 0 && dice[die].value == value) {
            keep[die] = 1;
            --limit;
        }
    }
}

// Keeps one die of each value above floor, lowest die first.
void keepOneOfEachAbove(const DiceArray &dice, KeepFlags &keep, int floor)
{
    ValueFlags kept{};
    for (int die = 1; die <= NumDice; ++die) {
        const int value = dice[die].value;
        if (keep[die] == 0 && value > floor && value <= 10 && !kept[value]) {
            keep[die] = 1;
            kept[value] = true;
        }
    }
}

// Two sets: the two highest values from 4 up that show a pair; the 10s when short.
void keepTwoSets(const DiceArray &dice, KeepFlags &keep, int m)
{
    keepWilds(dice, keep);
    const ValueCounts counts = countValues(dice);
    int chosen = 0;
    for (int value = 10; value >= 4 && chosen < 2; --value) {
        if (counts[value] >= 2) {
            keepValue(dice, keep, value, m);
            ++chosen;
        }
    }
    if (chosen < 2)
        keepValue(dice, keep, 10, NumDice);
}

// A set and a run: the highest pair from 4 up, then one die each of 6 to 10.
void keepSetAndRun(const DiceArray &dice, KeepFlags &keep, int m)
{
    keepWilds(dice, keep);
    const ValueCounts counts = countValues(dice);
    for (int value = 10; value >= 4; --value) {
        if (counts[value] >= 2) {
            keepValue(dice, keep, value, m);
            break;
        }
    }
    keepOneOfEachAbove(dice, keep, 5);
}

void keepRun(const DiceArray &dice, KeepFlags &keep, int floor)
{
    keepWilds(dice, keep);
    keepOneOfEachAbove(dice, keep, floor);
}

// Highest count among values 1 to 10, leaving out except (0 leaves out nothing).
int highestCount(const ValueCounts &counts, int except)
{
    int best = 0;
    for (int value = 1; value <= 10; ++value) {
        if (value != except && counts[value] > best)
            best = counts[value];
    }
    return best;
}

// First value from top down to bottom, other than except, with the given count; 0 if none.
int firstWithCount(const ValueCounts &counts, int count, int top, int bottom, int except)
{
    for (int value = top; value >= bottom; --value) {
        if (value != except && counts[value] == count)
            return value;
    }
    return 0;
}

// A set of five from the most frequent value 4 to 10, then the next most frequent value.
void keepFiveAndSet(const DiceArray &dice, KeepFlags &keep, int m)
{
    keepWilds(dice, keep);
    const ValueCounts counts = countValues(dice);
    const int most = highestCount(counts, 0);
    if (most == 0)
        return;
    const int first = firstWithCount(counts, most, 10, 4, 0);
    if (first != 0)
        keepValue(dice, keep, first, 5);
    const int second = firstWithCount(counts, highestCount(counts, first), 10, 1, first);
    if (second != 0)
        keepValue(dice, keep, second, m);
}

} // namespace

void computerplayp1(const DiceArray &dice, KeepFlags &keep)
{
    keepTwoSets(dice, keep, 3);
}

void computerplayp2(const DiceArray &dice, KeepFlags &keep)
{
    keepSetAndRun(dice, keep, 3);
}

void computerplayp3(const DiceArray &dice, KeepFlags &keep)
{
    keepSetAndRun(dice, keep, 4);
}

void computerplayp4(const DiceArray &dice, KeepFlags &keep)
{
    keepRun(dice, keep, 3);
}

void computerplayp5(const DiceArray &dice, KeepFlags &keep)
{
    keepRun(dice, keep, 2);
}

void computerplayp6(const DiceArray &dice, KeepFlags &keep)
{
    keepRun(dice, keep, 1);
}

void computerplayp7(const DiceArray &dice, KeepFlags &keep)
{
    keepTwoSets(dice, keep, 4);
}

// Every die of the most frequent colour, the lowest colour code on equal counts.
void computerplayp8(const DiceArray &dice, KeepFlags &keep)
{
    std::array<int, 5> counts{};
    for (int die = 1; die <= NumDice; ++die) {
        const int colour = dice[die].color;
        if (colour >= 1 && colour <= 4)
            ++counts[colour];
    }
    int best = 1;
    for (int colour = 2; colour <= 4; ++colour) {
        if (counts[colour] > counts[best])
            best = colour;
    }
    for (int die = 1; die <= NumDice; ++die) {
        if (dice[die].color == best)
            keep[die] = 1;
    }
}

void computerplayp9(const DiceArray &dice, KeepFlags &keep)
{
    keepFiveAndSet(dice, keep, 2);
}

void computerplayp10(const DiceArray &dice, KeepFlags &keep)
{
    keepFiveAndSet(dice, keep, 3);
}

bool decideKeep(int phase, const DiceArray &dice, KeepFlags &keep)
{
    using Strategy = void (*)(const DiceArray &, KeepFlags &);
    static constexpr std::array<Strategy, 10> strategies = {
        computerplayp1, computerplayp2, computerplayp3, computerplayp4, computerplayp5,
        computerplayp6, computerplayp7, computerplayp8, computerplayp9, computerplayp10,
    };
    keep.fill(0);
    if (phase < 1 || phase > 10)
        return false;
    strategies[phase - 1](dice, keep);
    return true;
}

} // namespace computerstrategy
