// SwitchRequest: which game the main window is to start — solo, hosted or joined.
#pragma once

#include <QString>
#include <QStringList>

struct SwitchRequest
{
    enum class Mode {
        Solo,       // a solo game on this computer
        Host,       // host a game under name
        Join,       // join the game at address under name
        Incomplete, // a command line with a name but no mode: nothing is started
    };

    QString name;
    QString address;
    Mode mode = Mode::Solo;

    // The command line "NAME ADDRESS true|false" (true hosts); none at all is a solo game.
    static SwitchRequest fromCommandLine(const QStringList &parameters)
    {
        if (parameters.isEmpty())
            return {};
        if (parameters.size() < 3)
            return {QString(), QString(), Mode::Incomplete};
        return {parameters.at(0), parameters.at(1),
                parameters.at(2) == QLatin1String("true") ? Mode::Host : Mode::Join};
    }
};
