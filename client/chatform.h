// Tchat: the main window — board, chat and menus — and the client's connection life.
#pragma once

#include "ports.h"
#include "chatline.h"
#include "gamesession.h"
#include "switchrequest.h"

#include <QColor>
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>

class Board;
class BoardAccessibility;
class BoardKeys;
class ClientOptions;
class ColorChooser;
class DesktopWorkArea;
class ClientConnection;
class GameSession;
class ClientSettings;
class DiceTray;
class MainMenu;
class MessageBoxes;
class NamedMutex;
class QtMessageBoxes;
class WindowPlace;
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
    // The command line without the program name, "NAME ADDRESS true|false" or none (solo);
    // read when the window is first shown.
    void setParameters(const QStringList &parameters) { setStart(SwitchRequest::fromCommandLine(parameters)); }
    // The game started when the window is first shown, or by the next processparams().
    void setStart(const SwitchRequest &start) { m_start = start; }
    const SwitchRequest &start() const { return m_start; }
    // Shows the lobby download window (solo start).
    void setShowDownload(std::function<void()> show) { m_showDownload = std::move(show); }

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
    // The same for a seat at a table on a table server; who opened the table (start's mode
    // Host) plays as a hosting copy's own player does.
    void takeSeat(const SwitchRequest &start, const QByteArray &offer);
    // The game port: a hosting copy listens on it; an address without a port is joined on it.
    quint16 gamePort() const { return m_options.port; }
    // Appends one chat line; a status line in ChatLine::StatusColor.
    void addLine(const ChatLine &line);
    void addStatus(const QString &text);
    void playsounds(const QString &name);
    void loadinifile();
    void saveinifile();
    // Another copy was started: come to the front (restored when minimised).
    void bringToFront();

    const QString gamename = QStringLiteral("Dorvane");

    Board &board() const;
    MainMenu &menu() const { return *m_menu; }
    // The game being played: connection, message handling, actions, chat, model and state.
    GameSession &session() const { return *m_session; }
    ClientOptions &options() const { return *m_clientOptions; }
    // Hosting and joining from the menu; owns the hidden host.
    SessionSwitcher &sessions() const { return *m_sessions; }

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
    void createSession();
    void wireChat();
    void wireOptions();
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
    WoodBackground *m_background = nullptr;
    MainMenu *m_menu = nullptr;
    DiceTray *m_tray = nullptr;
    BoardKeys *m_keys = nullptr;
    std::unique_ptr<BoardAccessibility> m_accessibility;
    GameSession *m_session = nullptr;
    std::unique_ptr<ClientSettings> m_settings;
    std::unique_ptr<SoundPlayer> m_ownSoundPlayer;
    std::unique_ptr<ShellOpen> m_ownShell;
    std::unique_ptr<DesktopWorkArea> m_ownWorkArea;
    std::unique_ptr<ColorChooser> m_ownColors;
    ClientOptions *m_clientOptions = nullptr;
    SessionSwitcher *m_sessions = nullptr;
    std::unique_ptr<WindowPlace> m_place;
    std::unique_ptr<NamedMutex> m_mutex;
    TServer *m_server = nullptr;
    SwitchRequest m_start;
    std::function<void()> m_showDownload;
    bool m_shown = false;
    bool m_closed = false;
    // The connection ended and the player has been told (once per connection).
    bool m_connectionEnded = false;
};
