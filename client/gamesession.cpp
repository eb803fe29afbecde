#include "gamesession.h"

#include "board.h"
#include "chatinput.h"
#include "chatview.h"
#include "clientconnection.h"
#include "clientgame.h"
#include "errorguard.h"
#include "gamesounds.h"
#include "playeractions.h"

#include <QTextBrowser>

GameSession::GameSession(Parts parts, QObject *parent)
    : QObject(parent)
    , m_boxes(parts.boxes)
    , m_game(new ClientGame(m_model, m_state, this))
    , m_actions(new PlayerActions(m_model, m_state, parts.boxes, this))
    , m_connection(new ClientConnection(parts.boxes, this))
    , m_sounds(std::make_unique<GameSounds>(parts.soundPlayer))
    , m_chatView(new ChatView(*parts.board.mainchat, parts.shell, parts.boxes, this))
    , m_chatInput(new ChatInput(parts.board, m_model, m_state, this))
{
    wire();
}

GameSession::~GameSession() = default;

void GameSession::wire()
{
    connect(m_game, &ClientGame::requestReady, this, &GameSession::send);
    connect(m_actions, &PlayerActions::requestReady, this, &GameSession::send);
    connect(m_chatInput, &ChatInput::requestReady, this, &GameSession::send);
    connect(m_game, &ClientGame::chatLine, m_chatView, &ChatView::addLine);
    connect(m_chatInput, &ChatInput::statusLine, m_chatView, &ChatView::addStatus);
    connect(m_game, &ClientGame::soundRequested, this,
            [this](const QString &name) { m_sounds->playsounds(name); });
    connect(m_actions, &PlayerActions::soundRequested, this,
            [this](const QString &name) { m_sounds->playsounds(name); });
    connect(m_chatInput, &ChatInput::chatterSound, this,
            [this](const ChatterSound &sound) { m_sounds->playChatter(sound); });
    connect(m_game, &ClientGame::chatterSoundReceived, this, [this](const ChatterSound &sound) {
        guarded(m_boxes, [&] { m_chatInput->playasound(sound, m_sounds->chatterEnabled); });
    });
}

void GameSession::send(const QByteArray &message)
{
    m_connection->send(message);
}

ClientConnection &GameSession::replaceConnection(ClientConnection *next)
{
    ClientConnection *old = m_connection;
    disconnect(old, nullptr, nullptr, nullptr);
    old->setDispatcher({});
    m_connection = next ? next : new ClientConnection(m_boxes, this);
    m_connection->setParent(this);
    delete old;
    m_model = m_model.afterLeaving();
    m_state = ClientState{};
    return *m_connection;
}
