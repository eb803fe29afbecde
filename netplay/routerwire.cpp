#include "routerwire.h"

namespace {

// One line of text: no line breaks inside.
QByteArray line(const char *word, const QString &text)
{
    QByteArray value = text.toUtf8().left(RouterWire::MaxLine - 32);
    value.replace('\n', ' ').replace('\r', ' ');
    return QByteArray(word) + ' ' + value + '\n';
}

} // namespace

QByteArray RouterWire::answer(const RouterMapping &mapping)
{
    QByteArray out;
    if (!mapping.lanAddress.isEmpty())
        out += line("lan", mapping.lanAddress);
    if (!mapping.externalAddress.isEmpty())
        out += line("external", mapping.externalAddress);
    if (mapping.privateExternal)
        out += "private\n";
    if (mapping.permanent)
        out += "permanent\n";
    if (!mapping.problem.isEmpty())
        out += line("problem", mapping.problem);
    if (!mapping.pinholeId.isEmpty() && !mapping.ipv6Address.isEmpty())
        out += line("ipv6", mapping.ipv6Address);
    if (!mapping.ipv6Problem.isEmpty())
        out += line("ipv6problem", mapping.ipv6Problem);
    out += mapping.opened ? "opened " + QByteArray::number(mapping.port) + "\n" : QByteArray("failed\n");
    return out;
}

QByteArray RouterWire::removed(const QString &problem)
{
    return problem.isEmpty() ? QByteArray("removed\n") : line("removefailed", problem);
}

QByteArray RouterWire::stopped(const QString &reason)
{
    return line("stopped", reason);
}

QList<RouterWire::Event> RouterWire::feed(const QByteArray &bytes)
{
    QList<Event> events;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', at);
        const QByteArray piece = bytes.mid(at, end < 0 ? -1 : end - at);
        at = end < 0 ? bytes.size() : end + 1;
        if (!m_dropping)
            m_pending += piece;
        if (m_pending.size() > MaxLine) {
            m_pending.clear();
            m_dropping = true;
        }
        if (end < 0)
            break;
        const QByteArray text = m_pending;
        const bool dropped = m_dropping;
        m_pending.clear();
        m_dropping = false;
        if (dropped)
            continue;
        const qsizetype space = text.indexOf(' ');
        const QByteArray word = space < 0 ? text : text.left(space);
        const QString value = space < 0 ? QString() : QString::fromUtf8(text.mid(space + 1));
        if (word == "lan")
            m_answer.lanAddress = value;
        else if (word == "external")
            m_answer.externalAddress = value;
        else if (word == "private")
            m_answer.privateExternal = true;
        else if (word == "permanent")
            m_answer.permanent = true;
        else if (word == "problem")
            m_answer.problem = value;
        else if (word == "ipv6")
            m_answer.ipv6Address = value;
        else if (word == "ipv6problem")
            m_answer.ipv6Problem = value;
        else if (word == "opened" || word == "failed") {
            Event event;
            event.mapping = m_answer;
            event.mapping.opened = word == "opened";
            event.mapping.port = event.mapping.opened ? static_cast<quint16>(value.toUInt()) : 0;
            m_answer = {};
            events.append(event);
        } else if (word == "removed" || word == "removefailed") {
            Event event;
            event.kind = Event::Removed;
            event.text = value;
            events.append(event);
        } else if (word == "stopped") {
            Event event;
            event.kind = Event::Stopped;
            event.text = value;
            events.append(event);
        }
    }
    return events;
}
