// TallyStore: the compressed tally file beside the program.
#pragma once

#include "tallytable.h"

#include <QString>

class MemoryFile;

// Reads and writes a TallyTable as its grid text in the compressed container (fast method).
// The plain grid text never reaches a disk. Saving compresses into a new file beside the
// tally file and renames it over the tally file only when complete, so a failed save keeps
// the previous file; it is cheap enough to run after every counted game.
class TallyStore
{
public:
    // The tally file's name: game name + "tally.tld".
    static constexpr QLatin1String FileName{"Dorvanetally.tld"};
    // The tally file in the program folder.
    static QString defaultPath();
    // A decompressed tally larger than this is taken as damaged, not read.
    static constexpr qint64 MaxGridBytes = 16 * 1024 * 1024;
    // A save's unfinished file beside the tally file: the tally file's name, this marker and
    // six random characters.
    static constexpr QLatin1String SavingMarker{".saving-"};
    // A file that could not be read is kept under its name + this suffix (then "-2", "-3" ...
    // when that name is taken) before a save replaces it.
    static constexpr QLatin1String DamagedSuffix{".damaged"};

    explicit TallyStore(QString path = defaultPath());

    const QString &path() const { return m_path; }

    // Removes the unfinished files of saves that were killed midway; run at start-up.
    void removeLeftovers() const;

    // The saved table with the counters of this run at 0. No file: an empty table and an
    // empty error. A file that cannot be decompressed or whose grid text is damaged: an
    // empty table and, in error, the reason and the name the file will be kept under.
    TallyTable load(QString *error = nullptr);
    // Writes table to the tally file; false when it could not (the previous file stays).
    // A file that load could not read is first kept under keptPath().
    bool save(const TallyTable &table);
    // Where the unreadable file goes at the next save; empty when there is none.
    const QString &keptPath() const { return m_keepAs; }

private:
    QString outcome() const;
    bool checkHeader(QString *error) const;
    bool decompressTo(const MemoryFile &plain, QString *error) const;
    bool compressBeside(const MemoryFile &plain);
    QString freeKeptName() const;
    bool keepDamaged();

    QString m_path;
    QString m_keepAs;
};
