// GameSounds: the one entry through which every game sound is asked for.
#pragma once

#include <QString>
#include <QStringList>

// playsounds(name) is where the sound layer plugs in; it plays nothing yet. It remembers
// the names asked for while "Play Sounds" is on, so the game's sound events can be checked.
class GameSounds
{
public:
    void playsounds(const QString &name);

    bool enabled = true;          // the "Play Sounds" check mark
    QStringList requested;        // every name asked for while enabled, oldest first
};
