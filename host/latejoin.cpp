#include "latejoin.h"

#include <algorithm>

namespace latejoin {

namespace {

void appendField(QByteArray &out, int value)
{
    out += '+';
    out += QByteArray::number(value);
}

} // namespace

QByteArray loadstats(const HostState &state, int seat)
{
    const int current = std::clamp(state.currentplayer, 0, state.numseats);
    QByteArray message = "CMD_loadstats";
    for (const int field : {seat, current, state.seats[current].phase, state.roundno, state.rollcount})
        appendField(message, field);
    for (int s = 1; s <= 4; ++s)
        appendField(message, state.seats[s].score);
    const qsizetype withoutDice = message.size();
    for (int d = 1; d <= NumDice; ++d) {
        const TDie &die = state.dice[d];
        if (die.value == 0)
            continue;
        appendField(message, d);
        appendField(message, die.value);
        appendField(message, die.color);
    }
    if (message.size() == withoutDice)
        message += "+none";
    return message;
}

QByteArray loadpscores(const HostState &state, int seat)
{
    QByteArray triples;
    for (int s = 1; s <= 4; ++s) {
        for (int slot = 1; slot <= 12; ++slot) {
            const int points = state.seats[s].pscores[slot];
            if (points <= 0)
                continue;
            appendField(triples, s);
            appendField(triples, slot);
            appendField(triples, points);
        }
    }
    return triples.isEmpty() ? QByteArray() : "CMD_loadpscores+" + QByteArray::number(seat) + triples;
}

} // namespace latejoin
