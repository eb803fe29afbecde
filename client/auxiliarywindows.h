// AuxiliaryWindows: the program's windows beside the main window, wired to the main window's
// menus, board and command processing. Every one is made the first time it is asked for (a
// menu, the logo, a solo start after the main window is shown), so start-up builds none of
// them; what they show while hidden (the tally, the spectators) is kept without them.
#pragma once

#include "spectatorlist.h"

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
class TallyRecord;
class Ttallylist;

struct AuxiliaryWindowsOptions
{
    QString settingsPath;          // the settings file "vornlobby.ini" (phrases, "Show at start")
    QString tallyPath;             // the tally file; empty: the tally window's default
    MessageBoxes *boxes = nullptr; // not owned; the main window's boxes when null
    // Runs after the tally is loaded: the hidden host's place in the start-up order (the
    // program creates it there; tests leave it out).
    std::function<void()> createHost;
};

// The windows know nothing of the client: this class hands them the seat names, the phrase
// texts, `kicking` and "am I the host", and carries their results back to the main window.
// The spectator list and the tally are kept here from start-up: the command processing adds
// to the one and asks it whether a departing spectator was listed, and a game's end is
// counted in the other, whether or not their windows were ever built. Owns the windows;
// the main window must outlive this object.
class AuxiliaryWindows : public QObject
{
    Q_OBJECT
public:
    explicit AuxiliaryWindows(Tchat &chat, AuxiliaryWindowsOptions options = {});
    ~AuxiliaryWindows() override;

    // Each window is made on first use.
    Ttallylist &tallylist();
    Tabout &about();
    Tdownload &download();
    Thelp &help();
    Tphrases &phrases();
    Tspylist &spylist();

    // The spectators of the game, as the spy list shows them.
    const SpectatorList &spectators() const { return m_spectators; }
    // The run's tally, as the tally window shows it.
    const TallyRecord &tally() const { return *m_tally; }

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
    void wireMenu();
    void wireGame();
    // Enables "Remove From Game" now or when the spy list is built.
    void setHosting(bool hosting);
    void countGame(const QString &winner);

    Tchat &m_chat;
    AuxiliaryWindowsOptions m_options;
    // Declared before the windows that show them, so they outlive those windows.
    SpectatorList m_spectators;
    std::unique_ptr<TallyRecord> m_tally;
    bool m_hosting = false;
    std::unique_ptr<Ttallylist> m_tallylist;
    std::unique_ptr<Tabout> m_about;
    std::unique_ptr<Tdownload> m_download;
    std::unique_ptr<Thelp> m_help;
    std::unique_ptr<Tphrases> m_phrases;
    std::unique_ptr<Tspylist> m_spylist;
};
