// Facts the main window and the auxiliary windows share: the settings file's name, the
// default phrases, the bot speeds and the main window's reset place.
#pragma once

#include <QRect>
#include <QStringList>

#include <array>

namespace gamedefaults {

// The settings file, shared with the lobby program (section "Dorvane").
inline constexpr char SettingsFileName[] = "vornlobby.ini";

// The phrase buttons 1 to 9 until the user edits them.
inline constexpr std::array<const char *, 9> Phrases = {"Way To Go!", "Good One!",         "Nice Try!",
                                                        "Excellent!", "Brilliant!",        "Wow, WTG!",
                                                        "Thanks!",    "Way To Go Teamie!", "Good Game Everyone!"};

inline QStringList phrases()
{
    QStringList texts;
    for (const char *phrase : Phrases)
        texts.append(QString::fromLatin1(phrase));
    return texts;
}

// The computer player's step, in milliseconds, as the Bot Speed menu offers it.
inline constexpr int BotSlowMs = 2000;
inline constexpr int BotNormalMs = 1000;
inline constexpr int BotFastMs = 500;

// The main window's outer place and size after "Reset Screen Location" (left, top, width,
// height), also used when the stored place does not fit the screen.
inline constexpr QRect MainWindowPlace{3, 3, 700, 590};

} // namespace gamedefaults
