// Field kinds shared by the typed messages (requests.h, announcements.h): die faces,
// score-sheet entries, the two small enums, and the readers and writers every message
// type uses. Only the message types call the readers and writers.
#pragma once

#include "protocol.h"

#include <QByteArray>
#include <QList>

namespace protocol {

// One die as the host shows it: die number 1 to 10, value 0 to 10 (0 is a wild), colour 1 to 4.
struct DieFace
{
    int die = 0;
    int value = 0;
    int color = 0;
    bool operator==(const DieFace &) const = default;
};

// One filled score-sheet slot: seat 1 to 4, slot 1 to 12 (11 and 12 are the bonuses), points.
struct SheetEntry
{
    int seat = 0;
    int slot = 0;
    int points = 0;
    bool operator==(const SheetEntry &) const = default;
};

// Who plays a seat: "1" on the wire lets the computer play it, "2" gives it back to its player.
enum class WatchMode { ComputerPlays = 1, PlayerPlays = 2 };

// What a completed phase earned besides its points: nothing, the phase-5 bonus check, or
// the bonus for going out first ("none", "bonus", "goneout" on the wire).
enum class ScoreKind { Plain, Bonus, GoneOut };

namespace fields {

// A number field within lo..hi; what names it in the error.
int takeRanged(FieldCursor &cursor, int lo, int hi, const char *what);

// A die list of a request: "none" is empty; dice 1 to 10, none twice. Reads to the end.
QList<int> takeRequestDice(QByteArrayView rest);

// Dice triples to the end of the message: "none" is empty; otherwise complete triples of
// die 1 to 10, value 0 to 10, colour 1 to 4.
QList<DieFace> takeDieFaces(FieldCursor &cursor);

// Score-sheet triples to the end of the message: seat 1 to 4, slot 1 to 12, any points.
// At least one triple.
QList<SheetEntry> takeSheetEntries(FieldCursor &cursor);

QByteArray watchModeText(WatchMode mode);
ScoreKind scoreKind(const QByteArray &text);
QByteArray scoreKindText(ScoreKind kind);

// Writers: each appends "+" and the field.
void put(QByteArray &out, int value);
void put(QByteArray &out, const QByteArray &text);
// "+" die for each die, or "+none" for an empty list.
void putDieList(QByteArray &out, const QList<int> &dice);
// "+" die "+" value "+" colour for each face, or "+none" for an empty list.
void putDieFaces(QByteArray &out, const QList<DieFace> &faces);

} // namespace fields

} // namespace protocol
