// Test double for TurnSink: records every announcement (typed, and as the bytes the host
// would build) and the state of the two timers.
#pragma once

#include "turnsink.h"

#include <QByteArray>
#include <QList>
#include <ostream>

namespace protocol {

// Test failures show an announcement as its bytes.
inline void PrintTo(const Announcement &message, std::ostream *os)
{
    *os << buildAnnouncement(message).toStdString();
}

} // namespace protocol

class RecordingSink : public TurnSink
{
public:
    void broadcast(const protocol::Announcement &message) override
    {
        announcements.append(message);
        messages.append(protocol::buildAnnouncement(message));
    }

    void armPauseTimer(int step) override
    {
        pauseArmed = true;
        pauseStep = step;
        ++pauseArmings;
    }
    void disablePauseTimer() override { pauseArmed = false; }

    // An interval of 0 is recorded but, like the host's timer, never fires: computerDue()
    // tells a test driver whether a step is pending.
    void armComputerTimer(int intervalMs, int step) override
    {
        computerArmed = true;
        computerStep = step;
        computerIntervals.append(intervalMs);
    }
    void disableComputerTimer() override { computerArmed = false; }

    bool computerDue() const
    {
        return computerArmed && !computerIntervals.isEmpty() && computerIntervals.last() > 0;
    }

    void clear()
    {
        announcements.clear();
        messages.clear();
        computerIntervals.clear();
        pauseArmings = 0;
    }

    QList<protocol::Announcement> announcements;
    QList<QByteArray> messages; // the same, built
    bool pauseArmed = false;
    int pauseStep = 0;
    int pauseArmings = 0;
    bool computerArmed = false;
    int computerStep = 0;
    QList<int> computerIntervals; // interval of every arming since the last clear()
};
