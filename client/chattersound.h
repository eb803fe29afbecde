// ChatterSound: a chatter sound a person at the table played, as the host announced it.
#pragma once

#include <QString>

struct ChatterSound
{
    int seat = 0; // as the host sent it; 0 when that was no number
    QString name; // the sound's resource name ("wave13"), as sent
    bool operator==(const ChatterSound &) const = default;
};
