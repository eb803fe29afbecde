// ModuleLibrary: a module that is missing, broken, short of a library or of its entry
// point gives a message that names the file and the cause, never a crash.
#include "modulelibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString TestModules = QStringLiteral(DORVANE_TEST_MODULE_DIR);

using ValueFunction = int();

class ModuleLibraryTest : public ::testing::Test
{
protected:
    // Copies a file of the test modules folder into the scratch folder as "libprobe.so".
    void copyAsProbe(const QString &from)
    {
        ASSERT_TRUE(QFile::copy(QDir(TestModules).filePath(from), dir.filePath(QStringLiteral("libprobe.so"))));
    }

    QTemporaryDir dir;
};

TEST_F(ModuleLibraryTest, AWorkingModuleGivesItsEntryPoint)
{
    copyAsProbe(QStringLiteral("libtestplain.so"));
    ModuleLibrary module(QStringLiteral("probe"), {dir.filePath(QStringLiteral("empty")), dir.path()});
    auto *value = module.entry<ValueFunction>("testmodule_value");
    ASSERT_NE(value, nullptr) << module.errorString().toStdString();
    EXPECT_EQ(value(), 42);
    EXPECT_TRUE(module.errorString().isEmpty());
}

TEST_F(ModuleLibraryTest, MissingModuleNamesTheFileAndTheFolders)
{
    ModuleLibrary module(QStringLiteral("probe"), {dir.path(), QStringLiteral("/nonexistent/modules")});
    EXPECT_EQ(module.resolve("testmodule_value"), nullptr);
    const QString error = module.errorString();
    EXPECT_TRUE(error.contains(QStringLiteral("libprobe.so was not found"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("/nonexistent/modules"))) << error.toStdString();
}

TEST_F(ModuleLibraryTest, MissingDependencyIsNamedAndLaterCallsDoNotRetry)
{
    copyAsProbe(QStringLiteral("libtestneedsvanishing.so")); // without libtestvanishing.so
    ModuleLibrary module(QStringLiteral("probe"), {dir.path()});
    EXPECT_EQ(module.resolve("testmodule_value"), nullptr);
    const QString error = module.errorString();
    EXPECT_TRUE(
        error.startsWith(QStringLiteral("Cannot load library ") + dir.filePath(QStringLiteral("libprobe.so"))))
        << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("libtestvanishing.so"))) << error.toStdString();

    // The library appearing later changes nothing for this object.
    ASSERT_TRUE(QFile::copy(QDir(TestModules).filePath(QStringLiteral("libtestvanishing.so")),
                            dir.filePath(QStringLiteral("libtestvanishing.so"))));
    EXPECT_EQ(module.resolve("testmodule_value"), nullptr);
    EXPECT_EQ(module.errorString(), error);
}

TEST_F(ModuleLibraryTest, AFileThatIsNoLibraryIsReportedNotSkipped)
{
    QFile bogus(dir.filePath(QStringLiteral("libprobe.so")));
    ASSERT_TRUE(bogus.open(QIODevice::WriteOnly));
    bogus.write("not a library\n");
    bogus.close();
    QTemporaryDir later; // a good copy further down the list is not used instead
    ASSERT_TRUE(QFile::copy(QDir(TestModules).filePath(QStringLiteral("libtestplain.so")),
                            later.filePath(QStringLiteral("libprobe.so"))));
    ModuleLibrary module(QStringLiteral("probe"), {dir.path(), later.path()});
    EXPECT_EQ(module.resolve("testmodule_value"), nullptr);
    EXPECT_TRUE(module.errorString().startsWith(QStringLiteral("Cannot load library ") + bogus.fileName()))
        << module.errorString().toStdString();
}

TEST_F(ModuleLibraryTest, MissingEntryPointIsNamed)
{
    copyAsProbe(QStringLiteral("libtestplain.so"));
    ModuleLibrary module(QStringLiteral("probe"), {dir.path()});
    EXPECT_EQ(module.resolve("testmodule_other"), nullptr);
    EXPECT_TRUE(module.errorString().endsWith(QStringLiteral("has no entry point testmodule_other")))
        << module.errorString().toStdString();
}

TEST(ModuleLibrary, DefaultFoldersStartBesideTheProgramAndEndInTheBuildTree)
{
    const QStringList folders = ModuleLibrary::defaultFolders();
    ASSERT_EQ(folders.size(), 3);
    EXPECT_EQ(folders.first(), QCoreApplication::applicationDirPath());
    EXPECT_TRUE(QFile::exists(QDir(folders.last()).filePath(QStringLiteral("libdorvanesound.so"))))
        << folders.last().toStdString();
}

// A module missing from an installation and planted under the build tree's path (where
// anyone may create that path on a player's machine) is never loaded by an installed copy;
// a program run from the build tree still finds its modules there.
TEST(ModuleLibrary, OnlyAProgramInTheBuildTreeLooksIntoIt)
{
    const QString name = QStringLiteral("planted%1").arg(QCoreApplication::applicationPid());
    const QString planted = QDir(ModuleLibrary::buildTreeFolder()).filePath(QStringLiteral("lib%1.so").arg(name));
    ASSERT_TRUE(QFile::copy(QDir(TestModules).filePath(QStringLiteral("libtestplain.so")), planted));
    const auto removePlanted = qScopeGuard([&] { QFile::remove(planted); });

    QTemporaryDir prefix; // an installation: <prefix>/bin/program, <prefix>/lib/dorvane/...
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    const QString installed = prefix.filePath(QStringLiteral("bin"));
    ASSERT_FALSE(ModuleLibrary::insideBuildTree(installed));
    const QStringList installedFolders = ModuleLibrary::foldersFor(installed);
    EXPECT_EQ(installedFolders.size(), 2);
    EXPECT_FALSE(installedFolders.contains(ModuleLibrary::buildTreeFolder()));
    ModuleLibrary fromInstalled(name, installedFolders);
    EXPECT_EQ(fromInstalled.resolve("testmodule_value"), nullptr) << "the planted file is not loaded";
    EXPECT_TRUE(fromInstalled.errorString().contains(QStringLiteral("was not found")))
        << fromInstalled.errorString().toStdString();

    ASSERT_TRUE(ModuleLibrary::insideBuildTree(QCoreApplication::applicationDirPath()));
    ModuleLibrary fromBuild(name, ModuleLibrary::foldersFor(QCoreApplication::applicationDirPath()));
    auto *value = fromBuild.entry<ValueFunction>("testmodule_value");
    ASSERT_NE(value, nullptr) << fromBuild.errorString().toStdString();
    EXPECT_EQ(value(), 42);
}

} // namespace
