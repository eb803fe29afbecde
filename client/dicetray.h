// DiceTray: how the ten dice are drawn, placed, sorted and shuffled on the board.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

class Board;
struct ClientState;

// Draws each die from the picture layers (body 10 + colour, face = value, keep frame),
// places die diceorder[i] at left edge 11 + 56 * i, lying at y 15 or raised to y 5, and
// runs the 500 ms shuffle animation (dicetimer) while a turn waits for its first roll.
class DiceTray : public QObject
{
    Q_OBJECT
public:
    static constexpr int DiceTimerMs = 500;

    DiceTray(Board &board, ClientState &state, QObject *parent = nullptr);

    // Clears the picture, lies the die down and forgets its value, colour and selection.
    void resetDie(int n);
    // Clears the picture, lies the die down, draws body and face (and the keep frame).
    void drawDie(int n, bool keepFrame = false);
    void setRaised(int n, bool raised);
    void raiseAll(bool raised);
    // Stable bubble sort of the display order by value, then every die to its new place.
    void sortthem();
    void placeAll();

    void startShuffle();
    void stopShuffle();
    bool shuffling() const { return dicetimer.isActive(); }
    void dicetimerTimer();

    // Called for every tick of the animation; the owner wraps it in its error guard.
    void setTickHandler(std::function<void()> handler);

private:
    Board &m_board;
    ClientState &m_state;
    QTimer dicetimer;
};
