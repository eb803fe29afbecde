// The tally table: counting games, following and dropping opponents, the grid text.
#include "tallytable.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray dataFile(const char *name)
{
    QFile file(QStringLiteral(DORVANE_TEST_DATA "/compress/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Columns 1 to 8 of a row, blank-separated.
std::string counters(const TallyTable &table, int row)
{
    QStringList cells;
    for (int c = 1; c < TallyTable::ColCount; ++c)
        cells << table.cell(c, row);
    return cells.join(QLatin1Char(' ')).toStdString();
}

// Builds grid text from lines, each ended with CR LF.
QByteArray grid(const QStringList &lines)
{
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

struct GameCase
{
    const char *name;
    QStringList followed;
    QStringList playersInGame;
    QString winner;
    std::vector<std::string> rows; // counters of row 0, then of each followed opponent
};

void PrintTo(const GameCase &c, std::ostream *os)
{
    *os << c.name;
}

class CountingAGame : public testing::TestWithParam<GameCase>
{
};

TEST_P(CountingAGame, CountsEachRowAsExpected)
{
    const GameCase &c = GetParam();
    TallyTable table;
    for (const QString &name : c.followed)
        table.follow(name);
    table.addgame(c.winner, c.playersInGame);
    ASSERT_EQ(table.rowCount(), int(c.rows.size())) << c.name;
    for (int r = 0; r < table.rowCount(); ++r)
        EXPECT_EQ(counters(table, r), c.rows[r]) << c.name << ", row " << r;
}

const QString Me = QString(TallyTable::AddToMine);

INSTANTIATE_TEST_SUITE_P(
    Tally, CountingAGame,
    testing::Values(
        GameCase{"user wins, two followed present, one followed absent",
                 {"Ann", "Bob", "Cid"},
                 {"Ann", "bob", "Dan"},
                 Me,
                 {"1 1 0 0 0 0 0 0", "1 0 1 0 1 0 1 0", "1 0 1 0 1 0 1 0", "0 0 0 0 0 0 0 0"}},
        GameCase{"followed opponent wins with another followed present",
                 {"Ann", "Bob"},
                 {"Bob", "Ann", "Klot"},
                 "Ann",
                 {"1 0 0 0 0 0 0 0", "1 1 0 0 1 1 0 0", "1 0 0 1 1 0 0 1"}},
        GameCase{"a third player wins", {"Ann"}, {"Ann", "Dan"}, "Dan", {"1 0 0 0 0 0 0 0", "1 0 0 1 1 0 0 1"}},
        GameCase{"found without regard to case, winner compared exactly",
                 {"Ann"},
                 {"ANN"},
                 "ANN",
                 {"1 0 0 0 0 0 0 0", "1 0 0 1 1 0 0 1"}},
        GameCase{"two players of one name count their row once",
                 {"Ann"},
                 {"Ann", "ann"},
                 "Ann",
                 {"1 0 0 0 0 0 0 0", "1 1 0 0 1 1 0 0"}},
        GameCase{"nobody followed at the table", {"Ann"}, {"Dan"}, Me, {"1 1 0 0 0 0 0 0", "0 0 0 0 0 0 0 0"}}),
    [](const testing::TestParamInfo<GameCase> &info) { return "case" + std::to_string(info.index); });

TEST(TallyTable, EmptyCountersReadAsZero)
{
    QStringList lines = {"9", "2", "0", "Ann"};
    for (int i = 0; i < 16; ++i)
        lines << (i % 2 == 0 ? "4" : "");
    std::optional<TallyTable> table = TallyTable::fromGridText(grid(lines));
    ASSERT_TRUE(table.has_value());
    table->addgame(QStringLiteral("Ann"), {"Ann"});
    EXPECT_EQ(counters(*table, 1), "1 1 0 0 1 1 0 0");
    EXPECT_EQ(counters(*table, 0), "5 4 4 4 4 4 4 4");
}

TEST(TallyTable, FollowingAppendsOneRowPerName)
{
    TallyTable table;
    EXPECT_EQ(table.follow(QStringLiteral("Ann")), 1);
    EXPECT_EQ(table.follow(QStringLiteral("Bob")), 2);
    EXPECT_EQ(table.follow(QStringLiteral("aNN")), 1) << "already followed, other case";
    EXPECT_EQ(table.opponents(), QStringList({"Ann", "Bob"}));
    EXPECT_EQ(counters(table, 2), "0 0 0 0 0 0 0 0");
    EXPECT_EQ(table.findOpponent(QStringLiteral("BOB")), 2);
    EXPECT_EQ(table.findOpponent(QStringLiteral("Cid")), -1);
}

TEST(TallyTable, NameWithALineBreakKeepsTheGridReadable)
{
    TallyTable table;
    table.follow(QStringLiteral("Two\r\nLines"));
    table.addgame(QStringLiteral("Two\r\nLines"), {"Two\r\nLines"});
    EXPECT_EQ(counters(table, 1), "1 1 0 0 1 1 0 0");
    const std::optional<TallyTable> back = TallyTable::fromGridText(table.toGridText());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->toGridText(), table.toGridText());
}

TEST(TallyTable, MoverowDropsOneOpponent)
{
    TallyTable table;
    for (const char *name : {"Ann", "Bob", "Cid"})
        table.follow(QString::fromLatin1(name));
    table.addgame(QStringLiteral("Cid"), {"Cid"});
    EXPECT_TRUE(table.moverow(2));
    EXPECT_EQ(table.opponents(), QStringList({"Ann", "Cid"}));
    EXPECT_EQ(counters(table, 2), "1 1 0 0 1 1 0 0") << "later rows move up with their counters";
    EXPECT_FALSE(table.moverow(0)) << "the user's row stays";
    EXPECT_FALSE(table.moverow(3));
    EXPECT_EQ(table.rowCount(), 3);
}

TEST(TallyTable, DroppingTheOnlyOpponentLeavesRowZero)
{
    TallyTable table;
    table.follow(QStringLiteral("Klot"));
    table.addgame(Me, {"Klot"});
    EXPECT_TRUE(table.moverow(1));
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_TRUE(table.opponents().isEmpty());
    EXPECT_EQ(counters(table, 0), "1 1 0 0 0 0 0 0");
}

TEST(TallyTable, EmptyAndResetTablesHaveTheEmptyGridText)
{
    const QByteArray expected = dataFile("tally_empty.txt");
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(TallyTable().toGridText(), expected);

    std::optional<TallyTable> table = TallyTable::fromGridText(dataFile("tally_small.txt"));
    ASSERT_TRUE(table.has_value());
    table->reset();
    EXPECT_EQ(table->toGridText(), expected);
}

TEST(TallyTable, KnownGridTextRoundTripsByteForByte)
{
    const QByteArray text = dataFile("tally_small.txt");
    const std::optional<TallyTable> table = TallyTable::fromGridText(text);
    ASSERT_TRUE(table.has_value());
    EXPECT_EQ(table->opponents(), QStringList({"Klot", "Mara", "dicekid77"}));
    EXPECT_EQ(counters(*table, 0), "12 5 0 0 0 0 0 0");
    EXPECT_EQ(counters(*table, 1), "7 2 4 1 3 1 2 0");
    EXPECT_EQ(table->toGridText(), text);

    QByteArray bareLineFeeds = text;
    bareLineFeeds.replace("\r\n", "\n");
    const std::optional<TallyTable> fromLf = TallyTable::fromGridText(bareLineFeeds);
    ASSERT_TRUE(fromLf.has_value());
    EXPECT_EQ(fromLf->toGridText(), text);
}

TEST(TallyTable, ClearSessionZeroesOnlyThisRunsColumns)
{
    std::optional<TallyTable> table = TallyTable::fromGridText(dataFile("tally_small.txt"));
    ASSERT_TRUE(table.has_value());
    table->clearSession();
    EXPECT_EQ(counters(*table, 0), "12 5 0 0 0 0 0 0");
    EXPECT_EQ(counters(*table, 1), "7 2 4 1 0 0 0 0");
    EXPECT_EQ(counters(*table, 2), "5 1 1 3 0 0 0 0");
}

TEST(TallyTable, DamagedGridTextIsRefused)
{
    const QStringList good = {"9", "1", "0", "3", "1", "0", "0", "0", "0", "0", "0"};
    auto with = [&good](int line, const QString &text) {
        QStringList lines = good;
        lines[line] = text;
        return grid(lines);
    };
    const struct
    {
        const char *name;
        QByteArray text;
    } cases[] = {
        {"empty", QByteArray()},
        {"counts only", grid({"9", "1"})},
        {"column count 8", with(0, "8")},
        {"column count not a number", with(0, "nine")},
        {"row count 0", grid({"9", "0"})},
        {"row count not a number", with(1, "x")},
        {"row count absurd", with(1, "2000000000")},
        {"row count larger than the lines", with(1, "2")},
        {"one line missing", grid(good.mid(0, good.size() - 1))},
        {"one line too many", grid(good + QStringList{"0"})},
        {"counter not a number", with(5, "4x")},
        {"counter negative", with(4, "-1")},
        {"counter far too long", with(3, "1234567890123456789")},
        {"user's name cell not a number", with(2, "Me")},
    };
    for (const auto &c : cases) {
        QString error;
        EXPECT_FALSE(TallyTable::fromGridText(c.text, &error).has_value()) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
    }
    EXPECT_TRUE(TallyTable::fromGridText(grid(good)).has_value()) << "the unchanged text is good";
}

TEST(TallyTable, AdditStaysInsideTheTable)
{
    TallyTable table;
    table.follow(QStringLiteral("Ann"));
    EXPECT_EQ(table.addit(4, 1), 1);
    EXPECT_EQ(table.addit(4, 1), 2);
    EXPECT_EQ(table.addtomineincrease(2), 1);
    const QByteArray before = table.toGridText();
    EXPECT_EQ(table.addit(0, 1), 0) << "the name column is no counter";
    EXPECT_EQ(table.addit(9, 0), 0);
    EXPECT_EQ(table.addit(1, 2), 0);
    EXPECT_EQ(table.addit(1, -1), 0);
    EXPECT_EQ(table.toGridText(), before);
}

} // namespace
