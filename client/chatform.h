// Tchat: the main window — board, chat and menus — and the client's connection life.
#pragma once

#include "ports.h"
#include "clientmodel.h"
#include "clientstate.h"
#include "chatline.h"

#include <QColor>
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>

class Board;
class ChatInput;
class ChatView;
class ClientOptions;
class ColorChooser;
class DesktopWorkArea;
class ClientConnection;
class ClientGame;
class ClientSettings;
class DiceTray;
class GameSounds;
class MainMenu;
class MessageBoxes;
class NamedMutex;
class QtMessageBoxes;
class WindowPlace;
class PlayerActions;
class SessionSwitcher;
class ShellOpen;
class SoundPlayer;
class TServer;
class WoodBackground;

struct TchatOptions
{
    MessageBoxes *boxes = nullptr;    // not owned; non-modal Qt boxes above this window when null
    quint16 port = ports::Game;       // the game port (hosting listens on it, clients connect to it)
    quint16 lobbyPort = ports::Lobby; // the local lobby program's port
    QString settingsPath;             // empty: "vornlobby.ini" in the program's folder
    QString mutexName = QStringLiteral("dorvane");
    // Not owned; the desktop's own when null (tests pass recording ones).
    SoundPlayer *soundPlayer = nullptr;
    ShellOpen *shell = nullptr;
    DesktopWorkArea *workArea = nullptr;
    ColorChooser *colors = nullptr;
};

class Tchat : public QMainWindow
{
    Q_OBJECT
public:
    explicit Tchat(TchatOptions options = {}, QWidget *parent = nullptr);
    ~Tchat() override;

    // The in-process host whose listener a solo or hosting copy switches on.
    void setServer(TServer *server) { m_server = server; }
    TServer *server() const { return m_server; }
    // The command line without the program name; read when the window is first shown.
    void setParameters(const QStringList &parameters) { m_parameters = parameters; }
    const QStringList &parameters() const { return m_parameters; }
    // Shows the lobby download window (solo start).
    void setShowDownload(std::function<void()> show) { m_showDownload = std::move(show); }
    // Counts a finished game in the tally ("addtomine" or the winner's name).
    void setTallyHook(std::function<void(const QString &)> hook) { m_tallyHook = std::move(hook); }

    void FormCreate();
    void processparams();
    void hostpress();
    void joinpress();
    // Leaves the running game without closing the window: next (or a new connection object)
    // replaces the connection, the board and client state are cleared (settings saved
    // first). The host is the caller's.
    void leaveGame(ClientConnection *next = nullptr);
    // Answers the seat offer of the host the connection now leads to, joined as name at
    // address, as a start with "NAME ADDRESS false" does after its connect.
    void takeSeat(const QString &name, const QString &address, const QByteArray &offer);
    // The game port: a hosting copy listens on it; an address without a port is joined on it.
    quint16 gamePort() const { return m_options.port; }
    // Appends one chat line; a status line in ChatLine::StatusColor.
    void addLine(const ChatLine &line);
    void addStatus(const QString &text);
    void playsounds(const QString &name);
    void loadinifile();
    void saveinifile();
    // Bot Speed menu: Slow (2000), Normal (1000) or Fast (500) milliseconds.
    void chooseBotSpeed(int ms);
    // Another copy was started: come to the front (restored when minimised).
    void bringToFront();

    const QString gamename = QStringLiteral("Dorvane");

    Board &board() const;
    ClientState &state() { return m_state; }
    ClientModel &model() { return m_model; }
    ClientConnection &connection() const { return *m_connection; }
    ClientGame &game() const { return *m_game; }
    PlayerActions &actions() const { return *m_actions; }
    GameSounds &sounds() const { return *m_sounds; }
    MainMenu &menu() const { return *m_menu; }
    MessageBoxes &boxes() const { return *m_boxes; }
    ChatView &chatView() const { return *m_chatView; }
    ChatInput &chatInput() const { return *m_chatInput; }
    ClientOptions &options() const { return *m_clientOptions; }
    // Hosting and joining from the menu; owns the hidden host.
    SessionSwitcher &sessions() const { return *m_sessions; }
    WindowPlace &place() const { return *m_place; }

Q_SIGNALS:
    // Emitted when the main window closes; the program ends with it.
    void closed();
    // Emitted when this copy switched its host on (the spy list offers "Remove From Game").
    void hostingStarted();
    // Emitted when leaveGame() has left the game (the spy list empties).
    void gameLeft();
    // Emitted when a spectator joins or leaves (entries "<number>: <name>" of the spy list).
    void spyArrived(int number, const QString &name);
    void spyLeft(int number, const QString &name);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // FormResize: the client area never stays smaller than the board allows.
    void resizeEvent(QResizeEvent *event) override;

private:
    void wireBoard();
    void wireMenu();
    void wireGame();
    void wireConnection();
    void createChat();
    void wireChat();
    void wireOptions();
    void send(const QByteArray &message);
    // The connection ended without the player asking: says why and what the player can do,
    // once; the board stays as it stood and nothing can be sent any more.
    void connectionEnded(const QString &why);
    // Draws the board and the dice from the model.
    void renderBoard();
    // Runs f inside the top-level error report.
    void guard(const std::function<void()> &f);

    TchatOptions m_options;
    std::unique_ptr<QtMessageBoxes> m_ownBoxes;
    MessageBoxes *m_boxes = nullptr;
    ClientState m_state;
    ClientModel m_model;
    WoodBackground *m_background = nullptr;
    MainMenu *m_menu = nullptr;
    DiceTray *m_tray = nullptr;
    ClientGame *m_game = nullptr;
    PlayerActions *m_actions = nullptr;
    ClientConnection *m_connection = nullptr;
    std::unique_ptr<GameSounds> m_sounds;
    std::unique_ptr<ClientSettings> m_settings;
    std::unique_ptr<SoundPlayer> m_ownSoundPlayer;
    std::unique_ptr<ShellOpen> m_ownShell;
    std::unique_ptr<DesktopWorkArea> m_ownWorkArea;
    std::unique_ptr<ColorChooser> m_ownColors;
    ChatView *m_chatView = nullptr;
    ChatInput *m_chatInput = nullptr;
    ClientOptions *m_clientOptions = nullptr;
    SessionSwitcher *m_sessions = nullptr;
    std::unique_ptr<WindowPlace> m_place;
    std::unique_ptr<NamedMutex> m_mutex;
    TServer *m_server = nullptr;
    QStringList m_parameters;
    std::function<void()> m_showDownload;
    std::function<void(const QString &)> m_tallyHook;
    bool m_shown = false;
    bool m_closed = false;
    // A solo game: its host listens on the loopback address only, on a port the system picks.
    bool m_solo = false;
    // The connection ended and the player has been told (once per connection).
    bool m_connectionEnded = false;
};
