#include "tallystore.h"

#include "lzrw1.h"
#include "programfolder.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <utility>
#include <stdlib.h>
#include <unistd.h>

namespace {

const QString GameName = QStringLiteral("Dorvane");
const QString PlainName = QStringLiteral("tally.txt");

std::string localName(const QString &name)
{
    return QFile::encodeName(name).toStdString();
}

// Removes a file on scope exit unless released.
class FileRemover
{
public:
    explicit FileRemover(std::string name) : m_name(std::move(name)) {}
    ~FileRemover()
    {
        if (!m_name.empty())
            std::remove(m_name.c_str());
    }
    FileRemover(const FileRemover &) = delete;
    FileRemover &operator=(const FileRemover &) = delete;
    void release() { m_name.clear(); }

private:
    std::string m_name;
};

// Flushes a file's content to the disk, so the rename never exposes an empty file.
bool syncFile(const std::string &name)
{
    QFile file(QFile::decodeName(name.c_str()));
    return file.open(QIODevice::ReadOnly) && ::fsync(file.handle()) == 0;
}

} // namespace

QString TallyStore::defaultPath()
{
    return programFolder() + GameName + QStringLiteral("tally.tld");
}

TallyStore::TallyStore(QString path)
    : m_path(std::move(path))
{
}

TallyTable TallyStore::load(QString *error) const
{
    QString reason;
    if (error != nullptr)
        error->clear();
    if (!QFileInfo::exists(m_path))
        return TallyTable();
    QTemporaryDir dir;
    if (!dir.isValid()) {
        reason = QStringLiteral("The tally file %1 cannot be read: no temporary folder.").arg(m_path);
    } else if (checkHeader(&reason) && decompressTo(dir.filePath(PlainName), &reason)) {
        QFile plain(dir.filePath(PlainName));
        QString damage;
        std::optional<TallyTable> table;
        if (plain.size() > MaxGridBytes)
            damage = QStringLiteral("too large");
        else if (!plain.open(QIODevice::ReadOnly))
            damage = QStringLiteral("unreadable");
        else
            table = TallyTable::fromGridText(plain.readAll(), &damage);
        if (table) {
            table->clearSession();
            return *table;
        }
        reason = QStringLiteral("The tally file %1 is damaged (%2); the tally starts empty.").arg(m_path, damage);
    }
    if (error != nullptr)
        *error = reason;
    return TallyTable();
}

// Refuses a container that announces an absurd size before anything is decompressed.
bool TallyStore::checkHeader(QString *error) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return true; // the decompression reports what is wrong
    const QByteArray header = file.read(8);
    if (header.size() < 8 || !(header.startsWith("WRZL") || header.startsWith("!HZL")))
        return true;
    const auto *b = reinterpret_cast<const unsigned char *>(header.constData()) + 4;
    const quint32 size = quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 | quint32(b[3]) << 24;
    if (size <= MaxGridBytes)
        return true;
    *error = QStringLiteral("The tally file %1 is damaged (too large); the tally starts empty.").arg(m_path);
    return false;
}

bool TallyStore::decompressTo(const QString &plainFile, QString *error) const
{
    try {
        Tlzrw1 doit;
        doit.setCompressMode(TCompressMode::Fast);
        doit.setInputFile(localName(m_path));
        doit.setOutputFile(localName(plainFile));
        doit.Decompress();
        return true;
    } catch (const std::exception &e) {
        *error = QString::fromLocal8Bit(e.what());
        return false;
    }
}

bool TallyStore::save(const TallyTable &table) const
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return false;
    const QString plain = dir.filePath(PlainName);
    return writeFile(plain, table.toGridText()) && compressBeside(plain);
}

bool TallyStore::writeFile(const QString &name, const QByteArray &data)
{
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const bool written = file.write(data) == data.size();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

// Compresses plainFile into a new file in the tally file's folder and renames it over the
// tally file only when the compression is complete.
bool TallyStore::compressBeside(const QString &plainFile) const
{
    std::string temp = localName(m_path + QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    ::close(fd);
    FileRemover remover(temp);
    try {
        Tlzrw1 doit;
        doit.setCompressMode(TCompressMode::Fast);
        doit.setInputFile(localName(plainFile));
        doit.setOutputFile(temp);
        doit.Compress();
    } catch (const std::exception &) {
        return false;
    }
    const QFileDevice::Permissions keep = QFileInfo::exists(m_path)
        ? QFile::permissions(m_path)
        : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser
              | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    QFile::setPermissions(QFile::decodeName(temp.c_str()), keep);
    if (!syncFile(temp) || std::rename(temp.c_str(), localName(m_path).c_str()) != 0)
        return false;
    remover.release();
    return true;
}
