// seatnames: the names the host seats, each one distinct from the others at the table.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

struct HostState;

namespace seatnames {

// What a name reads as, for comparing two names: decoded from UTF-8, compatibility-
// normalised, case-folded, without invisible characters (format characters such as the
// zero-width ones and direction controls, variation selectors, fillers) and without blanks
// at either end. Two names with the same key look alike on the board and in the chat.
QString comparisonKey(const QByteArray &name);

// The name to seat for a player who asked for wanted while the names inUse are taken: wanted
// itself when no name in use reads the same, else wanted followed by " (2)", " (3)", ...
// (the first that is free), with wanted shortened at a character boundary so that the
// result stays within limits::MaxNameBytes. A name that reads as nothing is never changed.
// The bytes of wanted are kept as they came; only the comparison decodes them.
QByteArray unique(const QByteArray &wanted, const QList<QByteArray> &inUse);

// The names a log-in in entry must not take: every other logged-in entry's, and the
// computer player's and the other stand-ins for departed players.
QList<QByteArray> inUse(const HostState &state, int entry);

} // namespace seatnames
