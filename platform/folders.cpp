#include "folders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

bool SystemFolders::isWritable(const QString &folder) const
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".writable-XXXXXX")));
    return probe.open(); // removed again when probe goes
}

QString SystemFolders::userDataFolder() const
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return QString();
    return QDir(folder).absolutePath() + QLatin1Char('/');
}
