// The choice of the folder for settings and tally: the program's folder when writable,
// otherwise the per-user data folder.
#include "datafolder.h"
#include "folders.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString ProgramFolder = QStringLiteral("/opt/dorvane/bin/");
const QString UserFolder = QStringLiteral("/home/ann/.local/share/Dorvane/");

struct FolderCase
{
    const char *name;
    bool programWritable;
    QString userFolder;
    QString expected;
};

TEST(DataFolder, ChoosesByWritabilityOfTheProgramFolder)
{
    const FolderCase cases[] = {
        {"build folder, writable", true, UserFolder, ProgramFolder},
        {"installed, read-only", false, UserFolder, UserFolder},
        {"read-only and no per-user folder", false, QString(), ProgramFolder},
        {"writable even without a per-user folder", true, QString(), ProgramFolder},
    };
    for (const FolderCase &c : cases) {
        const FixedFolders folders(c.programWritable, c.userFolder);
        EXPECT_EQ(dataFolder(folders, ProgramFolder), c.expected) << c.name;
    }
}

// The real check, on the real file system: an existing folder is writable (root included),
// a missing one is not, and then the per-user folder is made and chosen.
TEST(DataFolder, SystemCheckOnRealFolders)
{
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString existing = dir.path() + QLatin1Char('/');
    const QString missing = dir.filePath(QStringLiteral("gone")) + QLatin1Char('/');
    SystemFolders folders;

    EXPECT_EQ(dataFolder(folders, existing), existing);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty())
        << "the writability probe leaves nothing behind";

    const QString chosen = dataFolder(folders, missing);
    EXPECT_NE(chosen, missing);
    EXPECT_TRUE(chosen.endsWith(QLatin1Char('/'))) << chosen.toStdString();
    EXPECT_TRUE(QDir(chosen).exists()) << chosen.toStdString();
    QStandardPaths::setTestModeEnabled(false);
}

} // namespace
