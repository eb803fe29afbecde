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
class QLabel;
class QPushButton;
class ShellOpen;

// Created hidden at start-up and shown on a solo start; closed (hidden), never destroyed
// while the program runs. A tool window on top of the others, centred on the desktop.
// The tag of `infolabel` (property "tag") holds the download state: StateStarted while
// a download runs or after it succeeded, StateFailed after it failed or was stopped.
class Tdownload : public QWidget
{
    Q_OBJECT
public:
    // The installer's address unless setDownloadUrl names another.
    static constexpr const char *DefaultUrl = "https://example.invalid/lobby/vnlsetup.exe";
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
    void setJoinGame(std::function<void()> joinGame) { m_joinGame = std::move(joinGame); }

    void setDownloadUrl(const QString &url) { m_url = url; }
    QString downloadUrl() const { return m_url; }
    // The program's folder, with a trailing "/" (the executable's folder by default).
    void setProgramFolder(const QString &folder) { m_programFolder = folder; }
    void setLobbyProgram(const QString &path) { m_lobbyProgram = path; }
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

    QString m_url = QString::fromLatin1(DefaultUrl);
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
