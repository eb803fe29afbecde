#include "requestbinding.h"

namespace requestbinding {

bool allows(Rule rule, int seatField, int senderEntry)
{
    switch (rule) {
    case Rule::OwnSeat:
        return seatField == senderEntry;
    case Rule::HostSeat:
        return senderEntry == 1 && seatField == 1;
    case Rule::HostOnly:
        return senderEntry == 1;
    case Rule::OwnOrHostChoice:
        return seatField == senderEntry || senderEntry == 1;
    }
    return false;
}

} // namespace requestbinding
