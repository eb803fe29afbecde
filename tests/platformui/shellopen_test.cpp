// DesktopShellOpen starts real programs and refuses what it cannot start or must not
// open; SystemFolders answers from the file system.
#include "folders.h"
#include "shellopen.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString writeFile(const QString &path, const QByteArray &content, QFileDevice::Permissions permissions)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return QString();
    file.close();
    file.setPermissions(permissions);
    return path;
}

TEST(DesktopShellOpen, StartsAProgramWithItsArguments)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString out = dir.filePath(QStringLiteral("arguments.txt"));
    const QString script = writeFile(dir.filePath(QStringLiteral("installer")),
                                     "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + out.toUtf8()
                                         + ".part\"\n"
                                           "mv \""
                                         + out.toUtf8() + ".part\" \"" + out.toUtf8() + "\"\n",
                                     QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_FALSE(script.isEmpty());
    DesktopShellOpen shell;
    ASSERT_TRUE(shell.startProgram(
        script, {QStringLiteral("/SP-"), QStringLiteral("/silent"), QStringLiteral("/noicons")}));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), 10000);
    QFile written(out);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("/SP-\n/silent\n/noicons\n"));
}

TEST(DesktopShellOpen, RefusesWhatCannotStart)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString notExecutable = writeFile(dir.filePath(QStringLiteral("plain")), "#!/bin/sh\nexit 0\n",
                                            QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QString notAProgram =
        writeFile(dir.filePath(QStringLiteral("vnlsetup.exe")), "MZ\x90\x00 not for this system",
                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const struct
    {
        const char *name;
        QString path;
    } cases[] = {
        {"empty path", QString()},
        {"missing file", dir.filePath(QStringLiteral("missing"))},
        {"no execute permission", notExecutable},
        {"executable but no program", notAProgram},
        {"a folder", dir.path()},
    };
    DesktopShellOpen shell;
    for (const auto &c : cases)
        EXPECT_FALSE(shell.startProgram(c.path, {QStringLiteral("/silent")})) << c.name;
}

TEST(DesktopShellOpen, OpensOnlyWebAddresses)
{
    DesktopShellOpen shell;
    for (const char *url : {"", "file:///etc/passwd", "/usr/bin/xterm", "javascript:alert(1)",
                            "ftp://example.invalid/x", "http://", "smb://server/share"})
        EXPECT_FALSE(shell.openUrl(QString::fromLatin1(url))) << url;
}

TEST(SystemFolders, WritableOnlyWhereAFileCanBeCreated)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file =
        writeFile(dir.filePath(QStringLiteral("file")), "x", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    SystemFolders folders;
    EXPECT_TRUE(folders.isWritable(dir.path() + QLatin1Char('/')));
    EXPECT_FALSE(folders.isWritable(dir.filePath(QStringLiteral("missing/"))));
    EXPECT_FALSE(folders.isWritable(file));
    EXPECT_FALSE(folders.isWritable(QString()));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"file"})
        << "the probe leaves nothing behind";
}

TEST(SystemFolders, UserDataFolderIsMadeWhenMissing)
{
    QStandardPaths::setTestModeEnabled(true);
    const QString folder = SystemFolders().userDataFolder();
    QStandardPaths::setTestModeEnabled(false);
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_TRUE(folder.endsWith(QLatin1Char('/')));
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

} // namespace
