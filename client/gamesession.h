// GameSession: one game as this copy plays it — the connection, the message handling, the
// player's actions, the chat and the sounds, over the model and the connection's state.
#pragma once

#include "clientmodel.h"
#include "clientstate.h"

#include <QObject>
#include <memory>

class Board;
class ChatInput;
class ChatView;
class ClientConnection;
class ClientGame;
class GameSounds;
class MessageBoxes;
class PlayerActions;
class ShellOpen;
class SoundPlayer;

// Owned by the main window, which draws the board from model() and hands each part to the
// windows that use it. Requests of every part go out through the current connection; chat
// lines and sounds go to the chat view and the sounds.
class GameSession : public QObject
{
    Q_OBJECT
public:
    struct Parts
    {
        Board &board;
        MessageBoxes &boxes;
        SoundPlayer &soundPlayer;
        ShellOpen &shell;
    };

    explicit GameSession(Parts parts, QObject *parent = nullptr);
    ~GameSession() override;

    ClientState &state() { return m_state; }
    const ClientState &state() const { return m_state; }
    ClientModel &model() { return m_model; }
    const ClientModel &model() const { return m_model; }
    ClientConnection &connection() const { return *m_connection; }
    ClientGame &game() const { return *m_game; }
    PlayerActions &actions() const { return *m_actions; }
    ChatInput &chatInput() const { return *m_chatInput; }
    ChatView &chatView() const { return *m_chatView; }
    GameSounds &sounds() const { return *m_sounds; }
    MessageBoxes &boxes() const { return m_boxes; }

    // Sends one request to the host (without its terminator).
    void send(const QByteArray &message);
    // Drops the current connection silently (the player asked for its end) and takes next,
    // or a new one; the caller wires it. The model and state go back to a left game.
    ClientConnection &replaceConnection(ClientConnection *next);

private:
    void wire();

    MessageBoxes &m_boxes;
    ClientState m_state;
    ClientModel m_model;
    // Made in this order.
    ClientGame *m_game = nullptr;
    PlayerActions *m_actions = nullptr;
    ClientConnection *m_connection = nullptr;
    std::unique_ptr<GameSounds> m_sounds;
    ChatView *m_chatView = nullptr;
    ChatInput *m_chatInput = nullptr;
};
