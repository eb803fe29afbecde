// Sizes every peer agrees on, so the host never builds a message its clients refuse.
#pragma once

#include <QByteArray>
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

// The most UTF-8 bytes MaxChatChars characters take (four per character at most), and the
// longest colour text a client writes after the text's "|": the host relays no chat or
// action payload longer than both together, without decoding it.
inline constexpr qsizetype MaxChatTextBytes = 4 * MaxChatChars;
inline constexpr qsizetype MaxColorTextBytes = 16;
inline constexpr qsizetype MaxChatPayloadBytes = MaxChatTextBytes + 1 + MaxColorTextBytes;

// The longest chatter sound name ("wave1" to "wave20"); the host relays no longer one.
inline constexpr qsizetype MaxSoundNameBytes = 6;

// True when the host seats a player who logs in with this name: at most MaxNameBytes bytes
// (an empty name is allowed; the seat's stand-in name is shown for it). Clients check a
// name with it before they log in.
inline bool acceptableName(const QByteArray &name)
{
    return name.size() <= MaxNameBytes;
}

} // namespace limits
