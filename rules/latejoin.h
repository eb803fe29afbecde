// The messages that bring a player who logs in during a game up to date.
#pragma once

#include "announcements.h"
#include "hoststate.h"

#include <optional>

namespace latejoin {

// CMD_loadstats for the newcomer in entry seat: whose turn it is, that seat's phase, the
// round, the rolls made, the four totals and every die showing a value.
protocol::LoadStats loadstats(const HostState &state, int seat);

// CMD_loadpscores with every score-sheet slot above 0 of seats 1 to 4; nothing when there
// is none (the message is then not sent).
std::optional<protocol::LoadPScores> loadpscores(const HostState &state, int seat);

} // namespace latejoin
