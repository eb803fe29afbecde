#include "messageframer.h"

#include "protocol.h"

QList<QByteArray> MessageFramer::feed(const QByteArray &bytes)
{
    QList<QByteArray> messages;
    if (m_overflowed)
        return messages;
    m_pending.append(bytes);
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = m_pending.indexOf(protocol::Terminator, start);
        if (end < 0)
            break;
        messages.append(m_pending.mid(start, end - start));
        start = end + 1;
    }
    m_pending.remove(0, start);
    if (m_pending.size() > MaxPending) {
        m_overflowed = true;
        m_pending.clear();
    }
    return messages;
}

void MessageFramer::clear()
{
    m_pending.clear();
    m_overflowed = false;
}
