// The tally file: saving and loading through the compressed container, damaged files,
// failed saves.
#include "tallystore.h"

#include "lzrw1.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(data);
}

QString dataPath(const char *name)
{
    return QStringLiteral(DORVANE_TEST_DATA "/compress/") + QLatin1String(name);
}

TallyTable smallTable()
{
    std::optional<TallyTable> table = TallyTable::fromGridText(readAll(dataPath("tally_small.txt")));
    EXPECT_TRUE(table.has_value());
    return table.value_or(TallyTable());
}

// Compresses plain bytes into a container file, as a saved tally would be.
void writeContainer(const QString &path, const QByteArray &plain)
{
    const QString plainPath = path + QStringLiteral(".plain");
    writeAll(plainPath, plain);
    Tlzrw1 doit;
    doit.setCompressMode(TCompressMode::Fast);
    doit.setInputFile(QFile::encodeName(plainPath).toStdString());
    doit.setOutputFile(QFile::encodeName(path).toStdString());
    doit.Compress();
    QFile::remove(plainPath);
}

class TallyStoreTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString tallyPath() const { return m_dir.filePath(QStringLiteral("Dorvanetally.tld")); }
    QStringList filesBeside() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir m_dir;
};

TEST_F(TallyStoreTest, FileLivesInTheProgramFolder)
{
    EXPECT_EQ(TallyStore::defaultPath(),
              QCoreApplication::applicationDirPath() + QStringLiteral("/Dorvanetally.tld"));
    EXPECT_EQ(TallyStore().path(), TallyStore::defaultPath());
}

TEST_F(TallyStoreTest, NoFileGivesAnEmptyTallyWithoutError)
{
    QString error = QStringLiteral("stale");
    const TallyTable table = TallyStore(tallyPath()).load(&error);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(table.toGridText(), TallyTable().toGridText());
}

TEST_F(TallyStoreTest, SavedFileIsTheKnownContainer)
{
    ASSERT_TRUE(TallyStore(tallyPath()).save(smallTable()));
    EXPECT_EQ(readAll(tallyPath()), readAll(dataPath("tally_small.wrzl")));
    EXPECT_EQ(filesBeside(), QStringList{"Dorvanetally.tld"}) << "no temporary file stays beside it";
}

TEST_F(TallyStoreTest, RestartKeepsTotalsAndStartsTheRunAtZero)
{
    TallyStore store(tallyPath());
    TallyTable table;
    table.follow(QStringLiteral("Ann"));
    table.follow(QStringLiteral("Bob"));
    table.addgame(QString(TallyTable::AddToMine), {"Ann", "Bob"});
    table.addgame(QStringLiteral("Ann"), {"Ann"});
    ASSERT_TRUE(store.save(table));

    QString error;
    const TallyTable loaded = store.load(&error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(loaded.opponents(), QStringList({"Ann", "Bob"}));
    for (int r = 0; r < 3; ++r) {
        for (int c = 1; c < TallyTable::ColCount; ++c) {
            const QString expected = c >= 5 && r > 0 ? QStringLiteral("0") : table.cell(c, r);
            EXPECT_EQ(loaded.cell(c, r), expected) << "row " << r << " column " << c;
        }
    }
    EXPECT_EQ(loaded.cell(2, 1), QStringLiteral("1")) << "Ann's wins survive the restart";
}

TEST_F(TallyStoreTest, ReadsAnOldLzhFile)
{
    QFile::copy(dataPath("tally_small.hzl"), tallyPath());
    QString error;
    const TallyTable loaded = TallyStore(tallyPath()).load(&error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    TallyTable expected = smallTable();
    expected.clearSession();
    EXPECT_EQ(loaded.toGridText(), expected.toGridText());
}

TEST_F(TallyStoreTest, DamagedFileGivesAnErrorAnEmptyTallyAndIsReplacedOnSave)
{
    QStringList lines = {"9", "2", "0", "Ann"};
    for (int i = 0; i < 16; ++i)
        lines << QStringLiteral("1");
    const auto grid = [](QStringList l) {
        return (l.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
    };
    QStringList nonNumeric = lines;
    nonNumeric[7] = QStringLiteral("two");

    const struct
    {
        const char *name;
        std::function<void(const QString &)> make;
        const char *inError;
    } cases[] = {
        {"garbage bytes", [](const QString &p) { writeAll(p, QByteArray("\x01\xFFgarbage\x00\x13", 12)); },
         "no valid header"},
        {"header only", [](const QString &p) { writeAll(p, QByteArray("WRZL", 4)); }, "Error reading"},
        {"known file with a bad magic", [](const QString &p) { QFile::copy(dataPath("bad_magic.tld"), p); },
         "no valid header"},
        {"container of a grid with wrong counts",
         [&](const QString &p) {
             writeContainer(p, grid({"9", "3"}) + grid(lines.mid(2)));
         },
         "damaged"},
        {"container with a non-numeric counter", [&](const QString &p) { writeContainer(p, grid(nonNumeric)); },
         "damaged"},
        {"container with too few lines", [&](const QString &p) { writeContainer(p, grid(lines.mid(0, 12))); },
         "damaged"},
        {"container announcing 4 GiB",
         [](const QString &p) { writeAll(p, QByteArray("WRZL\xFF\xFF\xFF\xFF\x01\x00\x80", 11)); }, "damaged"},
    };
    for (const auto &c : cases) {
        QFile::remove(tallyPath());
        c.make(tallyPath());
        const QStringList before = filesBeside();
        TallyStore store(tallyPath());
        QString error;
        TallyTable table = store.load(&error);
        EXPECT_TRUE(error.contains(QLatin1String(c.inError))) << c.name << ": " << error.toStdString();
        EXPECT_EQ(table.toGridText(), TallyTable().toGridText()) << c.name;
        EXPECT_EQ(filesBeside(), before) << c.name << ": loading writes nothing";

        table.follow(QStringLiteral("Klot"));
        table.addgame(QStringLiteral("Klot"), {"Klot"});
        ASSERT_TRUE(store.save(table)) << c.name;
        const TallyTable again = store.load(&error);
        EXPECT_TRUE(error.isEmpty()) << c.name << ": " << error.toStdString();
        EXPECT_EQ(again.cell(2, 1), QStringLiteral("1")) << c.name;
    }
}

// The unreadable file survives under a name of its own when a new tally replaces it, and
// a later damaged file never overwrites a copy kept before.
TEST_F(TallyStoreTest, DamagedFileIsKeptBesideTheNewOne)
{
    const QByteArray first("WRZL\x05\x00\x00\x00garbage", 15);
    const QByteArray second("not a tally at all");
    const QString kept = tallyPath() + QStringLiteral(".damaged");
    TallyTable table;
    table.follow(QStringLiteral("Ann"));

    writeAll(tallyPath(), first);
    TallyStore store(tallyPath());
    QString error;
    store.load(&error);
    EXPECT_TRUE(error.contains(kept)) << "the error names the copy: " << error.toStdString();
    EXPECT_EQ(readAll(tallyPath()), first) << "nothing is moved before a save";
    ASSERT_TRUE(store.save(table));
    EXPECT_EQ(readAll(kept), first);
    EXPECT_EQ(store.load(&error).opponents(), QStringList{"Ann"});
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_TRUE(store.save(table));
    EXPECT_EQ(filesBeside(), QStringList({"Dorvanetally.tld", "Dorvanetally.tld.damaged"}))
        << "a good file is replaced without a copy";

    writeAll(tallyPath(), second);
    TallyStore again(tallyPath());
    again.load(&error);
    EXPECT_TRUE(error.contains(kept + QStringLiteral("-2"))) << error.toStdString();
    ASSERT_TRUE(again.save(table));
    EXPECT_EQ(readAll(kept), first);
    EXPECT_EQ(readAll(kept + QStringLiteral("-2")), second);
}

// Only the unfinished files of a save go: the tally file's name, ".saving-" and the six
// characters of the temporary name; anything else a user keeps there stays.
TEST_F(TallyStoreTest, LeftoversOfSavesAreRemovedAndNothingElse)
{
    const QStringList leftovers = {"Dorvanetally.tld.saving-a1B2c3", "Dorvanetally.tld.saving-ZZZZZZ"};
    const QStringList others = {"Dorvanetally.tld",
                                "Dorvanetally.tld.backup",
                                "Dorvanetally.tld.damaged",
                                "Dorvanetally.tld.saving-abc",
                                "Dorvanetally.tld.saving-abcdefg",
                                "Other.tld.saving-a1B2c3",
                                "Dorvanetally.tld.saving-a1B2c3.txt"};
    for (const QString &name : leftovers + others)
        writeAll(m_dir.filePath(name), "x");
    TallyStore(tallyPath()).removeLeftovers();
    QStringList expected = others;
    expected.sort();
    EXPECT_EQ(filesBeside(), expected);
}

TEST_F(TallyStoreTest, NothingIsWrittenToTheCurrentFolder)
{
    QTemporaryDir current;
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(current.path()));
    TallyStore store(tallyPath());
    const bool saved = store.save(smallTable());
    QString error;
    store.load(&error);
    QDir::setCurrent(before);
    EXPECT_TRUE(saved);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_TRUE(QDir(current.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

// A file size limit lets the plain grid text be written but not its larger compressed form,
// so the save fails in the middle of the compression, even for root.
TEST_F(TallyStoreTest, FailedCompressionKeepsThePreviousFile)
{
    TallyStore store(tallyPath());
    ASSERT_TRUE(store.save(smallTable()));
    const QByteArray previous = readAll(tallyPath());

    TallyTable table;
    QString noise; // incompressible, so the container outgrows the grid text
    for (int i = 0; i < 3000; ++i)
        noise += QChar(char16_t(0x21 + QRandomGenerator::global()->bounded(94)));
    table.follow(noise);
    const qint64 plainSize = table.toGridText().size();

    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit limited = old;
    limited.rlim_cur = rlim_t(plainSize);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool saved = store.save(table);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(readAll(tallyPath()), previous);
    EXPECT_EQ(filesBeside(), QStringList{"Dorvanetally.tld"});
    ASSERT_TRUE(store.save(table)) << "without the limit the same table saves";
    EXPECT_EQ(store.load().opponents(), QStringList{noise});
}

TEST_F(TallyStoreTest, UnwritableFolderKeepsThePreviousFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes through folder permissions";
    TallyStore store(tallyPath());
    ASSERT_TRUE(store.save(smallTable()));
    const QByteArray previous = readAll(tallyPath());
    ASSERT_TRUE(QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    TallyTable table;
    table.follow(QStringLiteral("Ann"));
    const bool saved = store.save(table);
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(saved);
    EXPECT_EQ(readAll(tallyPath()), previous);
}

TEST_F(TallyStoreTest, MissingFolderFailsWithoutThrowing)
{
    TallyStore store(m_dir.filePath(QStringLiteral("absent/Dorvanetally.tld")));
    EXPECT_FALSE(store.save(smallTable()));
    QString error;
    EXPECT_EQ(store.load(&error).rowCount(), 1);
    EXPECT_TRUE(error.isEmpty());
}

} // namespace
