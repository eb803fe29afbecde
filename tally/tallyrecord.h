// TallyRecord: the run's tally, loaded from the tally file at start-up and saved at every change.
#pragma once

#include "tallystore.h"
#include "tallytable.h"

#include <QObject>
#include <QString>
#include <QStringList>

class MessageBoxes;

// Holds the table for the whole run, whether or not the tally window was ever built; the
// window changes it through these operations and shows it again whenever it changed. Construction removes what killed
// saves left, loads the file (the counters of this run start at 0) and reports a file that
// cannot be read in boxes; that empty tally replaces it at the next save, which keeps a copy
// of the damaged file. A change that could not be saved is tried again at the next change
// and when the record is destroyed.
class TallyRecord : public QObject
{
    Q_OBJECT
public:
    // path: the tally file (empty: beside the program); boxes is not kept.
    TallyRecord(const QString &path, MessageBoxes &boxes, QObject *parent = nullptr);
    ~TallyRecord() override;

    const TallyTable &table() const { return m_table; }
    const QString &path() const { return m_store.path(); }

    // Counts one finished game (TallyTable::addgame) and saves.
    void addgame(const QString &winner, const QStringList &playersInGame);
    // Follows name (TallyTable::follow) and saves; returns the name's row.
    int follow(const QString &name);
    // Drops the opponent of row 1..N and saves; false (and nothing saved) for any other row.
    bool moverow(int row);
    // Empties the tally and saves.
    void reset();

Q_SIGNALS:
    // Emitted after every change of the table.
    void changed();

private:
    // Saves, then tells the change.
    void save();

    TallyStore m_store;
    TallyTable m_table;
    bool m_unsaved = false;
};
