// RequestQueue: the host's queue of received messages, each bound to the connection it came on.
#pragma once

#include "messageframer.h"

#include <QByteArray>
#include <QHash>
#include <QtGlobal>
#include <array>
#include <deque>

// One complete message (without its terminator) and where it arrived: the entry index and
// the serial of the connection that held the entry then. The serial tells a line from a
// connection that has closed since apart from one sent by a later holder of the entry.
struct QueuedRequest
{
    QByteArray line;
    int entry = 0;
    quint64 connectionId = 0;
};

// First in, first out; lines from every connection in arrival order. Each entry's bytes
// are cut at 0xFF by its own framer, so a message split across reads is reassembled.
class RequestQueue
{
public:
    static constexpr int MaxEntries = 9;
    // Lines one connection may have waiting; a peer that sends faster than the host
    // serves would otherwise delay everybody else.
    static constexpr qsizetype MaxWaitingPerConnection = 256;

    enum class FeedResult { Queued, Overflowed, Flooded };

    // Queues every message the bytes complete for the connection in entry (1 to 9).
    // Overflowed: its unfinished message passed MessageFramer::MaxPending bytes. Flooded:
    // it has too many lines waiting; its lines are removed. Either way the caller closes it.
    FeedResult feed(int entry, quint64 connectionId, const QByteArray &bytes);
    // Forgets an entry's unfinished message (its connection closed or a new one arrived).
    void resetEntry(int entry);

    void push(QueuedRequest request);
    // The front line, removed; an empty request (entry 0) when the queue is empty.
    QueuedRequest takeFirst();
    // Removes every line of one connection; returns how many there were.
    qsizetype removeFrom(quint64 connectionId);

    bool isEmpty() const { return m_lines.empty(); }
    qsizetype size() const { return qsizetype(m_lines.size()); }
    qsizetype pendingFrom(quint64 connectionId) const { return m_pending.value(connectionId); }

private:
    std::deque<QueuedRequest> m_lines;
    QHash<quint64, qsizetype> m_pending;
    std::array<MessageFramer, MaxEntries + 1> m_framers;
};
