#include "messageframer.h"

#include "protocol.h"

QList<QByteArray> MessageFramer::feed(const QByteArray &bytes)
{
    QList<QByteArray> messages;
    if (m_overflowed)
        return messages;
    m_pending.append(bytes);
    qsizetype start = 0;
    bool tooLong = false;
    for (;;) {
        const qsizetype end = m_pending.indexOf(protocol::Terminator, start);
        if (end < 0)
            break;
        // A message is too long whether or not its terminator came in the same read:
        // the verdict must not depend on how the stream happened to be cut.
        tooLong = end - start > MaxPending;
        if (tooLong)
            break;
        messages.append(m_pending.mid(start, end - start));
        start = end + 1;
    }
    if (tooLong || m_pending.size() - start > MaxPending) {
        m_overflowed = true;
        m_pending.clear();
        return messages;
    }
    m_pending.remove(0, start);
    // A long message once passed through must not keep its buffer for the connection's life.
    if (m_pending.capacity() > 4096 && m_pending.size() < m_pending.capacity() / 4)
        m_pending.squeeze();
    return messages;
}

void MessageFramer::clear()
{
    m_pending.clear();
    m_overflowed = false;
}
