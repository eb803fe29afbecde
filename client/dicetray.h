// DiceTray: how the ten dice are drawn, placed and shuffled on the board.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

class Board;
struct ClientModel;

// Draws each die the model shows from the picture layers (body 10 + colour, the colour's
// symbol while the board shows colour symbols, face = value, keep frame while selected), places die diceorder[i] at left edge 11 + 56 * i, lying at
// y 15 or raised to y 5, and runs the 500 ms shuffle animation (dicetimer) while the
// model's turn waits for its first roll; the animation's pictures stand until it stops.
class DiceTray : public QObject
{
    Q_OBJECT
public:
    static constexpr int DiceTimerMs = 500;

    explicit DiceTray(Board &board, QObject *parent = nullptr);

    void render(const ClientModel &model);

    bool shuffling() const { return dicetimer.isActive(); }
    // One frame of the animation: every die gets a random body and face.
    void dicetimerTimer();

    // Called for every tick of the animation; the owner wraps it in its error guard.
    void setTickHandler(std::function<void()> handler);

private:
    Board &m_board;
    QTimer dicetimer;
};
