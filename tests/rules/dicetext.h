// Test helper: dice written as compact text, e.g. "Wb Wm 5g 6b 7m 8y 9b".
//
// Each token is a value then a colour letter: 1 to 10 or W (wild), and y gold (1),
// b blue (2), g green (3), m magenta (4). Tokens go on real dice in the order written:
// W and 1 to 4 on the lowest unused of dice 1 to 4, 5 to 10 on the lowest unused of
// dice 5 to 10. "7:Wb" puts a token on die 7 explicitly (it must be able to show it
// unless the value is out of range on purpose, see below). Listed dice are offered
// (state 1); a leading "~" ("~8y") puts the die on the table without offering it
// (state 0). Unlisted dice stay TDie{} (value 0, colour 0: not rolled) with state 0;
// code that reads every die (the keep decisions) sees them as wilds, so write all ten.
// An explicit die may carry any integer value and colour digit, "3:12.7", to feed
// out-of-range input. Malformed text throws std::invalid_argument.
#pragma once

#include "die.h"

#include <sstream>
#include <stdexcept>
#include <string>

namespace dicetext {

struct Table
{
    DiceArray dice{};
    DiceState state{};
};

inline int colourCode(char letter)
{
    switch (letter) {
    case 'y':
        return 1;
    case 'b':
        return 2;
    case 'g':
        return 3;
    case 'm':
        return 4;
    default:
        throw std::invalid_argument(std::string("bad colour letter ") + letter);
    }
}

inline bool canShow(int die, int value)
{
    return die <= 4 ? value <= 4 : value >= 5;
}

// Lowest unused die that can show value.
inline int placeFor(const bool (&used)[NumDice + 1], int value)
{
    const int first = value <= 4 ? 1 : 5;
    const int last = value <= 4 ? 4 : NumDice;
    for (int die = first; die <= last; ++die) {
        if (!used[die])
            return die;
    }
    throw std::invalid_argument("no free die can show " + std::to_string(value));
}

// "3:12.7": an explicit die with raw value and colour, for out-of-range input.
inline bool parseRaw(const std::string &face, TDie &out)
{
    const auto dot = face.find('.');
    if (dot == std::string::npos)
        return false;
    out.value = std::stoi(face.substr(0, dot));
    out.color = std::stoi(face.substr(dot + 1));
    return true;
}

inline Table parse(const std::string &text)
{
    Table table;
    bool used[NumDice + 1] = {};
    std::istringstream in(text);
    std::string token;
    while (in >> token) {
        const bool offered = token[0] != '~';
        if (!offered)
            token.erase(0, 1);
        int die = 0;
        if (const auto colon = token.find(':'); colon != std::string::npos) {
            die = std::stoi(token.substr(0, colon));
            token.erase(0, colon + 1);
            if (die < 1 || die > NumDice || used[die])
                throw std::invalid_argument("bad or repeated die number in " + text);
        }
        TDie face;
        const bool raw = die != 0 && parseRaw(token, face);
        if (!raw) {
            if (token.size() < 2)
                throw std::invalid_argument("bad die token " + token);
            face.value = token[0] == 'W' ? 0 : std::stoi(token.substr(0, token.size() - 1));
            face.color = colourCode(token.back());
            if (face.value < 0 || face.value > 10 || (die != 0 && !canShow(die, face.value)))
                throw std::invalid_argument("die cannot show " + token);
            if (die == 0)
                die = placeFor(used, face.value);
        }
        used[die] = true;
        table.dice[die] = face;
        table.state[die] = offered ? Judging::Free : Judging::NotOffered;
    }
    return table;
}

// Dice 1 to 10 as one digit each (0 not offered, 1 free, 2 used, 3 set aside), e.g.
// "2221000000"; handy in expectations.
inline std::string stateText(const DiceState &state)
{
    std::string text;
    for (int die = 1; die <= NumDice; ++die)
        text += static_cast<char>('0' + static_cast<int>(state[die]));
    return text;
}

// Keep flags 1 to 10 as one digit each.
inline std::string keepText(const KeepFlags &keep)
{
    std::string text;
    for (int die = 1; die <= NumDice; ++die)
        text += static_cast<char>('0' + keep[die]);
    return text;
}

} // namespace dicetext
