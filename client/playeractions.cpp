#include "playeractions.h"

#include "clientmodel.h"
#include "clientstate.h"
#include "messageboxes.h"
#include "requests.h"

#include <QMenu>

PlayerActions::PlayerActions(ClientModel &model, ClientState &state, MessageBoxes &boxes, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_state(state)
    , m_boxes(boxes)
{
    createSeatMenu();
}

PlayerActions::~PlayerActions()
{
    delete m_popupKick;
}

void PlayerActions::createSeatMenu()
{
    m_popupKick = new QMenu();
    m_popupKick->setObjectName(QStringLiteral("popup_kick"));
    m_removeFromGame = m_popupKick->addAction(QStringLiteral("Remove From Game"));
    m_removeFromGame->setObjectName(QStringLiteral("RemoveFromGame1"));
    m_setToJustWatch = m_popupKick->addAction(QStringLiteral("Set to Just Watch"));
    m_setToJustWatch->setObjectName(QStringLiteral("SettoJustWatch1"));
    m_unsetJustWatch = m_popupKick->addAction(QStringLiteral("Unset Just Watch"));
    m_unsetJustWatch->setObjectName(QStringLiteral("UnsetJustWatch1"));
}

void PlayerActions::dieClicked(int n, Qt::MouseButton button)
{
    if (n < 1 || n > NumDice || !m_model.diceTouchable(m_state))
        return;
    if (button != Qt::LeftButton) {
        m_model.sortDice();
        Q_EMIT modelChanged();
        return;
    }
    TDie &die = m_model.dice[n];
    die.selected = !die.selected;
    // A kept die is redrawn with its frame, raised; a freed one lies down again.
    m_model.dieDrawn[n] = true;
    m_model.dieRaised[n] = die.selected;
    Q_EMIT modelChanged();
    Q_EMIT soundRequested(die.selected ? QStringLiteral("select") : QStringLiteral("unset"));
}

QList<int> PlayerActions::diceWhereSelected(bool selected) const
{
    QList<int> dice;
    for (int n = 1; n <= NumDice; ++n) {
        if (m_model.dice[n].selected == selected)
            dice.append(n);
    }
    return dice;
}

void PlayerActions::handTurnBack()
{
    m_model.currentplayer = 0;
    Q_EMIT modelChanged();
}

void PlayerActions::rollDice()
{
    if (m_model.currentplayer == m_state.myid && m_state.loggedin)
        Q_EMIT requestReady(protocol::RollTheDice{m_state.myid, diceWhereSelected(false)}.build());
    handTurnBack();
}

void PlayerActions::finishTurn()
{
    if (m_model.currentplayer == m_state.myid && m_state.loggedin)
        Q_EMIT requestReady(protocol::AllDone{m_state.myid, diceWhereSelected(true)}.build());
    handTurnBack();
}

void PlayerActions::startGame()
{
    if (!m_state.loggedin) {
        m_boxes.showMessage(QStringLiteral("You are not connected"));
        return;
    }
    protocol::StartGame request;
    request.name = m_state.playername.toUtf8();
    Q_EMIT requestReady(request.build());
    Q_EMIT gameStartRequested();
}

void PlayerActions::openSeatMenu(int seat, const QPoint &pos)
{
    for (QAction *item : {m_removeFromGame, m_setToJustWatch, m_unsetJustWatch})
        item->setEnabled(m_state.amhost);
    if (ClientState::isSeat(seat) && m_model.seats[seat].status == SeatOccupant::Empty)
        m_removeFromGame->setEnabled(false);
    m_menuSeat = seat;
    m_popupKick->setProperty("Tag", seat);
    if (!pos.isNull())
        m_popupKick->popup(pos);
}

void PlayerActions::removeSeatFromGame()
{
    kicking(m_menuSeat);
}

void PlayerActions::kicking(int n)
{
    if (m_state.amhost && m_state.loggedin)
        Q_EMIT requestReady(protocol::KickHim{m_state.myid, n}.build());
}

void PlayerActions::sendJustWatch(int seat, protocol::WatchMode mode)
{
    if (m_state.loggedin && ClientState::isSeat(seat))
        Q_EMIT requestReady(protocol::JustWatch{seat, mode}.build());
}

void PlayerActions::setSeatToJustWatch()
{
    sendJustWatch(m_menuSeat, protocol::WatchMode::ComputerPlays);
}

void PlayerActions::unsetSeatJustWatch()
{
    sendJustWatch(m_menuSeat, protocol::WatchMode::PlayerPlays);
}

void PlayerActions::toggleJustWatch()
{
    if (ClientState::isSeat(m_state.myid))
        sendJustWatch(m_state.myid, m_model.justWatching ? protocol::WatchMode::PlayerPlays
                                                         : protocol::WatchMode::ComputerPlays);
}
