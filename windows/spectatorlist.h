// SpectatorList: the spectators of the game, kept whether or not the spy list window exists.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// Entries read "<seat>: <name>" (seats 5 to 9) in order of arrival. The client's command
// processing adds and removes them; the spy list window, when it is built, shows them and
// follows every change.
class SpectatorList : public QObject
{
    Q_OBJECT
public:
    explicit SpectatorList(QObject *parent = nullptr);

    static QString entryText(int seat, const QString &name);
    // The seat number before the entry's first ':'; 0 when there is none.
    static int seatOf(const QString &entry);

    // Adds the entry "<seat>: <name>" at the end.
    void add(int seat, const QString &name);
    // Removes the entry "<seat>: <name>" (letter case ignored); false when there is none,
    // in which case nothing changes.
    bool remove(int seat, const QString &name);
    // Removes every entry, last first.
    void clear();
    const QStringList &entries() const { return m_entries; }

Q_SIGNALS:
    // Emitted after an entry was appended at position index.
    void entryAdded(int index, const QString &entry);
    // Emitted after the entry at position index was removed.
    void entryRemoved(int index);

private:
    int indexOf(const QString &entry) const;

    QStringList m_entries;
};
