#include "chatform.h"

#include "board.h"
#include "boardpictures.h"
#include "chatinput.h"
#include "chatview.h"
#include "clientconnection.h"
#include "clientgame.h"
#include "clientoptions.h"
#include "clientsettings.h"
#include "colorchooser.h"
#include "dicetray.h"
#include "errorguard.h"
#include "gamedefaults.h"
#include "gamesounds.h"
#include "mainmenu.h"
#include "namedmutex.h"
#include "pendingjoin.h"
#include "picturebutton.h"
#include "playeractions.h"
#include "programfolder.h"
#include "qtmessageboxes.h"
#include "serverform.h"
#include "sessionswitcher.h"
#include "shellopen.h"
#include "soundplayer.h"
#include "windowplace.h"
#include "woodbackground.h"
#include "workarea.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTextBrowser>

Tchat::Tchat(TchatOptions options, QWidget *parent)
    : QMainWindow(parent)
    , m_options(std::move(options))
{
    if (m_options.boxes) {
        m_boxes = m_options.boxes;
    } else {
        m_ownBoxes = std::make_unique<QtMessageBoxes>(this);
        m_boxes = m_ownBoxes.get();
    }
    setObjectName(QStringLiteral("Tchat"));
    setWindowTitle(QStringLiteral("Dorvane"));
    m_background = new WoodBackground(this);
    setCentralWidget(m_background);
    m_place = std::make_unique<WindowPlace>(*this);
    m_menu = new MainMenu(*this);
    m_tray = new DiceTray(board(), this);
    m_game = new ClientGame(m_model, m_state, this);
    m_actions = new PlayerActions(m_model, m_state, *m_boxes, this);
    m_connection = new ClientConnection(*m_boxes, this);
    createChat();
    const QString ini = m_options.settingsPath.isEmpty()
                            ? programFolder() + QLatin1String(gamedefaults::SettingsFileName)
                            : m_options.settingsPath;
    m_settings = std::make_unique<ClientSettings>(ini);
    wireBoard();
    wireMenu();
    wireGame();
    wireChat();
    wireOptions();
    m_sessions = new SessionSwitcher(*this, *m_menu, *m_settings);
    FormCreate();
}

Tchat::~Tchat() = default;

Board &Tchat::board() const
{
    return *m_background->board();
}

void Tchat::guard(const std::function<void()> &f)
{
    guarded(*m_boxes, f);
}

void Tchat::FormCreate()
{
    m_mutex = std::make_unique<NamedMutex>(m_options.mutexName);
    m_place->applySize(gamedefaults::MainWindowPlace.size());
    m_game->clearall();
    m_state.amhost = false;
    m_model.currentplayer = 0;
    m_model.statusLine.clear();
    renderBoard();
}

void Tchat::renderBoard()
{
    board().render(m_model, m_model.turnButtons(m_state));
    m_tray->render(m_model);
}

void Tchat::wireBoard()
{
    Board &b = board();
    connect(&b, &Board::dieReleased, this,
            [this](int n, Qt::MouseButton button) { guard([&] { m_actions->dieClicked(n, button); }); });
    connect(&b, &Board::seatMenuRequested, this,
            [this](int seat, const QPoint &pos) { guard([&] { m_actions->openSeatMenu(seat, pos); }); });
    connect(b.button_roll, &QAbstractButton::clicked, this, [this] { guard([this] { m_actions->rollDice(); }); });
    connect(b.button_alldone, &QAbstractButton::clicked, this,
            [this] { guard([this] { m_actions->finishTurn(); }); });
    connect(b.button_start, &QAbstractButton::clicked, this,
            [this] { guard([this] { m_actions->startGame(); }); });
    m_tray->setTickHandler([this] { guard([this] { m_tray->dicetimerTimer(); }); });
}

void Tchat::wireMenu()
{
    connect(m_menu->StartGame1, &QAction::triggered, this, [this] { guard([this] { m_actions->startGame(); }); });
    connect(m_menu->Exit1, &QAction::triggered, this, &QWidget::close);
    connect(m_menu->JustWatch1, &QAction::triggered, this, [this] {
        m_menu->JustWatch1->setChecked(m_model.justWatching); // follows the host's answer only
        guard([this] { m_actions->toggleJustWatch(); });
    });
    for (QAction *speed : {m_menu->Slow1, m_menu->Normal1, m_menu->Fast1}) {
        connect(speed, &QAction::triggered, this,
                [this, speed] { guard([this, speed] { chooseBotSpeed(speed->data().toInt()); }); });
    }
    QMenu *popup = m_actions->popup_kick();
    const auto popupItem = [popup](const char *name) {
        return popup->findChild<QAction *>(QString::fromLatin1(name));
    };
    connect(popupItem("RemoveFromGame1"), &QAction::triggered, this,
            [this] { guard([this] { m_actions->removeSeatFromGame(); }); });
    connect(popupItem("SettoJustWatch1"), &QAction::triggered, this,
            [this] { guard([this] { m_actions->setSeatToJustWatch(); }); });
    connect(popupItem("UnsetJustWatch1"), &QAction::triggered, this,
            [this] { guard([this] { m_actions->unsetSeatJustWatch(); }); });
}

void Tchat::wireConnection()
{
    m_connection->setPort(m_options.port);
    m_connection->setLobbyPort(m_options.lobbyPort);
    m_connection->setDispatcher([this](const QByteArray &line) { m_game->processline(line); });
    // The host left, hosts anew or removed this player: the client cannot tell which.
    connect(m_connection, &ClientConnection::socketClosed, this, [this] {
        connectionEnded(QStringLiteral("The connection to the host has ended, so the game is over for you."));
    });
    connect(m_connection, &ClientConnection::connectionLost, this,
            [this] { connectionEnded(QStringLiteral("Connection to the host was lost.")); });
    connect(m_connection, &ClientConnection::connectFailed, this,
            [this] { connectionEnded(QStringLiteral("Could not connect to the host.")); });
}

void Tchat::connectionEnded(const QString &why)
{
    if (m_connectionEnded || m_closed)
        return;
    m_connectionEnded = true;
    m_state.loggedin = false; // requests are refused here from now on
    m_state.amhost = false;
    m_state.myid = 0;
    m_menu->StartGame1->setEnabled(false);
    renderBoard();
    addlinetochat(QStringLiteral("0+") + why, statuscolor);
    addlinetochat(QStringLiteral("0+Host a game, join one or play solo from the File menu."), statuscolor);
}

void Tchat::wireGame()
{
    wireConnection();
    connect(m_game, &ClientGame::requestReady, this, &Tchat::send);
    connect(m_actions, &PlayerActions::requestReady, this, &Tchat::send);
    connect(m_game, &ClientGame::modelChanged, this, &Tchat::renderBoard);
    connect(m_actions, &PlayerActions::modelChanged, this, &Tchat::renderBoard);
    connect(m_game, &ClientGame::chatLine, this, &Tchat::addlinetochat);
    connect(m_game, &ClientGame::soundRequested, this, &Tchat::playsounds);
    connect(m_actions, &PlayerActions::soundRequested, this, &Tchat::playsounds);
    connect(m_game, &ClientGame::ownArrival, this, &Tchat::loadinifile);
    connect(m_actions, &PlayerActions::gameStartRequested, this, &Tchat::saveinifile);
    connect(m_game, &ClientGame::justWatchChanged, m_menu->JustWatch1, &QAction::setChecked);
    connect(m_game, &ClientGame::gameFull, this, [this] {
        // The host hangs up at once; its close adds nothing to this.
        connectionEnded(QStringLiteral("Game is full. The host has no free place for you."));
    });
    connect(m_game, &ClientGame::spyArrived, this, &Tchat::spyArrived);
    connect(m_game, &ClientGame::spyLeft, this, &Tchat::spyLeft);
    connect(m_game, &ClientGame::tallyGame, this, [this](const QString &text) {
        if (m_tallyHook)
            m_tallyHook(text);
    });
}

void Tchat::send(const QByteArray &message)
{
    m_connection->send(message);
}

void Tchat::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true; // FormShow: the command line is read once
    guard([this] { processparams(); });
    // Reports raised so far (a busy port, a damaged tally file) come out now, above this window.
    if (m_ownBoxes)
        m_ownBoxes->windowShown();
}

void Tchat::closeEvent(QCloseEvent *event)
{
    if (m_closed) // closing twice (the host hung up after File > Exit) ends nothing new
        return;
    m_closed = true;
    guard([this] { m_clientOptions->storeWindowPlace(); });
    QMainWindow::closeEvent(event);
    Q_EMIT closed();
}

void Tchat::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    guard([this] { m_place->keepMinimum(); });
}

void Tchat::processparams()
{
    renderBoard();
    m_menu->StartGame1->setEnabled(false);
    m_solo = m_parameters.isEmpty();
    if (m_solo) {
        addlinetochat(QStringLiteral("0+Loading Solo Game..Please Wait."), statuscolor);
        if (m_showDownload)
            m_showDownload();
        m_state.hostaddress = QStringLiteral("127.0.0.1");
        m_state.playername = QStringLiteral("You");
        hostpress();
        return;
    }
    addlinetochat(QStringLiteral("0+Loading Multi-player Game.. Please Wait."), statuscolor);
    if (m_parameters.size() < 3)
        return;
    m_state.playername = m_parameters.at(0);
    m_state.hostaddress = m_parameters.at(1);
    if (m_parameters.at(2) == QLatin1String("true"))
        hostpress();
    else
        joinpress();
    m_connection->openLobbyLink();
}

void Tchat::hostpress()
{
    quint16 port = m_options.port;
    if (m_server) {
        // Nobody else may sit down in a solo game, and another program on the game port must
        // not stop it; a hosted game is open to every address on the game port.
        m_server->setListenAddress(m_solo ? QStringLiteral("127.0.0.1") : QString());
        m_server->setPortName(m_solo ? QStringLiteral("0") : QString::number(m_options.port));
        m_server->startListening();
        port = m_server->listeningPort();
    }
    m_state.amhost = true;
    m_connection->open(QStringLiteral("127.0.0.1"), port);
    renderBoard();
    m_menu->StartGame1->setEnabled(true);
    Q_EMIT hostingStarted();
}

void Tchat::joinpress()
{
    const auto [host, port] = PendingJoin::endpoint(m_state.hostaddress, m_options.port);
    m_connection->open(host, port);
    renderBoard();
    m_menu->StartGame1->setEnabled(false);
}

void Tchat::leaveGame(ClientConnection *next)
{
    saveinifile();
    // The old connection goes silently: the player asked for its end.
    ClientConnection *old = m_connection;
    disconnect(old, nullptr, this, nullptr);
    old->setDispatcher({});
    m_connection = next ? next : new ClientConnection(*m_boxes, this);
    m_connection->setParent(this);
    m_connectionEnded = false;
    wireConnection();
    delete old;
    m_model = m_model.afterLeaving();
    m_state = ClientState{};
    renderBoard();
    m_menu->JustWatch1->setChecked(false);
    m_menu->StartGame1->setEnabled(false);
    Q_EMIT gameLeft();
}

void Tchat::takeSeat(const QString &name, const QString &address, const QByteArray &offer)
{
    m_parameters = {name, address, QStringLiteral("false")};
    m_solo = false;
    m_state.playername = name;
    m_state.hostaddress = address;
    addlinetochat(QStringLiteral("0+Loading Multi-player Game.. Please Wait."), statuscolor);
    m_menu->StartGame1->setEnabled(false);
    m_connection->openLobbyLink();
    guard([&] { m_game->processline(offer); });
    renderBoard();
}

void Tchat::addlinetochat(const QString &line, const QColor &color)
{
    m_chatView->addlinetochat(line, color);
}

void Tchat::playsounds(const QString &name)
{
    m_sounds->playsounds(name);
}

void Tchat::loadinifile()
{
    m_clientOptions->loadinifile();
}

void Tchat::saveinifile()
{
    m_clientOptions->saveinifile();
}

void Tchat::chooseBotSpeed(int ms)
{
    m_clientOptions->chooseBotSpeed(ms);
}

void Tchat::createChat()
{
    if (!m_options.soundPlayer)
        m_ownSoundPlayer = std::make_unique<DesktopSoundPlayer>();
    if (!m_options.shell)
        m_ownShell = std::make_unique<DesktopShellOpen>();
    if (!m_options.workArea)
        m_ownWorkArea = std::make_unique<ScreenWorkArea>();
    if (!m_options.colors)
        m_ownColors = std::make_unique<QtColorChooser>();
    SoundPlayer &player = m_options.soundPlayer ? *m_options.soundPlayer : *m_ownSoundPlayer;
    ShellOpen &shell = m_options.shell ? *m_options.shell : *m_ownShell;
    m_sounds = std::make_unique<GameSounds>(player);
    m_chatView = new ChatView(*board().mainchat, shell, *m_boxes, this);
    m_chatInput = new ChatInput(board(), m_model, m_state, this);
}

void Tchat::wireChat()
{
    connect(m_chatInput, &ChatInput::requestReady, this, &Tchat::send);
    connect(m_chatInput, &ChatInput::chatLine, this, &Tchat::addlinetochat);
    connect(m_chatInput, &ChatInput::chatterSound, this,
            [this](const QString &name) { m_sounds->playChatter(name); });
    m_sounds->setSilenceNotice(
        [this](const QString &why) { addlinetochat(QStringLiteral("0+") + why, statuscolor); });
    connect(m_game, &ClientGame::chatterSoundReceived, this, [this](const QByteArray &body) {
        guard([&] { m_chatInput->playasound(body, m_sounds->chatterEnabled); });
    });
    // The two "Scroll Chat Off" items always show the same mark.
    connect(m_menu->ScrollChatOff1, &QAction::triggered, this,
            [this] { m_chatView->setScrollOff(!m_chatView->scrollOff()); });
    connect(m_chatView, &ChatView::scrollOffChanged, m_menu->ScrollChatOff1, &QAction::setChecked);
    const auto focusInput = [this] { board().mychat->setFocus(); };
    connect(m_menu->ClearMainChat1, &QAction::triggered, this, [this, focusInput] {
        m_chatView->clearChat();
        focusInput();
    });
    connect(m_chatView, &ChatView::cleared, this, focusInput);
}

void Tchat::wireOptions()
{
    DesktopWorkArea &area = m_options.workArea ? *m_options.workArea : *m_ownWorkArea;
    ColorChooser &colors = m_options.colors ? *m_options.colors : *m_ownColors;
    m_clientOptions = new ClientOptions({*this, *m_place, *m_menu, *m_chatView, *m_chatInput, *m_sounds, *m_game,
                                         m_state, *m_settings, area, colors},
                                        this);
    connect(m_clientOptions, &ClientOptions::requestReady, this, &Tchat::send);
}

void Tchat::bringToFront()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}
