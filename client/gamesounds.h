// GameSounds: the one entry through which every game and chatter sound is asked for.
#pragma once

#include "chattersound.h"

#include <QString>
#include <QStringList>

#include <functional>

class SoundPlayer;

// Decides whether a sound plays: game sounds obey only "Play Sounds", chatter sounds only
// "Play Chatter Sounds". The player plays one clip at a time without waiting.
class GameSounds
{
public:
    explicit GameSounds(SoundPlayer &player);

    // A game sound ("dice", "turn" ...), when "Play Sounds" is on.
    void playsounds(const QString &name);
    // A chatter sound ("wave1" ... "wave20"), when "Play Chatter Sounds" is on.
    void playChatter(const ChatterSound &sound);
    // Receives, once, why a sound asked for cannot be heard (no sound device, no module).
    void setSilenceNotice(std::function<void(const QString &line)> notice);

    bool enabled = true;         // the "Play Sounds" check mark
    bool chatterEnabled = false; // the "Play Chatter Sounds" check mark
    QStringList requested;       // the last game sounds asked for while enabled, oldest first

private:
    SoundPlayer &m_player;
};
