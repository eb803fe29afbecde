#include "virtualclocksink.h"

#include "computerplayer.h"
#include "turnengine.h"

void VirtualClockSink::attach(TurnEngine *engine, ComputerPlayer *player)
{
    m_engine = engine;
    m_player = player;
}

void VirtualClockSink::broadcast(const protocol::Announcement &message)
{
    ++m_messages;
    m_last = protocol::buildAnnouncement(message);
    m_bytes += m_last.size() + 1; // the terminator
}

void VirtualClockSink::arm(Timer &timer, std::int64_t interval, int step)
{
    timer.armed = true;
    timer.interval = interval;
    timer.due = m_now + interval;
    timer.order = ++m_armings;
    timer.step = step;
}

void VirtualClockSink::armPauseTimer(int step)
{
    arm(m_pause, PauseIntervalMs, step);
}

void VirtualClockSink::disablePauseTimer()
{
    m_pause.armed = false;
}

void VirtualClockSink::armComputerTimer(int intervalMs, int step)
{
    if (intervalMs <= 0) {
        m_computer.armed = false; // an interval of 0 never fires
        return;
    }
    arm(m_computer, intervalMs, step);
}

void VirtualClockSink::disableComputerTimer()
{
    m_computer.armed = false;
}

std::int64_t VirtualClockSink::runUntilIdle(std::int64_t maxEvents)
{
    std::int64_t fired = 0;
    while (fired < maxEvents && (m_pause.armed || m_computer.armed)) {
        const bool pauseFirst = m_pause.armed
                                && (!m_computer.armed || m_pause.due < m_computer.due
                                    || (m_pause.due == m_computer.due && m_pause.order < m_computer.order));
        ++fired;
        if (pauseFirst) {
            m_now = m_pause.due;
            m_pause.due += m_pause.interval; // periodic until the handler disables it
            m_engine->timer1Timer(m_pause.step);
        } else {
            m_now = m_computer.due;
            m_computer.armed = false; // fires once per arming
            m_player->computertimerTimer(m_computer.step);
        }
    }
    return fired;
}
