#include "namedlock.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString ownPrefix()
{
    return QStringLiteral("dorvane-%1").arg(::geteuid());
}

// Makes "<temp>/dorvane-<uid>" when it does not exist yet; true when it is usable now.
bool makeOwnFolder(const QString &path)
{
    const QByteArray bytes = QFile::encodeName(path);
    if (::mkdir(bytes.constData(), 0700) == 0) {
        // Ours from the start: a umask may only have taken bits away, so nobody else is in it.
        ::chmod(bytes.constData(), 0700);
    }
    return NamedLock::isPrivateFolder(path);
}

// A folder "<temp>/dorvane-<uid>-XXXXXX" made earlier (so later copies meet the first one) or now.
QString freshFolder(const QString &temp)
{
    const QDir dir(temp);
    const QStringList earlier = dir.entryList({ownPrefix() + QStringLiteral("-??????")},
                                              QDir::Dirs | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &name : earlier) {
        const QString path = dir.filePath(name);
        if (NamedLock::isPrivateFolder(path))
            return path;
    }
    QByteArray pattern = QFile::encodeName(dir.filePath(ownPrefix() + QStringLiteral("-XXXXXX")));
    if (!::mkdtemp(pattern.data()))
        return QString();
    return QFile::decodeName(pattern);
}

} // namespace

NamedLock::NamedLock(QString name, Mode mode, QString folder)
    : m_name(std::move(name))
    , m_mode(mode)
    , m_folder(folder.isEmpty() ? runtimeFolder() : std::move(folder))
{
}

NamedLock::~NamedLock()
{
    unlock();
}

bool NamedLock::isPrivateFolder(const QString &path)
{
    struct stat info
    {
    };
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 07777) == 0700;
}

QString NamedLock::privateFolder(const QString &runtime, const QString &temp)
{
    if (isPrivateFolder(runtime))
        return runtime;
    if (temp.isEmpty())
        return QString();
    const QString own = QDir(temp).filePath(ownPrefix());
    if (makeOwnFolder(own))
        return own;
    // Someone else made that name, or it is a link: never use it, never change it.
    return freshFolder(temp);
}

QString NamedLock::runtimeFolder()
{
    static const QString folder = privateFolder(qEnvironmentVariable("XDG_RUNTIME_DIR"), QDir::tempPath());
    return folder;
}

QString NamedLock::filePath() const
{
    return m_folder + QLatin1Char('/') + m_name + QStringLiteral(".lock");
}

bool NamedLock::tryLock()
{
    if (m_fd >= 0)
        return true;
    m_heldByAnother = false;
    if (m_folder.isEmpty())
        return false;
    const QByteArray path = QFile::encodeName(filePath());
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    const int op = (m_mode == Mode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    if (::flock(fd, op) != 0) {
        m_heldByAnother = errno == EWOULDBLOCK;
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
