#include "serverstats.h"

namespace {

const char *const DropNames[] = {
    "unknown code",           "guessing", "table full", "address full", "bad first message",
    "first message too long", "silent",   "send bound", "file limit",   "table protections",
};
static_assert(std::size(DropNames) == std::size_t(ServerStats::Drop::Count));

} // namespace

QByteArray ServerStats::summarize(qsizetype tables, qsizetype connections, double seconds)
{
    const double perSecond = seconds > 0 ? double(m_requests) / seconds : 0.0;
    QByteArray line = QByteArray::number(tables) + " tables, " + QByteArray::number(connections) + " connections, "
                      + QByteArray::number(perSecond, 'f', 1) + " requests/s, " + QByteArray::number(m_redirects)
                      + " redirected; dropped:";
    qint64 total = 0;
    for (int i = 0; i < int(Drop::Count); ++i) {
        if (m_drops[i] == 0)
            continue;
        line += (total == 0 ? " " : ", ") + QByteArray(DropNames[i]) + ' ' + QByteArray::number(m_drops[i]);
        total += m_drops[i];
    }
    if (total == 0)
        line += " none";
    m_requests = 0;
    m_redirects = 0;
    m_drops.fill(0);
    return line;
}
