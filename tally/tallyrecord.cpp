#include "tallyrecord.h"

#include "messageboxes.h"

TallyRecord::TallyRecord(const QString &path, MessageBoxes &boxes, QObject *parent)
    : QObject(parent)
    , m_store(path.isEmpty() ? TallyStore::defaultPath() : path)
{
    m_store.removeLeftovers();
    QString error;
    m_table = m_store.load(&error);
    if (!error.isEmpty()) {
        // The (empty) tally replaces the damaged file at the next save, which keeps a copy.
        m_unsaved = true;
        boxes.showError(error);
    }
}

TallyRecord::~TallyRecord()
{
    if (m_unsaved)
        m_store.save(m_table); // nothing is left to tell the user at exit
}

void TallyRecord::addgame(const QString &winner, const QStringList &playersInGame)
{
    m_table.addgame(winner, playersInGame);
    save();
}

int TallyRecord::follow(const QString &name)
{
    const int row = m_table.follow(name);
    save();
    return row;
}

bool TallyRecord::moverow(int row)
{
    if (!m_table.moverow(row))
        return false;
    save();
    return true;
}

void TallyRecord::reset()
{
    m_table.reset();
    save();
}

void TallyRecord::save()
{
    m_unsaved = !m_store.save(m_table);
    Q_EMIT changed();
}
