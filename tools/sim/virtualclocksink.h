// VirtualClockSink: a TurnSink whose timers run on virtual time, for whole games without
// sockets or waiting.
#pragma once

#include "turnsink.h"

#include <QByteArray>
#include <cstdint>

class TurnEngine;
class ComputerPlayer;

// Holds the host's two timers as pending events ordered by virtual time (earlier arming
// first on equal times). runUntilIdle fires them in order, advancing the clock to each.
// Announcements are only counted, with the size of their bytes.
class VirtualClockSink : public TurnSink
{
public:
    static constexpr std::int64_t PauseIntervalMs = 1000;

    void attach(TurnEngine *engine, ComputerPlayer *player);

    void broadcast(const protocol::Announcement &message) override;
    void armPauseTimer(int step) override;
    void disablePauseTimer() override;
    void armComputerTimer(int intervalMs, int step) override;
    void disableComputerTimer() override;

    // Fires pending timers until none is left or maxEvents have fired; returns the
    // number fired.
    std::int64_t runUntilIdle(std::int64_t maxEvents);

    std::int64_t now() const { return m_now; }
    std::int64_t messageCount() const { return m_messages; }
    std::int64_t messageBytes() const { return m_bytes; }
    const QByteArray &lastMessage() const { return m_last; }

private:
    struct Timer
    {
        bool armed = false;
        std::int64_t due = 0;
        std::int64_t interval = 0;
        std::uint64_t order = 0; // arming sequence, breaks ties
        int step = 0;
    };

    void arm(Timer &timer, std::int64_t interval, int step);

    TurnEngine *m_engine = nullptr;
    ComputerPlayer *m_player = nullptr;
    Timer m_pause;
    Timer m_computer;
    std::int64_t m_now = 0;
    std::uint64_t m_armings = 0;
    std::int64_t m_messages = 0;
    std::int64_t m_bytes = 0;
    QByteArray m_last;
};
