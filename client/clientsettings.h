// ClientSettings: the client's section "Dorvane" of the shared settings file.
#pragma once

#include "gamedefaults.h"
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
    struct Values
    {
        int textsize = 8;
        QColor textcolor = QColor(0, 0, 0);
        int botspeed = gamedefaults::BotNormalMs; // one of the menu's speeds when read; written as held
        bool playsounds = true;
        QRect geometry = gamedefaults::MainWindowPlace;
        int turnsound = 0; // 0 Classic, 1 New
        bool chattersounds = true;
    };

    explicit ClientSettings(const QString &path);

    // The section as the client applies it; a missing file gives the defaults above.
    Values read() const;
    // Writes every key but the phrases, in the order the file has always had them.
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
    const QString &path() const { return m_file.path(); }
    const IniFile &file() const { return m_file; }

private:
    IniFile m_file;
};
