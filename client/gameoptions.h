// GameOptions: the player's choices from the Options menu, the phrase editor and the Host window.
#pragma once

#include "gamedefaults.h"

#include <QColor>
#include <QStringList>

// The one copy of every option: the menus, the chat and the sounds are set from it and never
// read back; the settings file is read into it and written from it.
struct GameOptions
{
    bool playSounds = true;
    bool chatterSounds = false; // on once the settings are read (their default is on)
    int turnSound = 0;          // 0 Classic, 1 New
    int botSpeed = 0;           // computer-player step in ms; 0 until the settings are read
    QColor textColor = QColor(0, 0, 0);
    int textSize = 0; // chat text size in points; 0 until the settings are read
    QStringList phrases = gamedefaults::phrases();
    bool openPort = true;       // a hosting copy asks the router to forward its port
    bool colourSymbols = false; // each die colour's symbol drawn on the dice
};
