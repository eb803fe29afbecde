// BoardKeys: the board played from the keyboard — the turn keys, the dice keys and the
// order in which Tab walks through the board's controls.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

#include <functional>

class Board;
class PictureBox;
class QAbstractButton;
class QWidget;

// Every key does what a click on its control does, through the same path: it clicks the
// button or releases a mouse button over the die, so the actions behind them decide as for
// the mouse. The keys work anywhere in the window, the chat line included, and win over the
// chat line's own editing keys:
//   Ctrl+N   START GAME, while it is shown
//   Ctrl+R   ROLL DICE (Roll Again), while it is shown
//   Ctrl+D   ALL DONE, while it is shown
//   Alt+1 ... Alt+9, Alt+0   the 1st ... 10th die from the left, as a left click
//   Alt+S    sorts the dice, as a right click on a die
// Space or Enter activates the focused button or die; a FocusMark outlines it.
class BoardKeys : public QObject
{
    Q_OBJECT
public:
    BoardKeys(QWidget &window, Board &board);

    // The dice take the focus while they can be clicked (the leftmost gets it when they come,
    // unless the chat line has it); the Tab order follows their places.
    void render(bool diceClickable);

    // The ten dice from left to right, as they stand on the board now.
    QList<PictureBox *> diceOnScreen() const;
    // The controls Tab walks through, in order (whether or not they take the focus now).
    QList<QWidget *> tabChain() const;

    // The keys above, for the Help page and the tests.
    static QList<QKeySequence> keys();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addKey(const QKeySequence &key, std::function<void()> act);
    // Clicks the button when it is shown and enabled.
    void press(QAbstractButton *button);
    // The die at that place from the left (1 to 10) gets the mouse button's release.
    void releaseOnDie(int position, Qt::MouseButton button);

    QWidget &m_window;
    Board &m_board;
    bool m_diceClickable = false;
};
