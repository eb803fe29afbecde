// Which requests a connection may make: a request speaks only for the sender's own entry.
#pragma once

#include "requests.h"

#include <type_traits>

namespace requestbinding {

// How a request's seat field must relate to the entry it came from.
enum class Rule {
    OwnSeat,         // the seat field is the sender's own entry
    HostSeat,        // only entry 1, with seat field 1
    HostOnly,        // only entry 1; the request has no seat field
    OwnOrHostChoice, // the sender's own entry, or any seat when entry 1 sends it
};

// True when entry senderEntry may send a request with this seat field under rule.
bool allows(Rule rule, int seatField, int senderEntry);

template <typename Request>
constexpr Rule ruleFor()
{
    using namespace protocol;
    if constexpr (std::is_same_v<Request, KickHim> || std::is_same_v<Request, BotSpeed>) {
        return Rule::HostSeat;
    } else if constexpr (std::is_same_v<Request, StartGame>) {
        return Rule::HostOnly;
    } else if constexpr (std::is_same_v<Request, JustWatch>) {
        return Rule::OwnOrHostChoice;
    } else {
        static_assert(
            std::is_same_v<
                Request,
                LoginInfo> || std::is_same_v<Request, ChatRequest> || std::is_same_v<Request, ActionRequest> || std::is_same_v<Request, PlaySoundRequest> || std::is_same_v<Request, RollTheDice> || std::is_same_v<Request, AllDone>,
            "every request names its rule");
        return Rule::OwnSeat;
    }
}

// True when the connection in entry senderEntry may send this request: CMD_justwatch names
// its target, which entry 1 may choose freely; CMD_kickhim and CMD_botspeed come only from
// entry 1 (seat field 1); CMD_startgame comes only from entry 1; every other request's
// seat field is the sender's own entry.
template <typename Request>
bool mayRequest(const Request &request, int senderEntry)
{
    if constexpr (ruleFor<Request>() == Rule::HostOnly)
        return allows(Rule::HostOnly, 0, senderEntry);
    else
        return allows(ruleFor<Request>(), request.seat, senderEntry);
}

} // namespace requestbinding
