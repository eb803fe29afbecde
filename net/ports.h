// The TCP ports the game uses.
#pragma once

#include <QtGlobal>

namespace ports {

// The game host listens here; clients connect here unless an address names another port.
inline constexpr quint16 Game = 7772;
// The local lobby program's port (told to the lobby when a game closes).
inline constexpr quint16 Lobby = 9001;

} // namespace ports
