// The INI reader over any file content: reads, then writes of two keys that must keep every
// other line as it was and read back as written.
//
// Input: the whole input is the file.
#include "fuzztargets.h"

#include "inifile.h"

#include <QFile>

#include <algorithm>
#include <vector>

namespace fuzz_inifile {

namespace {

using fuzzsupport::check;

QString scratchPath()
{
    return QString::fromLocal8Bit(fuzzsupport::scratchDir()) + QStringLiteral("/settings.ini");
}

QList<QByteArray> linesOf(const QByteArray &bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

// How many lines of before are missing from after: the lines outside their longest common
// subsequence. -1 when the files are too long to compare quickly.
int linesLost(const QByteArray &before, const QByteArray &after)
{
    const QList<QByteArray> old = linesOf(before);
    const QList<QByteArray> now = linesOf(after);
    if (old.size() > 400 || now.size() > 400)
        return -1;
    std::vector<int> row(std::size_t(now.size()) + 1, 0);
    for (const QByteArray &line : old) {
        int diagonal = 0;
        for (qsizetype j = 1; j <= now.size(); ++j) {
            const int above = row[std::size_t(j)];
            row[std::size_t(j)] = line == now[j - 1] ? diagonal + 1 : std::max(above, row[std::size_t(j - 1)]);
            diagonal = above;
        }
    }
    return int(old.size()) - row.back();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    check(file.open(QIODevice::ReadOnly), "scratch file reads");
    return file.readAll();
}

} // namespace

int fuzzOne(const std::uint8_t *data, std::size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = scratchPath();
    {
        QFile file(path);
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "scratch file opens");
        check(file.write(content) == content.size(), "scratch file written");
    }
    IniFile ini(path);
    ini.readString(QStringLiteral("Game"), QStringLiteral("Name"));
    ini.readInteger(QStringLiteral("Game"), QStringLiteral("Port"), 7772);
    ini.readString(QString(), QString());

    check(ini.writeString(QStringLiteral("Game"), QStringLiteral("Name"), QStringLiteral("Fuzz")),
          "a key is written");
    check(ini.readString(QStringLiteral("game"), QStringLiteral("NAME")) == QLatin1String("Fuzz"),
          "a written key reads back");
    check(ini.writeString(QStringLiteral("Other"), QStringLiteral("Port"), QStringLiteral("12")),
          "a second key is written");
    check(ini.readInteger(QStringLiteral("Other"), QStringLiteral("Port"), 0) == 12,
          "a written number reads back");
    check(ini.readString(QStringLiteral("Game"), QStringLiteral("Name")) == QLatin1String("Fuzz"),
          "writing one key keeps the others");
    // Each write replaces at most one line; every other line stays byte for byte.
    check(linesLost(content, readAll(path)) <= 2, "writing keeps the other lines as they were");
    return 0;
}

} // namespace fuzz_inifile
