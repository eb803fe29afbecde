// Peak resident memory of reading the client's settings (every key and the nine phrases, as
// a connecting client does) from a settings file of the given size, most of it another
// program's section. Prints the peak before and after the read, and the time it took.
// Usage: bench-settings-memory [megabytes]
#include "clientsettings.h"
#include "phrasesform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

// Peak resident set of this process in KiB (VmHWM), 0 when /proc cannot say.
long peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

bool writeLargeFile(const QString &path, qint64 megabytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("[Dorvane]\nTextsize=12\nTextcolor=clBlue\nPhrase1=Hello there\n\n[Other program]\n");
    const QByteArray line = QByteArray("entry=") + QByteArray(90, 'v') + '\n';
    for (qint64 written = 0; written < megabytes * 1024 * 1024; written += line.size())
        file.write(line);
    return file.flush();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vornlobby.ini"));
    if (!dir.isValid() || !writeLargeFile(path, megabytes)) {
        std::fprintf(stderr, "cannot write the test file\n");
        return 1;
    }
    const long before = peakKiB();
    QElapsedTimer timer;
    timer.start();
    ClientSettings settings(path);
    const ClientSettings::Values values = settings.read();
    const QStringList phrases = Tphrases::storedPhrases(settings.file(), QStringList(9, QStringLiteral("x")));
    const qint64 ms = timer.elapsed();
    const long after = peakKiB();
    std::printf("settings file of %lld MB: peak resident %.1f MiB before the read, %.1f MiB after "
                "(+%.1f MiB), read in %lld ms; text size read %d, first phrase \"%s\"\n",
                megabytes, before / 1024.0, after / 1024.0, (after - before) / 1024.0, ms, values.options.textSize,
                qPrintable(phrases.value(0)));
    return 0;
}
