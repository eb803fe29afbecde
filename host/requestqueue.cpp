#include "requestqueue.h"

#include <algorithm>

RequestQueue::FeedResult RequestQueue::feed(int entry, quint64 connectionId, const QByteArray &bytes)
{
    if (entry < 1 || entry > MaxEntries)
        return FeedResult::Queued;
    MessageFramer &framer = m_framers[entry];
    for (QByteArray &line : framer.feed(bytes)) {
        if (pendingFrom(connectionId) >= MaxWaitingPerConnection) {
            removeFrom(connectionId);
            return FeedResult::Flooded;
        }
        push({std::move(line), entry, connectionId});
    }
    return framer.overflowed() ? FeedResult::Overflowed : FeedResult::Queued;
}

void RequestQueue::resetEntry(int entry)
{
    if (entry >= 1 && entry <= MaxEntries)
        m_framers[entry].clear();
}

void RequestQueue::push(QueuedRequest request)
{
    ++m_pending[request.connectionId];
    m_lines.push_back(std::move(request));
}

QueuedRequest RequestQueue::takeFirst()
{
    if (m_lines.empty())
        return {};
    QueuedRequest front = std::move(m_lines.front());
    m_lines.pop_front();
    if (--m_pending[front.connectionId] <= 0)
        m_pending.remove(front.connectionId);
    return front;
}

qsizetype RequestQueue::removeFrom(quint64 connectionId)
{
    const auto from = std::remove_if(m_lines.begin(), m_lines.end(), [connectionId](const QueuedRequest &r) {
        return r.connectionId == connectionId;
    });
    const qsizetype removed = qsizetype(std::distance(from, m_lines.end()));
    m_lines.erase(from, m_lines.end());
    m_pending.remove(connectionId);
    return removed;
}
