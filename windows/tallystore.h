// TallyStore: the compressed tally file beside the program.
#pragma once

#include "tallytable.h"

#include <QString>

// Reads and writes a TallyTable as its grid text in the compressed container (fast method).
// The plain grid text only ever lives in a private temporary folder. Saving replaces the
// tally file in one rename after a complete compression, so a failed save keeps the
// previous file; it is cheap enough to run after every counted game.
class TallyStore
{
public:
    // The tally file's name in the program folder: game name + "tally.tld".
    static QString defaultPath();
    // A decompressed tally larger than this is taken as damaged, not read.
    static constexpr qint64 MaxGridBytes = 16 * 1024 * 1024;

    explicit TallyStore(QString path = defaultPath());

    const QString &path() const { return m_path; }

    // The saved table with the counters of this run at 0. No file: an empty table and an
    // empty error. A file that cannot be decompressed or whose grid text is damaged: an
    // empty table and the reason in error, for the user.
    TallyTable load(QString *error = nullptr) const;
    // Writes table to the tally file; false when it could not (the previous file stays).
    bool save(const TallyTable &table) const;

private:
    bool checkHeader(QString *error) const;
    bool decompressTo(const QString &plainFile, QString *error) const;
    static bool writeFile(const QString &name, const QByteArray &data);
    bool compressBeside(const QString &plainFile) const;

    QString m_path;
};
