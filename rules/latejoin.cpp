#include "latejoin.h"

#include <algorithm>

namespace latejoin {

protocol::LoadStats loadstats(const HostState &state, int seat)
{
    const int current = std::clamp(state.currentplayer, 0, state.numseats);
    protocol::LoadStats message;
    message.seat = seat;
    message.current = current;
    message.phase = state.seats[current].phase;
    message.round = state.roundno;
    message.rolls = state.rollcount;
    for (int s = 1; s <= 4; ++s)
        message.totals[s - 1] = state.seats[s].score;
    for (int d = 1; d <= NumDice; ++d) {
        const TDie &die = state.dice[d];
        if (die.value != 0)
            message.dice.append({d, die.value, die.color});
    }
    return message;
}

std::optional<protocol::LoadPScores> loadpscores(const HostState &state, int seat)
{
    protocol::LoadPScores message{seat, {}};
    for (int s = 1; s <= 4; ++s) {
        for (int slot = 1; slot <= 12; ++slot) {
            const int points = state.seats[s].pscores[slot];
            if (points > 0)
                message.entries.append({s, slot, points});
        }
    }
    if (message.entries.isEmpty())
        return std::nullopt;
    return message;
}

} // namespace latejoin
