#include "tallystore.h"

#include "lzrw1.h"
#include "memoryfile.h"
#include "programfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <stdlib.h>
#include <unistd.h>

namespace {

// Names tried for a kept damaged file: the suffix alone, then -2 .. -MaxKept.
constexpr int MaxKept = 99;

std::string localName(const QString &name)
{
    return QFile::encodeName(name).toStdString();
}

// Removes a file on scope exit unless released.
class FileRemover
{
public:
    explicit FileRemover(std::string name)
        : m_name(std::move(name))
    {
    }
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
    return programFolder() + FileName;
}

TallyStore::TallyStore(QString path)
    : m_path(std::move(path))
{
}

void TallyStore::removeLeftovers() const
{
    const QFileInfo tally(m_path);
    // Exactly what mkstemp makes of the template in compressBeside: the marker and six
    // letters or digits. Compared by hand: a name filter or a regular expression would
    // compile (and JIT) a pattern at every start.
    const QString prefix = tally.fileName() + SavingMarker;
    const auto unfinished = [&prefix](const QString &name) {
        return name.size() == prefix.size() + 6 && name.startsWith(prefix)
               && std::all_of(name.cbegin() + prefix.size(), name.cend(),
                              [](QChar c) { return c.unicode() < 128 && (c.isLetter() || c.isDigit()); });
    };
    QDir folder = tally.absoluteDir();
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (unfinished(name))
            folder.remove(name);
    }
}

TallyTable TallyStore::load(QString *error)
{
    if (error != nullptr)
        error->clear();
    m_keepAs.clear();
    if (!QFileInfo::exists(m_path))
        return TallyTable();
    QString reason;
    MemoryFile plain;
    if (!plain.isValid()) {
        reason = QStringLiteral("The tally file %1 cannot be read: no memory for its text.").arg(m_path);
    } else if (checkHeader(&reason) && decompressTo(plain, &reason)) {
        QString damage = QStringLiteral("too large");
        std::optional<TallyTable> table;
        if (const std::optional<QByteArray> text = plain.read(MaxGridBytes))
            table = TallyTable::fromGridText(*text, &damage);
        if (table) {
            table->clearSession();
            return *table;
        }
        reason = QStringLiteral("The tally file %1 is damaged (%2).").arg(m_path, damage);
    }
    m_keepAs = freeKeptName();
    if (error != nullptr)
        *error = reason + u'\n' + outcome();
    return TallyTable();
}

// What becomes of a file that could not be read, for the end of the error text.
QString TallyStore::outcome() const
{
    if (m_keepAs.isEmpty())
        return QStringLiteral("The tally starts empty, and the next save replaces that file.");
    return QStringLiteral("The tally starts empty; before a new tally replaces that file, it is kept as %1.")
        .arg(m_keepAs);
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
    *error = QStringLiteral("The tally file %1 is damaged (too large).").arg(m_path);
    return false;
}

bool TallyStore::decompressTo(const MemoryFile &plain, QString *error) const
{
    try {
        Tlzrw1 doit;
        doit.setCompressMode(TCompressMode::Fast);
        doit.setInputFile(localName(m_path));
        doit.setOutputFile(localName(plain.path()));
        doit.Decompress();
        return true;
    } catch (const std::exception &e) {
        *error = QString::fromLocal8Bit(e.what());
        return false;
    }
}

bool TallyStore::save(const TallyTable &table)
{
    MemoryFile plain;
    return plain.write(table.toGridText()) && compressBeside(plain);
}

// Compresses the plain grid text into a new file in the tally file's folder and renames it
// over the tally file only when the compression is complete.
bool TallyStore::compressBeside(const MemoryFile &plain)
{
    std::string temp = localName(m_path + SavingMarker + QStringLiteral("XXXXXX"));
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    ::close(fd);
    FileRemover remover(temp);
    try {
        Tlzrw1 doit;
        doit.setCompressMode(TCompressMode::Fast);
        doit.setInputFile(localName(plain.path()));
        doit.setOutputFile(temp);
        doit.Compress();
    } catch (const std::exception &) {
        return false;
    }
    const QFileDevice::Permissions keep =
        QFileInfo::exists(m_path) ? QFile::permissions(m_path)
                                  : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                                        | QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    QFile::setPermissions(QFile::decodeName(temp.c_str()), keep);
    if (!syncFile(temp) || !keepDamaged() || std::rename(temp.c_str(), localName(m_path).c_str()) != 0)
        return false;
    remover.release();
    return true;
}

// The first of name.damaged, name.damaged-2 ... that is free; empty when all are taken.
QString TallyStore::freeKeptName() const
{
    for (int n = 1; n <= MaxKept; ++n) {
        const QString name = m_path + DamagedSuffix + (n > 1 ? QStringLiteral("-%1").arg(n) : QString());
        if (!QFileInfo::exists(name) && !QFileInfo(name).isSymLink())
            return name;
    }
    return {};
}

// Gives the file that load could not read a second name (or moves it there where the file
// system has no links), so the rename of the new tally leaves it in place. False when it
// cannot be kept: the save is then not made, and the file stays as it is.
bool TallyStore::keepDamaged()
{
    if (m_keepAs.isEmpty() || !QFileInfo::exists(m_path)) {
        m_keepAs.clear();
        return true;
    }
    if (QFileInfo::exists(m_keepAs) || QFileInfo(m_keepAs).isSymLink())
        m_keepAs = freeKeptName();
    if (m_keepAs.isEmpty())
        return false;
    const std::string from = localName(m_path), to = localName(m_keepAs);
    if (::link(from.c_str(), to.c_str()) != 0 && std::rename(from.c_str(), to.c_str()) != 0)
        return false;
    m_keepAs.clear();
    return true;
}
