#include "requestqueue.h"

namespace {

bool validEntry(int entry)
{
    return entry >= 1 && entry <= RequestQueue::MaxEntries;
}

} // namespace

RequestQueue::FeedResult RequestQueue::feed(int entry, quint64 connectionId, const QByteArray &bytes,
                                            bool closable)
{
    if (!validEntry(entry))
        return FeedResult::Queued;
    Entry &e = m_entries[entry];
    FeedResult result = FeedResult::Queued;
    for (QByteArray &line : e.framer.feed(bytes)) {
        if (fits(e, line)) {
            push({std::move(line), entry, connectionId});
        } else if (closable) {
            dropLines(e);
            return FeedResult::Flooded;
        } else {
            result = FeedResult::Trimmed;
        }
    }
    if (!e.framer.overflowed())
        return result;
    if (closable)
        return FeedResult::Overflowed;
    // The too-long message is dropped; the stream is read on from its next terminator.
    e.framer.clear();
    return FeedResult::Trimmed;
}

QString RequestQueue::describe(FeedResult result, int entry)
{
    const QString waiting = QStringLiteral("more than %1 requests or %2 bytes waiting")
                                .arg(MaxWaitingPerConnection)
                                .arg(MaxWaitingBytesPerConnection);
    switch (result) {
    case FeedResult::Queued:
        break;
    case FeedResult::Overflowed:
        return QStringLiteral("entry %1: unfinished message passed %2 bytes; connection closed")
            .arg(entry)
            .arg(MessageFramer::MaxPending);
    case FeedResult::Flooded:
        return QStringLiteral("entry %1: %2; connection closed").arg(entry).arg(waiting);
    case FeedResult::Trimmed:
        return QStringLiteral("entry %1: requests dropped: %2, or a message longer than %3 bytes")
            .arg(entry)
            .arg(waiting)
            .arg(MessageFramer::MaxPending);
    }
    return {};
}

bool RequestQueue::fits(const Entry &e, const QByteArray &line) const
{
    return qsizetype(e.lines.size()) < MaxWaitingPerConnection
           && e.bytes + line.size() <= MaxWaitingBytesPerConnection;
}

void RequestQueue::resetEntry(int entry)
{
    if (!validEntry(entry))
        return;
    Entry &e = m_entries[entry];
    e.framer.clear();
    dropLines(e);
}

void RequestQueue::dropLines(Entry &e)
{
    m_size -= qsizetype(e.lines.size());
    m_bytes -= e.bytes;
    e.bytes = 0;
    std::deque<QueuedRequest>().swap(e.lines); // gives the memory back, not only the lines
}

void RequestQueue::push(QueuedRequest request)
{
    if (!validEntry(request.entry))
        return;
    Entry &e = m_entries[request.entry];
    e.bytes += request.line.size();
    m_bytes += request.line.size();
    ++m_size;
    e.lines.push_back(std::move(request));
}

QueuedRequest RequestQueue::takeFirst()
{
    for (int step = 1; step <= MaxEntries && m_size > 0; ++step) {
        const int entry = (m_lastServed + step - 1) % MaxEntries + 1;
        Entry &e = m_entries[entry];
        if (e.lines.empty())
            continue;
        QueuedRequest front = std::move(e.lines.front());
        e.lines.pop_front();
        e.bytes -= front.line.size();
        m_bytes -= front.line.size();
        --m_size;
        m_lastServed = entry;
        return front;
    }
    return {};
}

qsizetype RequestQueue::waitingOn(int entry) const
{
    return validEntry(entry) ? qsizetype(m_entries[entry].lines.size()) : 0;
}
