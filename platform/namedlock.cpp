#include "namedlock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

NamedLock::NamedLock(QString name, Mode mode)
    : m_name(std::move(name))
    , m_mode(mode)
{
}

NamedLock::~NamedLock()
{
    unlock();
}

QString NamedLock::runtimeFolder()
{
    static const QString folder = [] {
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
            return runtime;
        // A per-user folder of our own, readable by its owner only.
        const QString own = QDir::tempPath() + QStringLiteral("/dorvane-%1").arg(::getuid());
        QDir().mkpath(own);
        QFile::setPermissions(own, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return own;
    }();
    return folder;
}

QString NamedLock::filePath() const
{
    return runtimeFolder() + QLatin1Char('/') + m_name + QStringLiteral(".lock");
}

bool NamedLock::tryLock()
{
    if (m_fd >= 0)
        return true;
    const QByteArray path = QFile::encodeName(filePath());
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const int op = (m_mode == Mode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    if (::flock(fd, op) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void NamedLock::unlock()
{
    if (m_fd < 0)
        return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}
