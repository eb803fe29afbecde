#include "memoryfile.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

MemoryFile::MemoryFile()
    : m_fd(::memfd_create("dorvane", MFD_CLOEXEC))
{
}

MemoryFile::~MemoryFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString MemoryFile::path() const
{
    return QStringLiteral("/proc/self/fd/%1").arg(m_fd);
}

bool MemoryFile::write(const QByteArray &data)
{
    if (m_fd < 0 || ::ftruncate(m_fd, 0) != 0)
        return false;
    qint64 done = 0;
    while (done < data.size()) {
        const ssize_t n = ::pwrite(m_fd, data.constData() + done, size_t(data.size() - done), off_t(done));
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

std::optional<QByteArray> MemoryFile::read(qint64 maxBytes) const
{
    struct stat info
    {
    };
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0 || info.st_size > maxBytes)
        return std::nullopt;
    QByteArray data(qsizetype(info.st_size), Qt::Uninitialized);
    qint64 done = 0;
    while (done < data.size()) {
        const ssize_t n = ::pread(m_fd, data.data() + done, size_t(data.size() - done), off_t(done));
        if (n <= 0)
            return std::nullopt;
        done += n;
    }
    return data;
}
