// Tdownload: offers to download and install the lobby application, to play solo, or to
// open an installed lobby.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class Folders;
class HttpGet;
class MessageBoxes;
class QCheckBox;
class QLabel;
class QPushButton;
class ShellOpen;

// Made on a solo start when "Show at start" is on; closed (hidden), never destroyed while
// the program runs. A tool window centred on the desktop, with no stays-on-top flag: the
// game's own Host and Join windows must come above it.
// The download is offered only while an installer address is configured (a usable http or
// https address, not a placeholder); without one the window offers what works: solo play
// and joining a game from the game itself.
// The tag of `infolabel` (property "tag") holds the download state: StateStarted while
// a download runs or after it succeeded, StateFailed after it failed or was stopped.
class Tdownload : public QWidget
{
    Q_OBJECT
public:
    // The installer's address built into the program: none until the lobby is published.
    // The environment variable UrlVariable names one for this run instead.
    static constexpr const char *DefaultUrl = "";
    static constexpr const char *UrlVariable = "DORVANE_LOBBY_INSTALLER_URL";
    // The installer's file name when the address's path names none.
    static constexpr const char *DefaultInstallerName = "vnlsetup.exe";
    // The settings file's key (section "Dorvane") of "Show at start": "false" keeps the
    // window from opening at a solo start; anything else, a missing key included, shows it.
    static constexpr const char *ShowAtStartKey = "Showdownload";
    // Where an installed lobby program lives.
    static constexpr const char *DefaultLobbyProgram = "/opt/vorn22/lobby/vornlobby";
    // Makes the installer run without questions.
    static constexpr const char *InstallParameters = "/SP- /silent /noicons";
    static constexpr const char *ErrorText = "An Error has Occurred.";
    static constexpr int StateStarted = 1;
    static constexpr int StateFailed = 2;
    static constexpr int FormWidth = 724;
    static constexpr int FormHeight = 500;
    // The phase line never takes more lines than this.
    static constexpr int PhaseLines = 2;

    explicit Tdownload(QWidget *parent = nullptr);
    ~Tdownload() override;

    // The injected pieces below are not owned and must outlive the window; nullptr (and
    // the start) means the desktop's own.
    void setShellOpen(ShellOpen *shell);
    void setFolders(Folders *folders);
    void setMessageBoxes(MessageBoxes *boxes);
    // Called to end the game the way File > "Exit" does, after the installer or the
    // lobby has started. Until it is set, every top-level window is closed.
    void setExitGame(std::function<void()> exitGame);
    // Called by "Play with Others" when no lobby program is installed: the game's own
    // "Join a Game..." window. Until it is set, a message says how to reach the lobby.
    void setJoinGame(std::function<void()> joinGame);

    // The installer's address (by default UrlVariable's value, else DefaultUrl). The window
    // offers the download only while the address is configured.
    void setDownloadUrl(const QString &url);
    QString downloadUrl() const { return m_url; }
    // A download can be tried: an http or https address with a host that is not reserved
    // for examples or for names that never resolve (".invalid", ".example", ".test",
    // example.com/.net/.org). Empty and placeholder addresses are not configured.
    static bool isConfigured(const QString &url);
    // The address a new window starts with.
    static QString configuredUrl();

    // The settings file that holds "Show at start"; the check box shows its value.
    void setSettingsPath(const QString &path);
    // Whether the settings file at path asks for the window at a solo start.
    static bool showAtStart(const QString &settingsPath);
    // The program's folder, with a trailing "/" (the executable's folder by default).
    void setProgramFolder(const QString &folder) { m_programFolder = folder; }
    void setLobbyProgram(const QString &path);
    // The HTTP client (`HttpCli1`), owned by the window.
    HttpGet *httpClient() const { return HttpCli1; }

    // The installer's folder: the program's folder, or the per-user data folder when the
    // program's folder is not writable.
    QString downloadFolder() const;
    // The download state held in the tag of `infolabel` (0 before the first download).
    int downloadState() const;

    // "Download": fetches the installer and, after a complete transfer, starts it.
    void startDownload();
    // "Stop Download".
    void stopDownload();
    // "Play Solo Game": closes the window; the solo game goes on.
    void playSolo();
    // "Play with Others": starts an installed lobby and ends the game; without one, joins a
    // game from the game itself (or says how to reach the lobby).
    void playWithOthers();
    // The game's Host or Join window opens: this window closes so that it never covers them
    // (a running download stops: what it would install would end the game being set up).
    void makeWayForGameWindow();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void HttpCli1HeaderData();
    void HttpCli1DocBegin();
    void HttpCli1DocData(qint64 received);

    void createLayout();
    QWidget *createDownloadPanel();
    QWidget *createProgressBox(QWidget *parent);
    QWidget *createSoloPanel();
    QWidget *createLobbyPanel();
    QWidget *createShowAtStart();
    // Shows the download only with a configured address, and says what "Play with Others"
    // does here.
    void updateOffer();
    void storeShowAtStart(bool on);
    void loadPicture();
    void setDownloadState(int state);
    // Sets the phase line to text, cut to fit its lines, and its tool tip to the whole text.
    void showPhase(const QString &text);
    void install(const QString &fileName);
    void exitGame();

    HttpGet *HttpCli1 = nullptr;
    QLabel *image_picture = nullptr;
    QPushButton *getbutton = nullptr;
    QLabel *infolabel = nullptr;
    QLabel *infolabel2 = nullptr;
    QLabel *infolabel3 = nullptr;
    QPushButton *abortbutton = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QLabel *m_downloadHeading = nullptr;
    QLabel *m_invite = nullptr;
    QWidget *m_progressBox = nullptr;
    QLabel *m_lobbyText = nullptr;
    QCheckBox *m_showAtStart = nullptr;

    QString m_url = configuredUrl();
    QString m_settingsPath;
    QString m_programFolder;
    QString m_lobbyProgram = QString::fromLatin1(DefaultLobbyProgram);
    std::function<void()> m_exitGame;
    std::function<void()> m_joinGame;
    bool m_pictureLoaded = false;
    bool m_placed = false;

    // The desktop's own pieces, used while none are injected.
    std::unique_ptr<ShellOpen> m_ownShell;
    std::unique_ptr<Folders> m_ownFolders;
    std::unique_ptr<MessageBoxes> m_ownBoxes;
    ShellOpen *m_shell = nullptr;
    Folders *m_folders = nullptr;
    MessageBoxes *m_boxes = nullptr;
};
