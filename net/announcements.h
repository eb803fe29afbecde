// The typed messages the host sends to its clients, one struct per command word
// (CMD_startgame, relayed as it came, is StartGame in requests.h).
//
// Usage: as in requests.h: T::parse(rest) after protocol::splitCommand, throwing
// protocol::ProtocolError for a message a client refuses; T::build() for the host's
// sending. Seat fields a client checks against its board (1 to 4) are checked here;
// whether a seat is the reader's own is the reader's business.
#pragma once

#include "messagefields.h"
#include "requests.h"

#include <QByteArray>
#include <QList>
#include <array>
#include <optional>
#include <variant>

namespace protocol {

// The new connection's own entry number.
struct SendLoginInfo
{
    static constexpr char Command[] = "CMD_sendlogininfo";
    int seat = 0;

    static SendLoginInfo parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const SendLoginInfo &) const = default;
};

// The host has no entry left for this connection.
struct Full
{
    static constexpr char Command[] = "CMD_full";

    static Full parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const Full &) const = default;
};

// A player (seat 1 to 4) or spectator (5 to 9) has logged in.
struct NewPlayerInfo
{
    static constexpr char Command[] = "CMD_newplayerinfo";
    int seat = 0;
    QByteArray name;

    static NewPlayerInfo parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const NewPlayerInfo &) const = default;
};

// One connected entry, told to a newcomer; read like NewPlayerInfo.
struct ExistingPlayers
{
    static constexpr char Command[] = "CMD_existingplayers";
    int seat = 0;
    QByteArray name;

    static ExistingPlayers parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const ExistingPlayers &) const = default;
};

// A connection has closed.
struct PlayerDisconnected
{
    static constexpr char Command[] = "CMD_playerdisconnected";
    int seat = 0;
    QByteArray name;

    static PlayerDisconnected parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const PlayerDisconnected &) const = default;
};

// To seat 1: the newcomer named has another program version.
struct HaveWrongVersion
{
    static constexpr char Command[] = "CMD_havewrongversion";
    QByteArray name;

    static HaveWrongVersion parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const HaveWrongVersion &) const = default;
};

// To the newcomer: its version differs from the host's.
struct WrongVersion
{
    static constexpr char Command[] = "CMD_wrongversion";

    static WrongVersion parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const WrongVersion &) const = default;
};

// The running game for a newcomer: whose turn (0 for none), that seat's phase, the round,
// the rolls used, the four totals and every die showing a value.
struct LoadStats
{
    static constexpr char Command[] = "CMD_loadstats";
    int seat = 0;
    int current = 0;
    int phase = 0;
    int round = 0;
    int rolls = 0;
    std::array<int, 4> totals{};
    QList<DieFace> dice;

    static LoadStats parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const LoadStats &) const = default;
};

// The filled score-sheet slots for a newcomer; never sent without one.
struct LoadPScores
{
    static constexpr char Command[] = "CMD_loadpscores";
    int seat = 0;
    QList<SheetEntry> entries;

    static LoadPScores parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const LoadPScores &) const = default;
};

// A seat's computer play was switched. Any mode text but "1" reads as PlayerPlays.
struct JustWatching
{
    static constexpr char Command[] = "CMD_justwatching";
    int seat = 0;
    WatchMode mode = WatchMode::ComputerPlays;

    static JustWatching parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const JustWatching &) const = default;
};

// A chat line in the chat's own line format, "{seat}+{name} chats: {text}|{colour}";
// clients show every body as it came, so the line is kept whole.
struct Chat
{
    static constexpr char Command[] = "CMD_chat";
    QByteArray line;

    // The line for a seat's text (name and what follows it).
    static Chat relay(int seat, const QByteArray &text);
    static Chat parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const Chat &) const = default;
};

// An action line, "{seat}+{name} {text}|{colour}"; kept whole like Chat.
struct Action
{
    static constexpr char Command[] = "CMD_action";
    QByteArray line;

    static Action relay(int seat, const QByteArray &text);
    static Action parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const Action &) const = default;
};

// A chatter sound to play: everything after the seat as the request had it (normally
// "wave{k}+"). Clients take any seat text (0 when it is not a number).
struct PlaySound
{
    static constexpr char Command[] = "CMD_playasound";
    int seat = 0;
    QByteArray tail;

    // The sound's resource name: the tail up to its first "+".
    QByteArray sound() const;
    static PlaySound parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const PlaySound &) const = default;
};

// A turn begins: seat 1 to 4, its phase 1 to 10, the round.
struct NextPlayer
{
    static constexpr char Command[] = "CMD_nextplayer";
    int seat = 0;
    int phase = 0;
    int round = 0;

    static NextPlayer parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const NextPlayer &) const = default;
};

// The dice a roll turned up; rolls counts this one.
struct CreateDice
{
    static constexpr char Command[] = "CMD_createdice";
    int seat = 0;
    int rolls = 0;
    QList<DieFace> dice;

    static CreateDice parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const CreateDice &) const = default;
};

// A turn completed its phase: the phase done, new total, its points, the bonus and its
// kind, and the dice used.
struct Scores
{
    static constexpr char Command[] = "CMD_scores";
    int seat = 0;
    int phase = 0;
    int total = 0;
    int points = 0;
    int bonus = 0;
    ScoreKind kind = ScoreKind::Plain;
    QList<int> dice;

    static Scores parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const Scores &) const = default;
};

// A seat playing out failed phase: its sheet is crossed out from there on.
struct MarkOff
{
    static constexpr char Command[] = "CMD_markoff";
    int seat = 0;
    int phase = 0;

    static MarkOff parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const MarkOff &) const = default;
};

// A turn did not complete its phase; the dice offered.
struct NoScore
{
    static constexpr char Command[] = "CMD_noscore";
    int seat = 0;
    QList<int> dice;

    static NoScore parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const NoScore &) const = default;
};

// The game is over: the winner's name, or several joined by " and ".
struct Winner
{
    static constexpr char Command[] = "CMD_winner";
    QByteArray names;

    static Winner parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const Winner &) const = default;
};

// Every message the host sends; the client dispatches it with std::visit, so an
// announcement without a handler does not compile. CMD_startgame is relayed as it came.
using Announcement =
    std::variant<SendLoginInfo, Full, NewPlayerInfo, ExistingPlayers, PlayerDisconnected, HaveWrongVersion,
                 WrongVersion, LoadStats, LoadPScores, JustWatching, Chat, Action, PlaySound, StartGame,
                 NextPlayer, CreateDice, Scores, MarkOff, NoScore, Winner>;

// The announcement in line (without its terminator); nullopt when its command word is no
// announcement's. Throws ProtocolError for a malformed one.
std::optional<Announcement> parseAnnouncement(const QByteArray &line);

// The announcement's bytes without terminator.
QByteArray buildAnnouncement(const Announcement &announcement);

} // namespace protocol
