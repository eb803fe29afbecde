#include "announcements.h"

#include "messagevariant.h"

namespace protocol {

using fields::put;
using fields::takeRanged;

namespace {

// Clients number connections from 1; anything up to a million is taken as an entry.
constexpr int MaxEntryNumber = 1000000;
constexpr int PlayerSeats = 4;

// The command word and the seat, in a buffer that holds a typical message whole.
QByteArray begin(const char *command, int seat)
{
    QByteArray out;
    out.reserve(128);
    out.append(command);
    put(out, seat);
    return out;
}

struct SeatAndName
{
    int seat;
    QByteArray name;
};

SeatAndName takeEntryAndName(const QByteArray &body)
{
    FieldCursor cursor(body);
    const int seat = takeRanged(cursor, 1, MaxEntryNumber, "connection number");
    return {seat, cursor.takeRest()};
}

int takePlayerSeat(FieldCursor &cursor)
{
    return takeRanged(cursor, 1, PlayerSeats, "seat");
}

QByteArray chatLine(int seat, const QByteArray &text)
{
    QByteArray line = QByteArray::number(seat);
    put(line, text);
    return line;
}

} // namespace

SendLoginInfo SendLoginInfo::parse(const QByteArray &body)
{
    return {FieldCursor(body).takeInt()};
}

QByteArray SendLoginInfo::build() const
{
    return begin(Command, seat);
}

Full Full::parse(const QByteArray &)
{
    return {};
}

QByteArray Full::build() const
{
    return QByteArray(Command) + Separator;
}

NewPlayerInfo NewPlayerInfo::parse(const QByteArray &body)
{
    auto [seat, name] = takeEntryAndName(body);
    return {seat, name};
}

QByteArray NewPlayerInfo::build() const
{
    QByteArray out = begin(Command, seat);
    put(out, name);
    return out;
}

ExistingPlayers ExistingPlayers::parse(const QByteArray &body)
{
    auto [seat, name] = takeEntryAndName(body);
    return {seat, name};
}

QByteArray ExistingPlayers::build() const
{
    QByteArray out = begin(Command, seat);
    put(out, name);
    return out;
}

PlayerDisconnected PlayerDisconnected::parse(const QByteArray &body)
{
    auto [seat, name] = takeEntryAndName(body);
    return {seat, name};
}

QByteArray PlayerDisconnected::build() const
{
    QByteArray out = begin(Command, seat);
    put(out, name);
    return out;
}

HaveWrongVersion HaveWrongVersion::parse(const QByteArray &body)
{
    return {body};
}

QByteArray HaveWrongVersion::build() const
{
    QByteArray out(Command);
    put(out, name);
    return out;
}

WrongVersion WrongVersion::parse(const QByteArray &)
{
    return {};
}

QByteArray WrongVersion::build() const
{
    return QByteArray(Command) + Separator;
}

LoadStats LoadStats::parse(const QByteArray &body)
{
    FieldCursor cursor(body);
    LoadStats m;
    m.seat = cursor.takeInt();
    m.current = takeRanged(cursor, 0, PlayerSeats, "seat");
    m.phase = takeRanged(cursor, 0, 11, "phase");
    m.round = cursor.takeInt();
    m.rolls = cursor.takeInt();
    for (int &total : m.totals)
        total = cursor.takeInt();
    m.dice = fields::takeDieFaces(cursor);
    return m;
}

QByteArray LoadStats::build() const
{
    QByteArray out = begin(Command, seat);
    for (const int value : {current, phase, round, rolls})
        put(out, value);
    for (const int total : totals)
        put(out, total);
    fields::putDieFaces(out, dice);
    return out;
}

LoadPScores LoadPScores::parse(const QByteArray &body)
{
    FieldCursor cursor(body);
    LoadPScores m;
    m.seat = cursor.takeInt();
    m.entries = fields::takeSheetEntries(cursor);
    return m;
}

QByteArray LoadPScores::build() const
{
    QByteArray out = begin(Command, seat);
    for (const SheetEntry &entry : entries) {
        put(out, entry.seat);
        put(out, entry.slot);
        put(out, entry.points);
    }
    return out;
}

JustWatching JustWatching::parse(const QByteArray &body)
{
    FieldCursor cursor(body);
    JustWatching m;
    m.seat = cursor.takeInt();
    m.mode = cursor.take() == "1" ? WatchMode::ComputerPlays : WatchMode::PlayerPlays;
    return m;
}

QByteArray JustWatching::build() const
{
    QByteArray out = begin(Command, seat);
    put(out, fields::watchModeText(mode));
    return out;
}

Chat Chat::relay(int seat, const QByteArray &text)
{
    return {chatLine(seat, text)};
}

Chat Chat::parse(const QByteArray &body)
{
    return {body};
}

QByteArray Chat::build() const
{
    QByteArray out(Command);
    put(out, line);
    return out;
}

Action Action::relay(int seat, const QByteArray &text)
{
    return {chatLine(seat, text)};
}

Action Action::parse(const QByteArray &body)
{
    return {body};
}

QByteArray Action::build() const
{
    QByteArray out(Command);
    put(out, line);
    return out;
}

QByteArray PlaySound::sound() const
{
    return FieldCursor(tail).take();
}

PlaySound PlaySound::parse(const QByteArray &body)
{
    FieldCursor cursor(body);
    bool ok = false;
    PlaySound m;
    m.seat = cursor.take().toInt(&ok);
    if (!ok)
        m.seat = 0;
    m.tail = cursor.takeRest();
    return m;
}

QByteArray PlaySound::build() const
{
    QByteArray out = begin(Command, seat);
    put(out, tail);
    return out;
}

NextPlayer NextPlayer::parse(const QByteArray &body)
{
    FieldCursor cursor(body);
    NextPlayer m;
    m.seat = takePlayerSeat(cursor);
    m.phase = takeRanged(cursor, 1, 10, "phase");
    m.round = takeRanged(cursor, 0, MaxEntryNumber, "round");
    return m;
}

QByteArray NextPlayer::build() const
{
    QByteArray out = begin(Command, seat);
    put(out, phase);
    put(out, round);
    return out + Separator;
}

CreateDice CreateDice::parse(const QByteArray &body)
{
    FieldCursor cursor(body);
    CreateDice m;
    m.seat = takePlayerSeat(cursor);
    m.rolls = takeRanged(cursor, 0, MaxEntryNumber, "rolls");
    m.dice = fields::takeDieFaces(cursor);
    return m;
}

QByteArray CreateDice::build() const
{
    QByteArray out = begin(Command, seat);
    put(out, rolls);
    fields::putDieFaces(out, dice);
    return out;
}

Scores Scores::parse(const QByteArray &body)
{
    FieldCursor cursor(body);
    Scores m;
    m.seat = takePlayerSeat(cursor);
    m.phase = takeRanged(cursor, 1, 10, "phase");
    m.total = cursor.takeInt();
    m.points = cursor.takeInt();
    m.bonus = cursor.takeInt();
    m.kind = fields::scoreKind(cursor.take());
    m.dice = cursor.takeDieList();
    return m;
}

QByteArray Scores::build() const
{
    QByteArray out = begin(Command, seat);
    for (const int value : {phase, total, points, bonus})
        put(out, value);
    put(out, fields::scoreKindText(kind));
    fields::putDieList(out, dice);
    return out;
}

MarkOff MarkOff::parse(const QByteArray &body)
{
    FieldCursor cursor(body);
    MarkOff m;
    m.seat = takePlayerSeat(cursor);
    m.phase = cursor.takeInt();
    return m;
}

QByteArray MarkOff::build() const
{
    QByteArray out = begin(Command, seat);
    put(out, phase);
    return out + Separator;
}

NoScore NoScore::parse(const QByteArray &body)
{
    FieldCursor cursor(body);
    NoScore m;
    m.seat = takePlayerSeat(cursor);
    m.dice = cursor.takeDieList();
    return m;
}

QByteArray NoScore::build() const
{
    QByteArray out = begin(Command, seat);
    fields::putDieList(out, dice);
    return out;
}

Winner Winner::parse(const QByteArray &body)
{
    return {FieldCursor(body).take()};
}

QByteArray Winner::build() const
{
    QByteArray out(Command);
    put(out, names);
    return out + Separator;
}

std::optional<Announcement> parseAnnouncement(const QByteArray &line)
{
    return parseLine<Announcement>(line);
}

QByteArray buildAnnouncement(const Announcement &announcement)
{
    return buildAlternative(announcement);
}

} // namespace protocol
