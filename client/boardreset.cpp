#include "boardreset.h"

#include "board.h"
#include "boardpictures.h"
#include "dicetray.h"
#include "picturebox.h"
#include "picturebutton.h"

#include <QLabel>

namespace boardreset {

void resetBoard(Board &board, DiceTray &tray)
{
    tray.stopShuffle();
    for (int s = 1; s <= Board::NumSeats; ++s) {
        board.playerName(s)->setText(QStringLiteral("<Waiting>"));
        board.eyes(s)->hide();
    }
    for (QWidget *hidden : std::initializer_list<QWidget *>{board.image_winner, board.label_winner, board.image_Turn,
                                                            board.button_roll, board.button_alldone,
                                                            board.button_start})
        hidden->hide();
    board.label_winner->clear();
    board.label_phase->clear();
    board.label_status->clear();
    board.setRound(0);
    board.image_rolls->setPicture(boardpictures::rolls(3));
    board.image_example->setPicture(boardpictures::example(0));
    for (int p = 1; p <= 10; ++p)
        board.setPhaseStyle(p, Board::PhaseStyle::Plain);
}

} // namespace boardreset
