#include "dicetray.h"

#include "board.h"
#include "boardpictures.h"
#include "clientmodel.h"
#include "gamerandom.h"
#include "picturebox.h"

namespace {

QStringList dieLayers(const ClientModel &model, int n, bool symbols)
{
    if (!model.dieDrawn[n])
        return {};
    const TDie &d = model.dice[n];
    QStringList layers;
    if (d.color >= 1 && d.color <= 4)
        layers << boardpictures::dieBody(d.color);
    if (symbols && d.color >= 1 && d.color <= 4)
        layers << boardpictures::dieSymbol(d.color);
    layers << boardpictures::dieFace(d.value);
    if (d.selected)
        layers << boardpictures::keepFrame();
    return layers;
}

} // namespace

DiceTray::DiceTray(Board &board, QObject *parent)
    : QObject(parent)
    , m_board(board)
{
    dicetimer.setInterval(DiceTimerMs);
    connect(&dicetimer, &QTimer::timeout, this, &DiceTray::dicetimerTimer);
}

void DiceTray::setTickHandler(std::function<void()> handler)
{
    dicetimer.disconnect(this);
    connect(&dicetimer, &QTimer::timeout, this, std::move(handler));
}

void DiceTray::render(const ClientModel &model)
{
    // While the animation runs it owns the pictures; a starting shuffle first shows the
    // model's (blank) dice until its first frame.
    const bool animating = model.shuffling() && dicetimer.isActive();
    for (int i = 1; i <= NumDice; ++i) {
        const int n = model.diceorder[i];
        PictureBox *die = m_board.die(n);
        if (!animating)
            die->setLayers(dieLayers(model, n, m_board.colourSymbols()));
        m_board.placeDie(n, i, model.dieRaised[n]);
    }
    if (model.shuffling() && !dicetimer.isActive())
        dicetimer.start();
    else if (!model.shuffling())
        dicetimer.stop();
}

void DiceTray::dicetimerTimer()
{
    for (int n = 1; n <= NumDice; ++n) {
        PictureBox *die = m_board.die(n);
        die->clearPicture();
        const int color = 1 + gameRandomInt(0, 3);
        die->drawPicture(boardpictures::dieBody(color));
        if (m_board.colourSymbols())
            die->drawPicture(boardpictures::dieSymbol(color));
        die->drawPicture(boardpictures::dieFace(gameRandomInt(0, 9)));
    }
}
