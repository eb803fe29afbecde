// The player-name rule of the join and host windows: the names the host seats.
#pragma once

#include <QString>

namespace playername {

// The name as it is sent: the typed text without spaces at its ends.
QString cleaned(const QString &typed);

// Why the host would refuse the cleaned name, as a sentence for the player; empty when the
// name is fine. The host refuses names longer than limits::MaxNameBytes UTF-8 bytes; names
// without any letter, and control characters, never reach it from our windows.
QString problem(const QString &typed);

} // namespace playername
