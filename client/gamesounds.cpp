#include "gamesounds.h"

void GameSounds::playsounds(const QString &name)
{
    if (!enabled)
        return;
    requested.append(name);
    if (requested.size() > 256)
        requested.removeFirst();
}
