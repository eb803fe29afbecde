// Judging the ten phases from three primitives: a set, a run, seven of one colour.
#include "phasetests.h"

#include <array>

namespace phasetests {

namespace {

constexpr Judging Free = Judging::Free;
constexpr Judging Used = Judging::Used;
constexpr Judging SetAside = Judging::SetAside;
constexpr int OneColourSize = 7; // dice of one colour in phase 8

// Per value 0 to 10 (0 = wild): how many free dice show it.
using ValueCounts = std::array<int, 11>;

// A value that can index the counts; anything else matches nothing.
bool validValue(int value)
{
    return value >= 0 && value <= 10;
}

bool isFree(const DiceState &state, int die)
{
    return state[die] == Free;
}

ValueCounts countFree(const DiceArray &dice, const DiceState &state)
{
    ValueCounts counts{};
    for (int die = 1; die <= NumDice; ++die) {
        if (isFree(state, die) && validValue(dice[die].value))
            ++counts[dice[die].value];
    }
    return counts;
}

// Marks free dice showing value used, lowest die first, at most limit of them;
// returns how many were marked.
int markValue(const DiceArray &dice, DiceState &state, int value, int limit)
{
    int marked = 0;
    for (int die = 1; die <= NumDice && marked < limit; ++die) {
        if (isFree(state, die) && dice[die].value == value) {
            state[die] = Used;
            ++marked;
        }
    }
    return marked;
}

// The most frequent real value (lowest value on ties), 0 when no free die shows one.
int mostFrequentValue(const ValueCounts &counts)
{
    int best = 0;
    int bestCount = 0;
    for (int value = 1; value <= 10; ++value) {
        if (counts[value] > bestCount) {
            best = value;
            bestCount = counts[value];
        }
    }
    return best;
}

// Whether the window topValue - n + 1 .. topValue can be filled with at most wilds gaps.
bool windowFits(const ValueCounts &counts, int topValue, int n, int wilds)
{
    for (int value = topValue; value > topValue - n; --value) {
        if (counts[value] > 0)
            continue;
        if (wilds == 0)
            return false;
        --wilds;
    }
    return true;
}

// Highest window top for a run of n, 0 when none. Without wilds first; with wilds a
// window's top must still be a real die.
int findRunTop(const ValueCounts &counts, int n)
{
    for (int top = 10; top >= n; --top) {
        if (windowFits(counts, top, n, 0))
            return top;
    }
    if (counts[0] == 0)
        return 0;
    for (int top = 10; top >= n; --top) {
        if (counts[top] > 0 && windowFits(counts, top, n, counts[0]))
            return top;
    }
    return 0;
}

int twoParts(const DiceArray &dice, DiceState &state, int (*first)(const DiceArray &, DiceState &, int),
             int firstSize, int (*second)(const DiceArray &, DiceState &, int), int secondSize)
{
    const int firstPoints = first(dice, state, firstSize);
    if (firstPoints == 0)
        return 0;
    const int secondPoints = second(dice, state, secondSize);
    return secondPoints > 0 ? firstPoints + secondPoints : 0;
}

// The offered die of colour with the lowest value, lowest die number on equal values.
int lowestOfColour(const DiceArray &dice, const DiceState &state, int colour)
{
    int lowest = 0;
    for (int die = 1; die <= NumDice; ++die) {
        if (isFree(state, die) && dice[die].color == colour && validValue(dice[die].value)
            && (lowest == 0 || dice[die].value < dice[lowest].value))
            lowest = die;
    }
    return lowest;
}

int countColour(const DiceArray &dice, const DiceState &state, int colour)
{
    int count = 0;
    for (int die = 1; die <= NumDice; ++die) {
        if (isFree(state, die) && dice[die].color == colour && validValue(dice[die].value))
            ++count;
    }
    return count;
}

} // namespace

int checkforkinds(const DiceArray &dice, DiceState &state, int n)
{
    if (n < 1)
        return 0;
    const ValueCounts counts = countFree(dice, state);
    const int value = mostFrequentValue(counts);
    if (value == 0)
        return 0; // a set is never made of wilds alone
    if (counts[value] < n) {
        if (counts[value] + counts[0] < n)
            return 0;
        markValue(dice, state, 0, n - counts[value]);
    }
    return value * markValue(dice, state, value, n);
}

int checkforruns(const DiceArray &dice, DiceState &state, int n)
{
    if (n < 1 || n > 10)
        return 0;
    const ValueCounts counts = countFree(dice, state);
    const int top = findRunTop(counts, n);
    if (top == 0)
        return 0;
    int points = 0;
    bool gapCovered = false;
    for (int value = top - n + 1; value <= top; ++value) {
        if (markValue(dice, state, value, 1) == 1)
            points += value;
        else
            gapCovered = true;
    }
    if (gapCovered)
        markValue(dice, state, 0, NumDice);
    return points;
}

int checkforp1(const DiceArray &dice, DiceState &state)
{
    return twoParts(dice, state, checkforkinds, 3, checkforkinds, 3);
}

int checkforp2(const DiceArray &dice, DiceState &state)
{
    return twoParts(dice, state, checkforkinds, 3, checkforruns, 3);
}

int checkforp3(const DiceArray &dice, DiceState &state)
{
    return twoParts(dice, state, checkforkinds, 4, checkforruns, 4);
}

int checkforp4(const DiceArray &dice, DiceState &state)
{
    return checkforruns(dice, state, 7);
}

int checkforp5(const DiceArray &dice, DiceState &state)
{
    return checkforruns(dice, state, 8);
}

int checkforp6(const DiceArray &dice, DiceState &state)
{
    return checkforruns(dice, state, 9);
}

int checkforp7(const DiceArray &dice, DiceState &state)
{
    return twoParts(dice, state, checkforkinds, 4, checkforkinds, 4);
}

// Seven free dice of the colour of the highest-numbered free die; the surplus dice of that
// colour with the lowest values (the lower die first on equal values) are set aside.
int checkforp8(const DiceArray &dice, DiceState &state)
{
    int reference = 0;
    for (int die = NumDice; die >= 1 && reference == 0; --die) {
        if (isFree(state, die))
            reference = die;
    }
    if (reference == 0)
        return 0;
    const int colour = dice[reference].color;
    if (colour < 1 || colour > 4)
        return 0;
    int count = countColour(dice, state, colour);
    if (count < OneColourSize)
        return 0;
    for (; count > OneColourSize; --count) {
        const int lowest = lowestOfColour(dice, state, colour);
        if (lowest == 0)
            return 0;
        state[lowest] = SetAside;
    }
    int points = 0;
    for (int die = 1; die <= NumDice; ++die) {
        if (isFree(state, die) && dice[die].color == colour && validValue(dice[die].value)) {
            state[die] = Used;
            points += dice[die].value;
        }
    }
    return points;
}

int checkforp9(const DiceArray &dice, DiceState &state)
{
    return twoParts(dice, state, checkforkinds, 5, checkforkinds, 2);
}

int checkforp10(const DiceArray &dice, DiceState &state)
{
    return twoParts(dice, state, checkforkinds, 5, checkforkinds, 3);
}

int checkforphase(int phase, const DiceArray &dice, DiceState &state)
{
    using Test = int (*)(const DiceArray &, DiceState &);
    static constexpr std::array<Test, 10> tests = {
        checkforp1, checkforp2, checkforp3, checkforp4, checkforp5,
        checkforp6, checkforp7, checkforp8, checkforp9, checkforp10,
    };
    if (phase < 1 || phase > 10)
        return 0;
    return tests[phase - 1](dice, state);
}

} // namespace phasetests
