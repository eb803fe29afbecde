// BoardAccessibility: what a screen reader says for each control of the board.
#pragma once

#include "clientmodel.h"

#include <QString>

class Board;

// Sets the accessible name and description of the dice, the turn buttons, the seats, the
// phrase buttons and the chat from the client's model each time the board is drawn, so a
// screen reader reads the game as it stands. A name changes only when its text does.
class BoardAccessibility
{
public:
    explicit BoardAccessibility(Board &board);

    void render(const ClientModel &model, const ClientState &state);

    // "Die 3 of 10: blue 7, kept"; "Die 3 of 10: not rolled" while it is blank.
    static QString dieText(int position, const TDie &die, bool drawn);
    // "Seat 2: Klot, phase 4, total 135", with ", on turn" and ", just watching" as they apply.
    static QString seatText(int number, const SeatModel &seat, bool onTurn);
    // The phase a seat plays next: the first one without an entry on its sheet; 11 when all
    // ten have one.
    static int nextPhase(const SeatModel &seat);
    // "gold", "blue", "green", "magenta"; empty for colour 0.
    static QString colourName(int colour);

private:
    Board &m_board;
};
