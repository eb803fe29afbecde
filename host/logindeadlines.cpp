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
    for (int k = 1; k <= MaxEntries; ++k) {
        if (m_deadlines[k].connectionId != 0)
            next = std::min(next.value_or(m_deadlines[k].dueMs), m_deadlines[k].dueMs);
    }
    return next;
}

QList<LoginDeadlines::Expired> LoginDeadlines::expire(double nowMs)
{
    QList<Expired> expired;
    for (int k = 1; k <= MaxEntries; ++k) {
        const Deadline d = m_deadlines[k];
        if (d.connectionId == 0 || d.dueMs > nowMs)
            continue;
        m_deadlines[k] = {};
        expired.append({k, d.connectionId});
    }
    return expired;
}
