// Sizes every peer agrees on, so the host never builds a message its clients refuse.
#pragma once

#include <QtGlobal>

namespace limits {

// The longest message (without its terminator) a peer accepts; a connection whose
// unfinished message grows past it is closed.
inline constexpr qsizetype MaxMessageBytes = 64 * 1024;

// The longest log-in name (UTF-8 bytes) the host seats. Names are repeated in many later
// messages (player lists, chat relays, the winner line), so they stay short.
inline constexpr qsizetype MaxNameBytes = 64;

// The longest line the chat box takes, in characters. Its relay with any accepted name
// stays far below MaxMessageBytes.
inline constexpr int MaxChatChars = 2000;

} // namespace limits
