#include "protocol.h"

#include <limits>

namespace protocol {

QByteArray frame(const QByteArray &message)
{
    QByteArray out;
    out.reserve(message.size() + 1);
    out.append(message);
    out.append(Terminator);
    return out;
}

std::pair<QByteArray, QByteArray> splitCommand(const QByteArray &line)
{
    const qsizetype plus = line.indexOf(Separator);
    if (plus < 0)
        return {QByteArray(), QByteArray()};
    return {line.left(plus), line.mid(plus + 1)};
}

int toInt(const QByteArray &text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        throw ProtocolError("'" + text.left(40).toStdString() + "' is not a valid integer value");
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            throw ProtocolError("'" + text.left(40).toStdString() + "' is not a valid integer value");
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<int>::max())
            throw ProtocolError("'" + text.left(40).toStdString() + "' is not a valid integer value");
    }
    return static_cast<int>(negative ? -value : value);
}

FieldCursor::FieldCursor(QByteArray rest)
    : m_rest(std::move(rest))
{
}

QByteArray FieldCursor::take()
{
    const qsizetype plus = m_rest.indexOf(Separator);
    if (plus < 0) {
        QByteArray all = m_rest;
        m_rest.clear();
        return all;
    }
    QByteArray field = m_rest.left(plus);
    m_rest.remove(0, plus + 1);
    return field;
}

int FieldCursor::takeInt()
{
    return toInt(take());
}

QByteArray FieldCursor::takeRest()
{
    QByteArray all = m_rest;
    m_rest.clear();
    return all;
}

QList<QByteArray> FieldCursor::takeList()
{
    QList<QByteArray> items;
    m_rest.append("+@");
    while (!m_rest.isEmpty() && m_rest != "@")
        items.append(take());
    m_rest.clear();
    return items;
}

QList<int> FieldCursor::takeDieList()
{
    QList<int> dice;
    if (m_rest == "none") {
        m_rest.clear();
        return dice;
    }
    for (const QByteArray &item : takeList()) {
        const int die = toInt(item);
        if (die < 1 || die > 10)
            throw ProtocolError("die number out of range: " + item.left(40).toStdString());
        dice.append(die);
    }
    return dice;
}

} // namespace protocol
