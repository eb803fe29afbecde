// NamedLock: a per-user lock on a file in a private folder that dies with its process.
#pragma once

#include <QString>

// flock() on "<folder>/<name>.lock". The kernel drops the lock when the holding process ends,
// however it ends, so a crashed copy never blocks a later one. The folder is the user's own:
// nobody else can create, hold or replace the lock file (see privateFolder).
class NamedLock
{
public:
    enum class Mode { Exclusive, Shared };

    // folder: where the lock file lives; empty for runtimeFolder().
    explicit NamedLock(QString name, Mode mode = Mode::Exclusive, QString folder = QString());
    ~NamedLock();
    NamedLock(const NamedLock &) = delete;
    NamedLock &operator=(const NamedLock &) = delete;

    // Takes the lock without waiting; true when this process holds it now.
    bool tryLock();
    bool isLocked() const { return m_fd >= 0; }
    // After a failed tryLock: true when another holder has it, false when the lock file
    // could not be opened at all (no usable folder).
    bool heldByAnother() const { return m_heldByAnother; }
    void unlock();

    // The folder that holds the lock files of this user: privateFolder() over XDG_RUNTIME_DIR
    // and the system's temporary folder, decided once per process.
    static QString runtimeFolder();
    // The first usable of: runtime (the per-user runtime folder), "<temp>/dorvane-<uid>",
    // a folder "<temp>/dorvane-<uid>-XXXXXX" made by an earlier copy, a new such folder.
    // Usable means a real folder (a link is never followed), owned by this user, mode 0700.
    // A folder someone else made, or one open to others, is left untouched. Empty when none
    // can be made.
    static QString privateFolder(const QString &runtime, const QString &temp);
    // True when path is a folder (not a link) owned by this user with mode 0700.
    static bool isPrivateFolder(const QString &path);

    QString folder() const { return m_folder; }
    QString filePath() const;

private:
    QString m_name;
    Mode m_mode;
    QString m_folder;
    int m_fd = -1;
    bool m_heldByAnother = false;
};
