#include "dicetray.h"

#include "board.h"
#include "boardpictures.h"
#include "clientstate.h"
#include "gamerandom.h"
#include "picturebox.h"

DiceTray::DiceTray(Board &board, ClientState &state, QObject *parent)
    : QObject(parent)
    , m_board(board)
    , m_state(state)
{
    dicetimer.setInterval(DiceTimerMs);
    connect(&dicetimer, &QTimer::timeout, this, &DiceTray::dicetimerTimer);
}

void DiceTray::setTickHandler(std::function<void()> handler)
{
    dicetimer.disconnect(this);
    connect(&dicetimer, &QTimer::timeout, this, std::move(handler));
}

void DiceTray::resetDie(int n)
{
    m_board.die(n)->clearPicture();
    setRaised(n, false);
    m_state.dice[n] = TDie{};
}

void DiceTray::drawDie(int n, bool keepFrame)
{
    PictureBox *die = m_board.die(n);
    const TDie &d = m_state.dice[n];
    die->clearPicture();
    setRaised(n, keepFrame);
    if (d.color >= 1 && d.color <= 4)
        die->drawPicture(boardpictures::dieBody(d.color));
    die->drawPicture(boardpictures::dieFace(d.value));
    if (keepFrame)
        die->drawPicture(boardpictures::keepFrame());
}

void DiceTray::setRaised(int n, bool raised)
{
    PictureBox *die = m_board.die(n);
    die->move(die->x(), raised ? Board::DieRaised : Board::DieLying);
}

void DiceTray::raiseAll(bool raised)
{
    for (int n = 1; n <= NumDice; ++n)
        setRaised(n, raised);
}

void DiceTray::sortthem()
{
    auto &order = m_state.diceorder;
    for (int pass = 1; pass <= 9; ++pass) {
        for (int i = 2; i <= NumDice; ++i) {
            if (m_state.dice[order[i]].value < m_state.dice[order[i - 1]].value)
                std::swap(order[i], order[i - 1]);
        }
    }
    placeAll();
}

void DiceTray::placeAll()
{
    for (int i = 1; i <= NumDice; ++i) {
        PictureBox *die = m_board.die(m_state.diceorder[i]);
        die->move(Board::dieLeft(i), die->y());
    }
}

void DiceTray::startShuffle()
{
    dicetimer.start();
}

void DiceTray::stopShuffle()
{
    dicetimer.stop();
}

void DiceTray::dicetimerTimer()
{
    for (int n = 1; n <= NumDice; ++n) {
        PictureBox *die = m_board.die(n);
        die->clearPicture();
        die->drawPicture(boardpictures::dieBody(1 + gameRandomInt(0, 3)));
        die->drawPicture(boardpictures::dieFace(gameRandomInt(0, 9)));
    }
}
