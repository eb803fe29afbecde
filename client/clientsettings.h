// ClientSettings: the client's section "Dorvane" of the shared settings file.
#pragma once

#include "inifile.h"

#include <QString>

// Reads and writes the keys through IniFile (one line per key; the rest of the file stays).
class ClientSettings
{
public:
    static constexpr int Slow = 2000;
    static constexpr int Normal = 1000;
    static constexpr int Fast = 500;

    explicit ClientSettings(const QString &path);

    // "2000" is Slow, "500" Fast, anything else (missing included) Normal.
    int readBotspeed() const;
    bool writeBotspeed(int ms);
    const QString &path() const { return m_file.path(); }

private:
    IniFile m_file;
};
