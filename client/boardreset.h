// Puts the board back to how a new main window shows it, before a game is joined.
#pragma once

class Board;
class DiceTray;

namespace boardreset {

// Names back to "<Waiting>", no turn marker, winner, phase line, status or buttons, round 0,
// the phase list plain, every die reset and its shuffle stopped. Scores are the client
// game's clearall.
void resetBoard(Board &board, DiceTray &tray);

} // namespace boardreset
