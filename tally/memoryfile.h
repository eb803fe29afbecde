// MemoryFile: an unnamed file in memory that code working on file names can open.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Holds data that must pass through a file name (the compression container works on files)
// without ever reaching a disk: nothing is left behind, even when the process is killed.
class MemoryFile
{
public:
    MemoryFile();
    ~MemoryFile();
    MemoryFile(const MemoryFile &) = delete;
    MemoryFile &operator=(const MemoryFile &) = delete;

    // False when the system could not make the file; every other call then fails.
    bool isValid() const { return m_fd >= 0; }
    // A name that opens this file while the object lives; opening it for writing with
    // truncation empties it, as with any file.
    QString path() const;
    // Replaces the content; false when not all of it could be written.
    bool write(const QByteArray &data);
    // The content; nothing when it is larger than maxBytes or cannot be read.
    std::optional<QByteArray> read(qint64 maxBytes) const;

private:
    int m_fd = -1;
};
