#include "steptimer.h"

#include <algorithm>
#include <cmath>
#include <limits>

StepTimer::StepTimer(Mode mode, int minimumMs, QObject *parent)
    : QObject(parent)
    , m_mode(mode)
    , m_minimumMs(minimumMs)
{
    m_timer.setSingleShot(mode == Mode::SingleShot);
    // A coarse timer may fire up to 5 % late or early; the pause and the computer's steps
    // are felt by players, so they keep their time.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_mode == Mode::SingleShot)
            m_armed = false;
        Q_EMIT fired(m_step);
    });
}

void StepTimer::arm(int intervalMs, int step)
{
    m_timer.stop();
    m_step = step;
    m_intervalMs = intervalMs;
    m_armed = true;
    if (intervalMs > 0)
        start();
}

void StepTimer::disable()
{
    m_timer.stop();
    m_armed = false;
}

void StepTimer::wake(int intervalMs)
{
    if (m_armed && !m_timer.isActive() && intervalMs > 0)
        arm(intervalMs, m_step);
}

void StepTimer::setTimeScale(double scale)
{
    m_scale = scale;
    if (m_timer.isActive())
        start();
}

void StepTimer::start()
{
    // A huge scale (tests and tools that fire timers by hand) must not overflow the interval.
    const double scaled = std::min(std::round(m_intervalMs * m_scale), double(std::numeric_limits<int>::max()));
    m_timer.start(std::max(m_minimumMs, int(scaled)));
}
