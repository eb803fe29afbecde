// Cuts one connection's byte stream into protocol messages at each 0xFF.
#pragma once

#include "protocollimits.h"

#include <QByteArray>
#include <QList>

// Keeps the bytes after the last terminator until the next read, so a message split
// across reads is reassembled. A message that grows past MaxPending bytes (whether or not
// its terminator came in the same read) marks the stream as overflowing; the owner then
// closes the connection.
class MessageFramer
{
public:
    static constexpr qsizetype MaxPending = limits::MaxMessageBytes;

    // Appends received bytes and returns every message completed by them, in order,
    // without terminators. After an overflow nothing more is returned.
    QList<QByteArray> feed(const QByteArray &bytes);

    bool overflowed() const { return m_overflowed; }
    qsizetype pendingSize() const { return m_pending.size(); }
    void clear();

private:
    QByteArray m_pending;
    bool m_overflowed = false;
};
