// AuxiliaryWindows: the program's windows beside the main window, created at start-up in
// their order and wired to the main window's menus, board and command processing. The help,
// About and download windows are made the first time they are asked for (a menu, the logo,
// a solo start after the main window is shown), so start-up does not build their pages.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class MessageBoxes;
class Tabout;
class Tchat;
class Tdownload;
class Thelp;
class Tphrases;
class Tspylist;
class Ttallylist;

struct AuxiliaryWindowsOptions
{
    QString settingsPath;          // the settings file "vornlobby.ini" (phrase keys)
    QString tallyPath;             // the tally file; empty: the tally window's default
    MessageBoxes *boxes = nullptr; // not owned; the main window's boxes when null
    // Runs between the phrase editor and the spy list: the hidden host's place in the
    // start-up order (the program creates it there; tests leave it out).
    std::function<void()> createHost;
};

// The windows know nothing of the client: this class hands them the seat names, the phrase
// texts, `kicking` and "am I the host", and carries their results back to the main window.
// The spy list window is the one list of spectators: the command processing adds to it and
// asks it whether a departing spectator was listed. Owns the windows; the main window must
// outlive this object.
class AuxiliaryWindows : public QObject
{
    Q_OBJECT
public:
    explicit AuxiliaryWindows(Tchat &chat, AuxiliaryWindowsOptions options = {});
    ~AuxiliaryWindows() override;

    Ttallylist &tallylist() const { return *m_tallylist; }
    Tabout &about();       // made on first use
    Tdownload &download(); // made on first use
    Thelp &help();         // made on first use
    Tphrases &phrases() const { return *m_phrases; }
    Tspylist &spylist() const { return *m_spylist; }

    // The names at seats 1 to 4 without the user's own seat and the empty seats.
    QStringList otherSeatNames() const;
    // View menu.
    void showTally();
    void showSpyList();
    void showPhraseEditor();
    // Help menu.
    void showHelp();
    void showAbout();
    // The board's logo: the maker's site, as the About window's link opens it.
    void openLogoLink();
    // Hides every auxiliary window (the main window closed).
    void closeAll();

private:
    void createWindows();
    void wireMenu();
    void wireGame();
    void wireWindows();

    Tchat &m_chat;
    AuxiliaryWindowsOptions m_options;
    std::unique_ptr<Ttallylist> m_tallylist;
    std::unique_ptr<Tabout> m_about;
    std::unique_ptr<Tdownload> m_download;
    std::unique_ptr<Thelp> m_help;
    std::unique_ptr<Tphrases> m_phrases;
    std::unique_ptr<Tspylist> m_spylist;
};
