// NamedLock: a per-user lock on a file in the runtime folder that dies with its process.
#pragma once

#include <QString>

// flock() on "<runtime folder>/<name>.lock". The kernel drops the lock when the holding
// process ends, however it ends, so a crashed copy never blocks a later one.
class NamedLock
{
public:
    enum class Mode { Exclusive, Shared };

    explicit NamedLock(QString name, Mode mode = Mode::Exclusive);
    ~NamedLock();
    NamedLock(const NamedLock &) = delete;
    NamedLock &operator=(const NamedLock &) = delete;

    // Takes the lock without waiting; true when this process holds it now.
    bool tryLock();
    bool isLocked() const { return m_fd >= 0; }
    void unlock();

    // The folder that holds the lock files: XDG_RUNTIME_DIR, else a private folder in /tmp.
    static QString runtimeFolder();
    QString filePath() const;

private:
    QString m_name;
    Mode m_mode;
    int m_fd = -1;
};
