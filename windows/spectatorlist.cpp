#include "spectatorlist.h"

SpectatorList::SpectatorList(QObject *parent)
    : QObject(parent)
{
}

QString SpectatorList::entryText(int seat, const QString &name)
{
    return QString::number(seat) + QStringLiteral(": ") + name;
}

int SpectatorList::seatOf(const QString &entry)
{
    bool ok = false;
    const int seat = entry.section(QLatin1Char(':'), 0, 0).toInt(&ok);
    return ok ? seat : 0;
}

void SpectatorList::add(int seat, const QString &name)
{
    m_entries.append(entryText(seat, name));
    Q_EMIT entryAdded(int(m_entries.size()) - 1, m_entries.back());
}

bool SpectatorList::remove(int seat, const QString &name)
{
    const int index = indexOf(entryText(seat, name));
    if (index < 0)
        return false;
    m_entries.removeAt(index);
    Q_EMIT entryRemoved(index);
    return true;
}

void SpectatorList::clear()
{
    while (!m_entries.isEmpty()) {
        m_entries.removeLast();
        Q_EMIT entryRemoved(int(m_entries.size()));
    }
}

int SpectatorList::indexOf(const QString &entry) const
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).compare(entry, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}
