// PlayerActions: what a person at the board does — dice, Roll Again, All Done, Start, seat menu.
#pragma once

#include "messagefields.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class MessageBoxes;
class QAction;
class QMenu;
class QPoint;
struct ClientModel;
struct ClientState;

// Each action changes only the local model (modelChanged follows) or emits one request for
// the host; the host's answer comes back through ClientGame.
class PlayerActions : public QObject
{
    Q_OBJECT
public:
    PlayerActions(ClientModel &model, ClientState &state, MessageBoxes &boxes, QObject *parent = nullptr);
    ~PlayerActions() override;

    // Left button keeps or frees die n (1 to 10); any other button sorts the dice.
    void dieClicked(int n, Qt::MouseButton button);
    void rollDice();
    // ALL DONE: offers the kept dice to the host as the turn's result.
    void finishTurn();
    void startGame();
    // Prepares the seat menu popup_kick for seat 1 to 4 and opens it at pos.
    void openSeatMenu(int seat, const QPoint &pos);
    void removeSeatFromGame();
    void setSeatToJustWatch();
    void unsetSeatJustWatch();
    void toggleJustWatch();
    // Asks the host to remove connection n (hosting player only).
    void kicking(int n);

    QMenu *popup_kick() const { return m_popupKick; }

Q_SIGNALS:
    // Emitted when an action changed the model.
    void modelChanged();
    // Emitted with a request for the host (without its terminator).
    void requestReady(const QByteArray &message);
    // Emitted with the name of a game sound to play.
    void soundRequested(const QString &name);
    // Emitted after a start request was sent (the settings are saved then).
    void gameStartRequested();

private:
    void createSeatMenu();
    void sendJustWatch(int seat, protocol::WatchMode mode);
    // Dice 1 to 10 whose selection is as given, in order.
    QList<int> diceWhereSelected(bool selected) const;
    // The turn goes back to the host: no more dice touching, the turn buttons go.
    void handTurnBack();

    ClientModel &m_model;
    ClientState &m_state;
    MessageBoxes &m_boxes;
    QMenu *m_popupKick = nullptr;
    QAction *m_removeFromGame = nullptr;
    QAction *m_setToJustWatch = nullptr;
    QAction *m_unsetJustWatch = nullptr;
    int m_menuSeat = 0; // the seat whose name label opened popup_kick
};
