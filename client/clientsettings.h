// ClientSettings: the client's section "Dorvane" of the shared settings file.
#pragma once

#include "gamedefaults.h"
#include "gameoptions.h"
#include "inifile.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <QStringList>

// Reads and writes the keys through IniFile (one line per key; the rest of the file stays).
// Every read applies the file's defaults and the rules for values it cannot use.
class ClientSettings
{
public:
    // The section's keys: the options but the phrases (keys of the phrase editor's) and the
    // router's port (writeOpenPort), and the window's place. Read, a missing or unusable key
    // gives text size 8, black, the Normal bot speed (one of the menu's speeds; written as
    // held), sounds on, the Classic turn sound, chatter sounds on and colour symbols off.
    struct Values
    {
        GameOptions options;
        QRect geometry = gamedefaults::MainWindowPlace;
    };

    explicit ClientSettings(const QString &path);

    // The section as the client applies it; a missing file gives the defaults above.
    Values read() const;
    // Writes every key but the phrases, in the order the file has always had them;
    // "Coloursymbols" last, once the symbols have been on.
    // False when the file could not be written.
    bool write(const Values &values);

    // "2000" is Slow, "500" Fast, anything else (missing included) Normal.
    int readBotspeed() const;

    // The host and join windows' keys: "Playername", "Recenthost1" to "Recenthost5" (most
    // recent first) and "Openport" ("false" switches the router's port off; on by default).
    static constexpr int RecentHosts = 5;
    QString readPlayerName() const;
    bool writePlayerName(const QString &name);
    QStringList readRecentHosts() const;
    // Puts address first, drops its older copy and keeps the five newest.
    bool addRecentHost(const QString &address);
    bool readOpenPort() const;
    bool writeOpenPort(bool on);
    // "Tableserver": the table server last used, "host" or "host:port" (empty when none).
    QString readTableServer() const;
    bool writeTableServer(const QString &address);
    const QString &path() const { return m_file.path(); }
    const IniFile &file() const { return m_file; }

private:
    IniFile m_file;
};
