#include "gamesounds.h"

#include "soundplayer.h"

GameSounds::GameSounds(SoundPlayer &player)
    : m_player(player)
{
}

void GameSounds::playsounds(const QString &name)
{
    if (!enabled)
        return;
    requested.append(name);
    if (requested.size() > 256)
        requested.removeFirst();
    m_player.play(name);
}

void GameSounds::playChatter(const ChatterSound &sound)
{
    if (chatterEnabled)
        m_player.play(sound.name);
}

void GameSounds::setSilenceNotice(std::function<void(const QString &line)> notice)
{
    m_player.setSilenceNotice(std::move(notice));
}
