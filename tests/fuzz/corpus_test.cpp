// Replays every seed and every fixed crash of the fuzz targets through the same entry
// functions the fuzzers call, so a fault they found cannot come back unnoticed.
#include "fuzztargets.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <ostream>

namespace {

struct Target
{
    const char *name;
    int (*fuzzOne)(const std::uint8_t *, std::size_t);
};

const Target Targets[] = {
#ifdef DORVANE_FUZZ_HOSTDISPATCH
    {"hostdispatch", fuzz_hostdispatch::fuzzOne},
#endif
#ifdef DORVANE_FUZZ_PROTOCOL
    {"protocol", fuzz_protocol::fuzzOne},
#endif
#ifdef DORVANE_FUZZ_CONTAINER
    {"container", fuzz_container::fuzzOne},
#endif
#ifdef DORVANE_FUZZ_TALLYGRID
    {"tallygrid", fuzz_tallygrid::fuzzOne},
#endif
#ifdef DORVANE_FUZZ_INIFILE
    {"inifile", fuzz_inifile::fuzzOne},
#endif
#ifdef DORVANE_FUZZ_CLIENTDISPATCH
    {"clientdispatch", fuzz_clientdispatch::fuzzOne},
#endif
#ifdef DORVANE_FUZZ_CHATLAYOUT
    {"chatlayout", fuzz_chatlayout::fuzzOne},
#endif
};

void PrintTo(const Target &target, std::ostream *os)
{
    *os << target.name;
}

class CorpusTest : public ::testing::TestWithParam<Target>
{
};

TEST_P(CorpusTest, EveryCorpusFileRunsClean)
{
    const QDir dir(QStringLiteral(DORVANE_TEST_DATA "/../fuzz/corpus/") + QLatin1String(GetParam().name));
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty()) << "no corpus for " << GetParam().name << " in " << dir.path().toStdString();
    for (const QString &name : files) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = file.readAll();
        SCOPED_TRACE(name.toStdString());
        // A fault aborts the process (sanitizer or broken invariant); the return is always 0.
        EXPECT_EQ(GetParam().fuzzOne(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                     std::size_t(bytes.size())),
                  0);
    }
}

INSTANTIATE_TEST_SUITE_P(Fuzz, CorpusTest, ::testing::ValuesIn(Targets),
                         [](const ::testing::TestParamInfo<Target> &info) {
                             return std::string(info.param.name);
                         });

} // namespace
