#include "chatform.h"

#include "board.h"
#include "boardaccessibility.h"
#include "boardkeys.h"
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
#include "gamesession.h"
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
    m_keys = new BoardKeys(*this, board());
    m_accessibility = std::make_unique<BoardAccessibility>(board());
    createSession();
    const QString ini = m_options.settingsPath.isEmpty()
                            ? programFolder() + QLatin1String(gamedefaults::SettingsFileName)
                            : m_options.settingsPath;
    m_settings = std::make_unique<ClientSettings>(ini);
    wireBoard();
    wireMenu();
    wireGame();
    wireChat();
    wireOptions();
    m_sessions = new SessionSwitcher({*this, *m_menu, *m_session, *m_clientOptions, *m_settings, *m_boxes});
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
    m_session->game().clearall();
    m_session->state().amhost = false;
    m_session->model().currentplayer = 0;
    m_session->model().statusLine.clear();
    renderBoard();
}

void Tchat::renderBoard()
{
    const ClientModel &model = m_session->model();
    board().render(model, model.turnButtons(m_session->state()));
    m_tray->render(model);
    m_keys->render(model.diceTouchable(m_session->state()));
    m_accessibility->render(model, m_session->state());
}

void Tchat::wireBoard()
{
    Board &b = board();
    PlayerActions *actions = &m_session->actions();
    connect(&b, &Board::dieReleased, this,
            [this, actions](int n, Qt::MouseButton button) { guard([&] { actions->dieClicked(n, button); }); });
    connect(&b, &Board::seatMenuRequested, this,
            [this, actions](int seat, const QPoint &pos) { guard([&] { actions->openSeatMenu(seat, pos); }); });
    connect(b.button_roll, &QAbstractButton::clicked, this,
            [this, actions] { guard([actions] { actions->rollDice(); }); });
    connect(b.button_alldone, &QAbstractButton::clicked, this,
            [this, actions] { guard([actions] { actions->finishTurn(); }); });
    connect(b.button_start, &QAbstractButton::clicked, this,
            [this, actions] { guard([actions] { actions->startGame(); }); });
    m_tray->setTickHandler([this] { guard([this] { m_tray->dicetimerTimer(); }); });
    connect(&b, &Board::scaleChanged, &m_session->chatView(), &ChatView::setScale);
}

void Tchat::wireMenu()
{
    PlayerActions *actions = &m_session->actions();
    connect(m_menu->startGame(), &QAction::triggered, this,
            [this, actions] { guard([actions] { actions->startGame(); }); });
    connect(m_menu->exitGame(), &QAction::triggered, this, &QWidget::close);
    connect(m_menu->justWatch(), &QAction::triggered, this, [this, actions] {
        m_menu->justWatch()->setChecked(m_session->model().justWatching); // follows the host's answer only
        guard([actions] { actions->toggleJustWatch(); });
    });
    QMenu *popup = actions->popup_kick();
    const auto popupItem = [popup](const char *name) {
        return popup->findChild<QAction *>(QString::fromLatin1(name));
    };
    connect(popupItem("RemoveFromGame1"), &QAction::triggered, this,
            [this, actions] { guard([actions] { actions->removeSeatFromGame(); }); });
    connect(popupItem("SettoJustWatch1"), &QAction::triggered, this,
            [this, actions] { guard([actions] { actions->setSeatToJustWatch(); }); });
    connect(popupItem("UnsetJustWatch1"), &QAction::triggered, this,
            [this, actions] { guard([actions] { actions->unsetSeatJustWatch(); }); });
}

void Tchat::wireConnection()
{
    ClientConnection *connection = &m_session->connection();
    connection->setPort(m_options.port);
    connection->setLobbyPort(m_options.lobbyPort);
    connection->setDispatcher([this](const QByteArray &line) { m_session->game().processline(line); });
    // The host left, hosts anew or removed this player: the client cannot tell which.
    connect(connection, &ClientConnection::socketClosed, this, [this] {
        connectionEnded(QStringLiteral("The connection to the host has ended, so the game is over for you."));
    });
    connect(connection, &ClientConnection::connectionLost, this,
            [this] { connectionEnded(QStringLiteral("Connection to the host was lost.")); });
    connect(connection, &ClientConnection::connectFailed, this,
            [this] { connectionEnded(QStringLiteral("Could not connect to the host.")); });
}

void Tchat::connectionEnded(const QString &why)
{
    if (m_connectionEnded || m_closed)
        return;
    m_connectionEnded = true;
    ClientState &state = m_session->state();
    state.loggedin = false; // requests are refused here from now on
    state.amhost = false;
    state.myid = 0;
    m_menu->startGame()->setEnabled(false);
    renderBoard();
    addStatus(why);
    addStatus(QStringLiteral("Host a game, join one or play solo from the File menu."));
}

void Tchat::wireGame()
{
    wireConnection();
    ClientGame *game = &m_session->game();
    PlayerActions *actions = &m_session->actions();
    connect(game, &ClientGame::modelChanged, this, &Tchat::renderBoard);
    connect(actions, &PlayerActions::modelChanged, this, &Tchat::renderBoard);
    connect(game, &ClientGame::ownArrival, this, &Tchat::loadinifile);
    connect(actions, &PlayerActions::gameStartRequested, this, &Tchat::saveinifile);
    connect(game, &ClientGame::justWatchChanged, m_menu->justWatch(), &QAction::setChecked);
    connect(game, &ClientGame::gameFull, this, [this] {
        // The host hangs up at once; its close adds nothing to this.
        connectionEnded(QStringLiteral("Game is full. The host has no free place for you."));
    });
    connect(game, &ClientGame::spyArrived, this, &Tchat::spyArrived);
    connect(game, &ClientGame::spyLeft, this, &Tchat::spyLeft);
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
    m_menu->startGame()->setEnabled(false);
    ClientState &state = m_session->state();
    if (m_start.mode == SwitchRequest::Mode::Solo) {
        addStatus(QStringLiteral("Loading Solo Game..Please Wait."));
        if (m_showDownload)
            m_showDownload();
        state.hostaddress = QStringLiteral("127.0.0.1");
        state.playername = QStringLiteral("You");
        hostpress();
        return;
    }
    if (!m_start.problem.isEmpty()) {
        addStatus(m_start.problem);
        return;
    }
    if (m_start.onTableServer) {
        // The table is asked for beside the empty board; its seat offer starts the game
        // and says it is loading.
        m_sessions->switchTo(m_start);
        return;
    }
    addStatus(QStringLiteral("Loading Multi-player Game.. Please Wait."));
    if (m_start.mode == SwitchRequest::Mode::Incomplete)
        return;
    state.playername = m_start.name;
    state.hostaddress = m_start.address;
    if (m_start.mode == SwitchRequest::Mode::Host)
        hostpress();
    else
        joinpress();
    m_session->connection().openLobbyLink();
}

void Tchat::hostpress()
{
    quint16 port = m_options.port;
    if (m_server) {
        // Nobody else may sit down in a solo game, and another program on the game port must
        // not stop it; a hosted game is open to every address on the game port.
        const bool solo = m_start.mode == SwitchRequest::Mode::Solo;
        m_server->setListenAddress(solo ? QStringLiteral("127.0.0.1") : QString());
        m_server->setPortName(solo ? QStringLiteral("0") : QString::number(m_options.port));
        m_server->startListening();
        port = m_server->listeningPort();
    }
    m_session->state().amhost = true;
    m_session->connection().open(QStringLiteral("127.0.0.1"), port);
    renderBoard();
    m_menu->startGame()->setEnabled(true);
    Q_EMIT hostingStarted();
}

void Tchat::joinpress()
{
    const auto [host, port] = PendingJoin::endpoint(m_session->state().hostaddress, m_options.port);
    m_session->connection().open(host, port);
    renderBoard();
    m_menu->startGame()->setEnabled(false);
}

void Tchat::leaveGame(ClientConnection *next)
{
    saveinifile();
    // The old connection goes silently: the player asked for its end.
    m_session->replaceConnection(next);
    m_connectionEnded = false;
    wireConnection();
    renderBoard();
    m_menu->justWatch()->setChecked(false);
    m_menu->startGame()->setEnabled(false);
    Q_EMIT gameLeft();
}

void Tchat::takeSeat(const QString &name, const QString &address, const QByteArray &offer)
{
    takeSeat(SwitchRequest{name, address, SwitchRequest::Mode::Join}, offer);
}

void Tchat::takeSeat(const SwitchRequest &start, const QByteArray &offer)
{
    m_start = start;
    ClientState &state = m_session->state();
    state.playername = start.name;
    state.hostaddress = start.address;
    // Who opened a table on a table server is its entry 1: it starts the game and may
    // remove players, as a hosting copy's own player does.
    const bool opener = start.onTableServer && start.mode == SwitchRequest::Mode::Host;
    state.amhost = opener;
    addStatus(QStringLiteral("Loading Multi-player Game.. Please Wait."));
    m_menu->startGame()->setEnabled(opener);
    m_session->connection().openLobbyLink();
    guard([&] { m_session->game().processline(offer); });
    renderBoard();
    if (opener)
        Q_EMIT hostingStarted();
}

void Tchat::addLine(const ChatLine &line)
{
    m_session->chatView().addLine(line);
}

void Tchat::addStatus(const QString &text)
{
    m_session->chatView().addStatus(text);
}

void Tchat::playsounds(const QString &name)
{
    m_session->sounds().playsounds(name);
}

void Tchat::loadinifile()
{
    m_clientOptions->loadinifile();
}

void Tchat::saveinifile()
{
    m_clientOptions->saveinifile();
}

void Tchat::createSession()
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
    m_session = new GameSession({board(), *m_boxes, player, shell}, this);
}

void Tchat::wireChat()
{
    ChatView *chatView = &m_session->chatView();
    m_session->sounds().setSilenceNotice([this](const QString &why) { addStatus(why); });
    // The two "Scroll Chat Off" items always show the same mark.
    connect(m_menu->scrollChatOff(), &QAction::triggered, this,
            [chatView] { chatView->setScrollOff(!chatView->scrollOff()); });
    connect(chatView, &ChatView::scrollOffChanged, m_menu->scrollChatOff(), &QAction::setChecked);
    const auto focusInput = [this] { board().mychat->setFocus(); };
    connect(m_menu->clearMainChat(), &QAction::triggered, this, [chatView, focusInput] {
        chatView->clearChat();
        focusInput();
    });
    connect(chatView, &ChatView::cleared, this, focusInput);
}

void Tchat::wireOptions()
{
    DesktopWorkArea &area = m_options.workArea ? *m_options.workArea : *m_ownWorkArea;
    ColorChooser &colors = m_options.colors ? *m_options.colors : *m_ownColors;
    m_clientOptions =
        new ClientOptions({*this, *m_place, *m_menu, m_session->chatView(), m_session->chatInput(),
                           m_session->sounds(), m_session->game(), m_session->state(), *m_settings, area, colors},
                          this);
    connect(m_clientOptions, &ClientOptions::requestReady, m_session, &GameSession::send);
    connect(m_clientOptions, &ClientOptions::colourSymbolsChanged, this, [this](bool on) {
        board().setColourSymbols(on);
        renderBoard();
    });
    board().setColourSymbols(m_clientOptions->values().colourSymbols);
}

void Tchat::bringToFront()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}
