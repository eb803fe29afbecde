#include "logindeadlines.h"

#include <algorithm>

void LoginDeadlines::watch(int entry, quint64 connectionId, double nowMs)
{
    if (entry < 1 || entry > MaxEntries || connectionId == 0)
        return;
    m_deadlines[entry] = {connectionId, nowMs + LoginTimeoutMs};
}

void LoginDeadlines::forget(int entry)
{
    if (entry >= 1 && entry <= MaxEntries)
        m_deadlines[entry] = {};
}

bool LoginDeadlines::watching(int entry) const
{
    return entry >= 1 && entry <= MaxEntries && m_deadlines[entry].connectionId != 0;
}

std::optional<double> LoginDeadlines::nextDueMs() const
{
    std::optional<double> next;
    for (int entry = 1; entry <= MaxEntries; ++entry) {
        if (m_deadlines[entry].connectionId != 0)
            next = std::min(next.value_or(m_deadlines[entry].dueMs), m_deadlines[entry].dueMs);
    }
    return next;
}

QList<LoginDeadlines::Expired> LoginDeadlines::expire(double nowMs)
{
    QList<Expired> expired;
    for (int entry = 1; entry <= MaxEntries; ++entry) {
        const Deadline d = m_deadlines[entry];
        if (d.connectionId == 0 || d.dueMs > nowMs)
            continue;
        m_deadlines[entry] = {};
        expired.append({entry, d.connectionId});
    }
    return expired;
}
