#include "servertable.h"

ServerTable::ServerTable(Host &host, const QByteArray &code, double openedAtMs)
    : m_host(host)
    , m_code(code)
    , m_openedAtMs(openedAtMs)
{
}

quint64 ServerTable::connectionAt(int entry) const
{
    return entry >= 1 && entry <= HostState::MaxEntries ? m_connections[entry] : 0;
}

int ServerTable::connectionCount() const
{
    int count = 0;
    for (const quint64 id : m_connections)
        count += id != 0 ? 1 : 0;
    return count;
}

qsizetype ServerTable::send(int entry, const QByteArray &bytes)
{
    const quint64 id = connectionAt(entry);
    return id == 0 ? 0 : m_host.sendOn(id, bytes);
}

void ServerTable::close(int entry, When when)
{
    if (connectionAt(entry) != 0)
        m_host.closeOn(*this, entry, when);
}

double ServerTable::nowMs() const
{
    return m_host.tableNowMs();
}

void ServerTable::startTimer(TableTimer timer, int intervalMs)
{
    TimerState &state = m_timers[int(timer)];
    ++state.generation; // a pending firing is replaced
    state.intervalMs = std::max(intervalMs, 0);
    state.running = true;
    m_host.scheduleTimer(*this, timer, state.intervalMs);
}

void ServerTable::stopTimer(TableTimer timer)
{
    TimerState &state = m_timers[int(timer)];
    if (!state.running)
        return;
    ++state.generation;
    state.running = false;
}

void ServerTable::onRequestDropped(const QString &reason)
{
    m_host.tableDropped(reason);
}
