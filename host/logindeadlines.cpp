#include "logindeadlines.h"

#include <algorithm>
#include <cmath>
#include <limits>

LoginDeadlines::LoginDeadlines(QObject *parent)
    : QObject(parent)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &LoginDeadlines::onTimeout);
}

void LoginDeadlines::watch(int entry, quint64 connectionId)
{
    if (entry < 1 || entry > MaxEntries || connectionId == 0)
        return;
    const double ms = std::max(double(MinimumTimeoutMs), LoginTimeoutMs * m_scale);
    const qint64 delay =
        ms < double(std::numeric_limits<int>::max()) ? qint64(std::llround(ms)) : std::numeric_limits<int>::max();
    m_deadlines[entry] = {connectionId, m_clock.elapsed() + delay};
    rearm();
}

void LoginDeadlines::forget(int entry)
{
    if (entry < 1 || entry > MaxEntries || m_deadlines[entry].connectionId == 0)
        return;
    m_deadlines[entry] = {};
    rearm();
}

bool LoginDeadlines::watching(int entry) const
{
    return entry >= 1 && entry <= MaxEntries && m_deadlines[entry].connectionId != 0;
}

void LoginDeadlines::rearm()
{
    qint64 next = std::numeric_limits<qint64>::max();
    for (int k = 1; k <= MaxEntries; ++k) {
        if (m_deadlines[k].connectionId != 0)
            next = std::min(next, m_deadlines[k].dueMs);
    }
    if (next == std::numeric_limits<qint64>::max()) {
        m_timer.stop();
        return;
    }
    const qint64 wait = std::clamp<qint64>(next - m_clock.elapsed(), 0, std::numeric_limits<int>::max());
    m_timer.start(int(wait));
}

void LoginDeadlines::onTimeout()
{
    const qint64 now = m_clock.elapsed();
    for (int k = 1; k <= MaxEntries; ++k) {
        const Deadline d = m_deadlines[k];
        if (d.connectionId == 0 || d.dueMs > now)
            continue;
        m_deadlines[k] = {};
        Q_EMIT expired(k, d.connectionId);
    }
    rearm();
}
