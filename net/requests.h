// The typed requests a client sends to the host, one struct per command word.
//
// Usage: the receiver splits a line with protocol::splitCommand(line), compares the command
// with T::Command and calls T::parse(rest); parse throws protocol::ProtocolError for a
// message the host refuses (a field that should be a number is not one, a die outside 1 to
// 10 or listed twice, ...). The sender fills the struct and hands T::build() (the message
// without its terminator) to protocol::frame. For every accepted body,
// parse(body).build() is the message again up to number spelling and missing trailing
// fields; for every value, parse(build()) gives the value back.
//
// StartGame has one layout in both directions: the host relays it as it came.
#pragma once

#include "messagefields.h"

#include <QByteArray>
#include <QList>
#include <array>
#include <optional>
#include <variant>

namespace protocol {

// Log-in: the seat the host gave, the program's version text and the player's name.
struct LoginInfo
{
    static constexpr char Command[] = "CMD_logininfo";
    int seat = 0;
    QByteArray version;
    QByteArray name;

    static LoginInfo parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const LoginInfo &) const = default;
};

// The hosting player removes the connection in entry target.
struct KickHim
{
    static constexpr char Command[] = "CMD_kickhim";
    int seat = 0;
    int target = 0;

    static KickHim parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const KickHim &) const = default;
};

// The hosting player sets the computer players' step interval.
struct BotSpeed
{
    static constexpr char Command[] = "CMD_botspeed";
    int seat = 0;
    int milliseconds = 0;

    static BotSpeed parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const BotSpeed &) const = default;
};

// A chat line: payload is the text, "|" and the sender's colour; it may hold "+".
struct ChatRequest
{
    static constexpr char Command[] = "CMD_chat";
    int seat = 0;
    QByteArray payload;

    static ChatRequest parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const ChatRequest &) const = default;
};

// An action line ("/me ..." or a phrase button); payload as in ChatRequest.
struct ActionRequest
{
    static constexpr char Command[] = "CMD_action";
    int seat = 0;
    QByteArray payload;

    static ActionRequest parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const ActionRequest &) const = default;
};

// Start a game: the starter's name and three settings sent as "0", "0", "f" and relayed
// unchanged. A name holding "+" shifts the settings; nothing escapes it.
struct StartGame
{
    static constexpr char Command[] = "CMD_startgame";
    QByteArray name;
    std::array<QByteArray, 3> settings{"0", "0", "f"};

    static StartGame parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const StartGame &) const = default;
};

// Switch computer play for a seat on or off.
struct JustWatch
{
    static constexpr char Command[] = "CMD_justwatch";
    int seat = 0;
    WatchMode mode = WatchMode::ComputerPlays;

    static JustWatch parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const JustWatch &) const = default;
};

// Roll the listed dice again; an empty list (the seat alone on the wire) means all done
// with all ten dice.
struct RollTheDice
{
    static constexpr char Command[] = "CMD_rollthedice";
    int seat = 0;
    QList<int> dice;

    static RollTheDice parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const RollTheDice &) const = default;
};

// End the turn offering the listed dice ("none" on the wire when the list is empty).
struct AllDone
{
    static constexpr char Command[] = "CMD_alldone";
    int seat = 0;
    QList<int> dice;

    static AllDone parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const AllDone &) const = default;
};

// A chatter sound for everyone. The host relays everything after the seat as it came,
// normally "wave{k}+", so that text is kept whole as tail.
struct PlaySoundRequest
{
    static constexpr char Command[] = "CMD_playasound";
    int seat = 0;
    QByteArray tail;

    // The request for chatter sound k (resource "wave{k}").
    static PlaySoundRequest wave(int seat, int k);
    static PlaySoundRequest parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const PlaySoundRequest &) const = default;
};

// Every request a client may send; the host dispatches it with std::visit, so a request
// without a handler does not compile.
using Request = std::variant<LoginInfo, KickHim, BotSpeed, ChatRequest, ActionRequest, StartGame, JustWatch,
                             RollTheDice, AllDone, PlaySoundRequest>;

// The request in line (without its terminator); nullopt when its command word is no
// request's. Throws ProtocolError for a malformed request.
std::optional<Request> parseRequest(const QByteArray &line);

// The request's bytes without terminator.
QByteArray buildRequest(const Request &request);

} // namespace protocol
