#include "requestbinding.h"

#include "protocol.h"

namespace requestbinding {

namespace {

enum class Rule { OwnSeat, HostSeat, HostOnly, OwnOrHostChoice, Unchecked };

Rule ruleFor(const QByteArray &command)
{
    static const struct
    {
        const char *command;
        Rule rule;
    } rules[] = {
        {"CMD_logininfo", Rule::OwnSeat},   {"CMD_chat", Rule::OwnSeat},
        {"CMD_action", Rule::OwnSeat},      {"CMD_playasound", Rule::OwnSeat},
        {"CMD_rollthedice", Rule::OwnSeat}, {"CMD_alldone", Rule::OwnSeat},
        {"CMD_kickhim", Rule::HostSeat},    {"CMD_botspeed", Rule::HostSeat},
        {"CMD_startgame", Rule::HostOnly},  {"CMD_justwatch", Rule::OwnOrHostChoice},
    };
    for (const auto &r : rules) {
        if (command == r.command)
            return r.rule;
    }
    return Rule::Unchecked;
}

} // namespace

bool mayRequest(const QByteArray &command, const QByteArray &rest, int senderEntry)
{
    const Rule rule = ruleFor(command);
    if (rule == Rule::Unchecked)
        return true;
    if (rule == Rule::HostOnly)
        return senderEntry == 1;
    const int seat = protocol::FieldCursor(rest).takeInt();
    switch (rule) {
    case Rule::OwnSeat:
        return seat == senderEntry;
    case Rule::HostSeat:
        return senderEntry == 1 && seat == 1;
    case Rule::OwnOrHostChoice:
        return seat == senderEntry || senderEntry == 1;
    default:
        return false;
    }
}

} // namespace requestbinding
