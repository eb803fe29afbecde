// HttpGet without its transfer module: every get fails at once with a reason that names
// the module, raises no event and leaves the target as it was.
#include "httpget.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ModuleCase
{
    const char *name;
    const char *moduleContent; // nullptr: no module file at all
    const char *reasonStart;
};

class HttpModuleFailure : public ::testing::TestWithParam<ModuleCase>
{
};

TEST_P(HttpModuleFailure, GetFailsWithTheReasonAndTheGameGoesOn)
{
    const ModuleCase &c = GetParam();
    QTemporaryDir modules;
    QTemporaryDir files;
    if (c.moduleContent) {
        QFile module(modules.filePath(QStringLiteral("libdorvanehttp.so")));
        ASSERT_TRUE(module.open(QIODevice::WriteOnly));
        module.write(c.moduleContent);
    }
    const QString target = files.filePath(QStringLiteral("vnlsetup.exe"));
    {
        QFile previous(target);
        ASSERT_TRUE(previous.open(QIODevice::WriteOnly));
        previous.write("previous");
    }
    HttpGet get(QStringList{modules.path()});
    int events = 0;
    get.OnHeaderData = [&](HttpGet *, const QString &) { ++events; };
    get.OnDocBegin = [&](HttpGet *) { ++events; };
    get.OnDocData = [&](HttpGet *, qint64) { ++events; };

    for (int attempt = 0; attempt < 2; ++attempt) { // a second try fails the same way
        const HttpGetResult r = get.Get(QStringLiteral("http://127.0.0.1:9/x"), target);
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_EQ(r.status, 0) << c.name;
        EXPECT_TRUE(r.reason.startsWith(QString::fromLatin1(c.reasonStart)))
            << c.name << ": " << r.reason.toStdString();
        EXPECT_TRUE(r.reason.contains(QStringLiteral("libdorvanehttp.so"))) << c.name;
        EXPECT_FALSE(get.busy()) << c.name;
    }
    get.Abort(); // nothing runs: nothing happens
    EXPECT_EQ(events, 0) << c.name;
    EXPECT_EQ(get.receivedCount(), 0) << c.name;
    QFile kept(target);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "previous") << c.name;
    EXPECT_EQ(QDir(files.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"vnlsetup.exe"}) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Modules, HttpModuleFailure,
    ::testing::Values(ModuleCase{"missing", nullptr,
                                 "The HTTP client is not available: libdorvanehttp.so was not found"},
                      ModuleCase{"not a library", "garbage", "The HTTP client is not available: Cannot load "}),
    [](const auto &info) {
        return info.param.moduleContent ? std::string("NotALibrary") : std::string("Missing");
    });

} // namespace
