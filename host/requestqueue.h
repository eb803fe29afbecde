// RequestQueue: the host's queue of received messages, each bound to the connection it came on.
#pragma once

#include "messageframer.h"
#include "protocollimits.h"

#include <QByteArray>
#include <QString>
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

// One waiting line per entry (1 to 9), each entry's lines in arrival order; takeFirst
// serves the entries in turn, so a connection that sends a lot delays the others' requests
// by at most one line per busy connection. Each entry's bytes are cut at 0xFF by its own
// framer, so a message split across reads is reassembled.
class RequestQueue
{
public:
    static constexpr int MaxEntries = 9;
    // What one connection may have waiting, in lines and in bytes: a peer that sends faster
    // than the host serves is stopped there. The whole queue holds at most MaxEntries times
    // as much (plus each entry's unfinished message).
    static constexpr qsizetype MaxWaitingPerConnection = 256;
    static constexpr qsizetype MaxWaitingBytesPerConnection = 2 * limits::MaxMessageBytes;
    static constexpr qsizetype MaxWaitingLines = MaxEntries * MaxWaitingPerConnection;
    static constexpr qsizetype MaxWaitingBytes = MaxEntries * MaxWaitingBytesPerConnection;

    // Queued: every message is waiting. Overflowed: the unfinished message passed
    // MessageFramer::MaxPending bytes. Flooded: too much is waiting; the entry's lines are
    // removed. Trimmed: the same for a connection that may not be closed: the lines that did
    // not fit, or the too-long message, were dropped; what waited before keeps waiting.
    enum class FeedResult { Queued, Overflowed, Flooded, Trimmed };

    // Queues every message the bytes complete for the connection in entry (1 to 9). A
    // closable connection that floods or overflows is to be closed by the caller.
    FeedResult feed(int entry, quint64 connectionId, const QByteArray &bytes, bool closable = true);
    // What happened to the connection in entry, in one line for the host's report; empty
    // for Queued.
    static QString describe(FeedResult result, int entry);
    // Forgets everything of an entry: its unfinished message and its waiting lines (its
    // connection closed or a new one arrived).
    void resetEntry(int entry);

    void push(QueuedRequest request);
    // The next entry's front line, removed; an empty request (entry 0) when nothing waits.
    QueuedRequest takeFirst();

    bool isEmpty() const { return m_size == 0; }
    qsizetype size() const { return m_size; }
    qsizetype bytes() const { return m_bytes; }
    qsizetype waitingOn(int entry) const;

private:
    struct Entry
    {
        std::deque<QueuedRequest> lines;
        qsizetype bytes = 0;
        MessageFramer framer;
    };

    bool fits(const Entry &e, const QByteArray &line) const;
    void dropLines(Entry &e);

    std::array<Entry, MaxEntries + 1> m_entries;
    int m_lastServed = 0;
    qsizetype m_size = 0;
    qsizetype m_bytes = 0;
};
