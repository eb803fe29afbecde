// The tally window: counting games into its labels and file, following and dropping
// opponents, reset, damaged files and restarts.
#include "tallylistform.h"

#include "lzrw1.h"
#include "messageboxes.h"
#include "tallyrecord.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString KlotQuestion = QStringLiteral("This will delete Klot's Tally, Are you want to delete it?");
const QString ResetQuestion = QStringLiteral("Are you sure you want to reset the Tally?");

class TallyListTest : public testing::Test
{
protected:
    std::unique_ptr<Ttallylist> open()
    {
        return std::make_unique<Ttallylist>(TtallylistOptions{m_path, &m_boxes});
    }

    static QString text(const Ttallylist &w, const char *label)
    {
        const auto *l = w.findChild<QLabel *>(QLatin1String(label));
        return l != nullptr ? l->text() : QStringLiteral("<no %1>").arg(QLatin1String(label));
    }

    static QListWidget *list(const Ttallylist &w, const char *name)
    {
        return w.findChild<QListWidget *>(QLatin1String(name));
    }

    // "name" for a checked entry, "-name" for an unchecked one.
    static QStringList entries(const Ttallylist &w, const char *name)
    {
        QStringList out;
        const QListWidget *l = list(w, name);
        for (int i = 0; i < l->count(); ++i)
            out << (l->item(i)->checkState() == Qt::Checked ? QString() : QStringLiteral("-"))
                       + l->item(i)->text();
        return out;
    }

    // A game ends with these names at the other seats: it is counted in the record the window
    // shows (the window follows on its own) and the window lists the names at the table.
    static void countGame(Ttallylist &w, const QString &winner, const QStringList &atTable)
    {
        w.record().addgame(winner, atTable);
        w.loadchecklist(atTable);
    }

    // The user ticks these names in "Players In Current Game".
    static void follow(Ttallylist &w, const QStringList &names)
    {
        QListWidget *l = list(w, "checklist");
        for (const QString &name : names) {
            const QList<QListWidgetItem *> found = l->findItems(name, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << name.toStdString();
            found.front()->setCheckState(Qt::Checked);
        }
    }

    // The user clears the check box of an entry of "Players Being Tallied"; the question
    // comes once the click is handled.
    static void untick(Ttallylist &w, int position)
    {
        list(w, "listbox_tally")->item(position)->setCheckState(Qt::Unchecked);
        QCoreApplication::processEvents();
    }

    // Clicks an entry of "Players Being Tallied" (on its text, not its box).
    static void select(Ttallylist &w, int position)
    {
        QListWidget *l = list(w, "listbox_tally");
        QRect rect = l->visualItemRect(l->item(position));
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, QPoint(rect.right() - 4, rect.center().y()));
    }

    // The opponent panel: label_1 .. label_8.
    static QStringList panel(const Ttallylist &w)
    {
        QStringList out;
        for (int c = 1; c <= 8; ++c)
            out << text(w, QStringLiteral("label_%1").arg(c).toLatin1().constData());
        return out;
    }

    static QStringList row(const TallyTable &t, const QString &name)
    {
        const int r = t.findOpponent(name);
        QStringList out;
        for (int c = 1; c <= 8 && r > 0; ++c)
            out << t.cell(c, r);
        return out;
    }

    void writeFile(const QByteArray &bytes)
    {
        QFile file(m_path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir m_dir;
    QString m_path = m_dir.filePath(QStringLiteral("Dorvanetally.tld"));
    RecordingMessageBoxes m_boxes;
};

QStringList split(const char *cells)
{
    return QString::fromLatin1(cells).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

TEST_F(TallyListTest, StartsEmptyWithItsControls)
{
    const auto w = open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Dorvane - Tally List"));
    EXPECT_EQ(text(*w, "label_hisname"), QStringLiteral("XX Wins:"));
    EXPECT_EQ(text(*w, "mylabel_1"), QStringLiteral("0"));
    EXPECT_EQ(text(*w, "mylabel_2"), QStringLiteral("0"));
    EXPECT_TRUE(w->findChild<QLabel *>(QStringLiteral("mylabel_3"))->isHidden());
    EXPECT_TRUE(w->findChild<QLabel *>(QStringLiteral("mylabel_4"))->isHidden());
    EXPECT_EQ(panel(*w), split("0 0 0 0 0 0 0 0"));
    EXPECT_EQ(w->table().rowCount(), 1);
    EXPECT_TRUE(m_boxes.errors.isEmpty());
    EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "a fixed-size dialog";

    w->show();
    QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("button_done")), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible()) << "Done hides the window";
}

// Ann and Bob are followed and at the table, Dee is followed and absent, Cy is at the table
// and not followed. Each case is one game; the file is read back while the window still lives.
struct GameCase
{
    const char *name;
    QString winner;   // as the main window hands it over: a name, or "addtomine"
    const char *mine; // mylabel_1 mylabel_2
    const char *ann;  // columns 1..8 of Ann's row
    const char *bob;
};

void PrintTo(const GameCase &c, std::ostream *os)
{
    *os << c.name;
}

class CountedGame : public TallyListTest, public testing::WithParamInterface<GameCase>
{
};

TEST_P(CountedGame, UpdatesLabelsAndFileAtOnce)
{
    const GameCase &c = GetParam();
    const QStringList atTable = {QStringLiteral("Ann"), QStringLiteral("Bob"), QStringLiteral("Cy")};
    const auto w = open();
    w->loadchecklist({QStringLiteral("Ann"), QStringLiteral("Bob"), QStringLiteral("Dee")});
    follow(*w, {QStringLiteral("Ann"), QStringLiteral("Bob"), QStringLiteral("Dee")});
    w->show();
    select(*w, 0); // Ann's panel is showing while the game ends

    countGame(*w, c.winner, atTable);

    EXPECT_EQ(text(*w, "mylabel_1") + u' ' + text(*w, "mylabel_2"), QString::fromLatin1(c.mine)) << c.name;
    EXPECT_EQ(panel(*w), split(c.ann)) << c.name;
    EXPECT_EQ(text(*w, "label_hisnametop"), QStringLiteral("Ann's Tally")) << c.name;
    EXPECT_EQ(entries(*w, "checklist"), QStringList({"Ann", "Bob", "-Cy"})) << c.name << ": refilled";

    const auto saved = open(); // the file as a killed program would leave it
    const QStringList mine = split(c.mine);
    EXPECT_EQ(saved->table().cell(1, 0), mine[0]) << c.name;
    EXPECT_EQ(saved->table().cell(2, 0), mine[1]) << c.name;
    const QStringList ann = split(c.ann), bob = split(c.bob);
    EXPECT_EQ(row(saved->table(), QStringLiteral("Ann")), ann.mid(0, 4) + split("0 0 0 0")) << c.name;
    EXPECT_EQ(row(saved->table(), QStringLiteral("Bob")), bob.mid(0, 4) + split("0 0 0 0")) << c.name;
    EXPECT_EQ(row(w->table(), QStringLiteral("Bob")), bob) << c.name;
    EXPECT_EQ(row(w->table(), QStringLiteral("Dee")), split("0 0 0 0 0 0 0 0")) << c.name << ": absent";
    EXPECT_TRUE(m_boxes.errors.isEmpty()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(TallyList, CountedGame,
                         testing::Values(GameCase{"the user wins", QString(TallyTable::AddToMine), "1 1",
                                                  "1 0 1 0 1 0 1 0", "1 0 1 0 1 0 1 0"},
                                         GameCase{"a followed opponent wins", QStringLiteral("Ann"), "1 0",
                                                  "1 1 0 0 1 1 0 0", "1 0 0 1 1 0 0 1"},
                                         GameCase{"an unfollowed player wins", QStringLiteral("Cy"), "1 0",
                                                  "1 0 0 1 1 0 0 1", "1 0 0 1 1 0 0 1"}),
                         [](const testing::TestParamInfo<GameCase> &info) {
                             std::string name = info.param.name;
                             for (char &ch : name)
                                 ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             return name;
                         });

TEST_F(TallyListTest, FollowsFromTheCheckList)
{
    const auto w = open();
    w->loadchecklist({QStringLiteral("Klot"), QStringLiteral("Ann")});
    EXPECT_EQ(entries(*w, "checklist"), QStringList({"-Klot", "-Ann"}));

    follow(*w, {QStringLiteral("Klot")});
    EXPECT_EQ(entries(*w, "listbox_tally"), QStringList({"Klot"}));
    EXPECT_EQ(entries(*w, "checklist"), QStringList({"Klot", "-Ann"}));
    EXPECT_EQ(open()->table().opponents(), QStringList({"Klot"})) << "saved at once";

    // Names match without regard to case; unticking a followed name does not drop it.
    w->loadchecklist({QStringLiteral("KLOT"), QStringLiteral("Ann")});
    EXPECT_EQ(entries(*w, "checklist"), QStringList({"KLOT", "-Ann"}));
    list(*w, "checklist")->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(entries(*w, "checklist"), QStringList({"KLOT", "-Ann"}));
    EXPECT_EQ(entries(*w, "listbox_tally"), QStringList({"Klot"}));

    follow(*w, {QStringLiteral("Ann")});
    EXPECT_EQ(entries(*w, "listbox_tally"), QStringList({"Klot", "Ann"}));
    EXPECT_EQ(row(w->table(), QStringLiteral("Ann")), split("0 0 0 0 0 0 0 0"));
    EXPECT_TRUE(m_boxes.questions.isEmpty());
}

TEST_F(TallyListTest, DropsTheOnlyOpponentOnlyOnYes)
{
    const auto w = open();
    w->loadchecklist({QStringLiteral("Klot")});
    follow(*w, {QStringLiteral("Klot")});
    countGame(*w, QStringLiteral("Klot"), {QStringLiteral("Klot")});
    w->show();
    select(*w, 0);

    m_boxes.confirmAnswer = false;
    untick(*w, 0);
    EXPECT_EQ(m_boxes.questions, QStringList({KlotQuestion}));
    EXPECT_EQ(entries(*w, "listbox_tally"), QStringList({"Klot"})) << "No checks the entry again";
    EXPECT_EQ(row(w->table(), QStringLiteral("Klot")), split("1 1 0 0 1 1 0 0"));
    EXPECT_EQ(panel(*w), split("1 1 0 0 1 1 0 0"));

    m_boxes.confirmAnswer = true;
    untick(*w, 0);
    EXPECT_EQ(m_boxes.questions, QStringList({KlotQuestion, KlotQuestion}));
    EXPECT_TRUE(entries(*w, "listbox_tally").isEmpty());
    EXPECT_EQ(w->table().rowCount(), 1);
    EXPECT_EQ(entries(*w, "checklist"), QStringList({"-Klot"}));
    EXPECT_EQ(text(*w, "label_hisnametop"), QStringLiteral("XX's Tally"));
    EXPECT_EQ(text(*w, "mylabel_1"), QStringLiteral("1")) << "the user's own games stay";
    EXPECT_EQ(open()->table().rowCount(), 1) << "saved at once";
}

TEST_F(TallyListTest, DropsTheRowOfTheUntickedEntry)
{
    const auto w = open();
    const QStringList all = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    w->loadchecklist(all);
    follow(*w, all);
    countGame(*w, QStringLiteral("A"), {QStringLiteral("A")});
    countGame(*w, QStringLiteral("C"), all);

    untick(*w, 1);
    EXPECT_EQ(m_boxes.questions, QStringList({"This will delete B's Tally, Are you want to delete it?"}));
    EXPECT_EQ(entries(*w, "listbox_tally"), QStringList({"A", "C"}));
    EXPECT_EQ(w->table().opponents(), QStringList({"A", "C"}));
    EXPECT_EQ(row(w->table(), QStringLiteral("A")), split("2 1 0 1 2 1 0 1"));
    EXPECT_EQ(row(w->table(), QStringLiteral("C")), split("1 1 0 0 1 1 0 0"));
}

TEST_F(TallyListTest, ResetsOnlyOnYes)
{
    const auto w = open();
    w->loadchecklist({QStringLiteral("Klot")});
    follow(*w, {QStringLiteral("Klot")});
    countGame(*w, QStringLiteral("addtomine"), {QStringLiteral("Klot")});
    w->show();
    select(*w, 0);
    auto *reset = w->findChild<QPushButton *>(QStringLiteral("button_reset"));

    m_boxes.confirmAnswer = false;
    QTest::mouseClick(reset, Qt::LeftButton);
    EXPECT_EQ(m_boxes.questions, QStringList({ResetQuestion}));
    EXPECT_EQ(text(*w, "mylabel_2"), QStringLiteral("1"));
    EXPECT_EQ(entries(*w, "listbox_tally"), QStringList({"Klot"}));

    m_boxes.confirmAnswer = true;
    QTest::mouseClick(reset, Qt::LeftButton);
    EXPECT_EQ(m_boxes.questions.size(), 2);
    EXPECT_EQ(text(*w, "mylabel_1") + text(*w, "mylabel_2"), QStringLiteral("00"));
    EXPECT_EQ(panel(*w), split("0 0 0 0 0 0 0 0"));
    EXPECT_TRUE(entries(*w, "listbox_tally").isEmpty());
    EXPECT_EQ(entries(*w, "checklist"), QStringList({"-Klot"}));
    const auto reopened = open();
    EXPECT_EQ(reopened->table().toGridText(), TallyTable().toGridText());
}

// Compresses plain bytes into the container, as a saved tally would be.
void writeContainer(const QString &path, const QByteArray &plain)
{
    const QString plainPath = path + QStringLiteral(".plain");
    QFile file(plainPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(plain);
    file.close();
    Tlzrw1 doit;
    doit.setCompressMode(TCompressMode::Fast);
    doit.setInputFile(QFile::encodeName(plainPath).toStdString());
    doit.setOutputFile(QFile::encodeName(path).toStdString());
    doit.Compress();
    QFile::remove(plainPath);
}

TEST_F(TallyListTest, DamagedFileGivesOneErrorAndAnEmptyTally)
{
    const struct
    {
        const char *name;
        QByteArray plain;
        bool container;
    } cases[] = {
        {"not a container", "garbage, not a tally", false},
        {"a counter that is not a number", "9\r\n1\r\n0\r\nfive\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n", true},
        {"too few lines", "9\r\n2\r\n0\r\nKlot\r\n", true},
    };
    for (const auto &c : cases) {
        const auto damage = [&] {
            if (c.container)
                writeContainer(m_path, c.plain);
            else
                writeFile(c.plain);
        };
        m_boxes.errors.clear();
        damage();
        {
            const auto w = open();
            EXPECT_EQ(m_boxes.errors.size(), 1) << c.name;
            EXPECT_EQ(w->table().toGridText(), TallyTable().toGridText()) << c.name;
            EXPECT_EQ(text(*w, "mylabel_1"), QStringLiteral("0")) << c.name;
        } // the exit save replaces the damaged file
        EXPECT_EQ(open()->table().toGridText(), TallyTable().toGridText()) << c.name;
        EXPECT_EQ(m_boxes.errors.size(), 1) << c.name << ": the saved file is good";

        damage();
        const auto w = open();
        countGame(*w, QStringLiteral("addtomine"), {});
        EXPECT_EQ(text(*open(), "mylabel_2"), QStringLiteral("1"))
            << c.name << ": a counted game saves a good file";
        EXPECT_EQ(m_boxes.errors.size(), 2) << c.name;
        EXPECT_TRUE(m_boxes.messages.isEmpty()) << c.name;
    }
}

TEST_F(TallyListTest, DamagedFileIsKeptWhenTheNextGameReplacesIt)
{
    const QByteArray damaged("WRZL\x09\x00\x00\x00not a tally", 19);
    writeFile(damaged);
    const auto w = open();
    ASSERT_EQ(m_boxes.errors.size(), 1);
    const QString kept = m_path + QStringLiteral(".damaged");
    EXPECT_TRUE(m_boxes.errors.front().contains(kept)) << m_boxes.errors.front().toStdString();

    countGame(*w, QStringLiteral("addtomine"), {});
    QFile copy(kept);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), damaged);
    EXPECT_EQ(text(*open(), "mylabel_2"), QStringLiteral("1"));
    EXPECT_EQ(m_boxes.errors.size(), 1) << "the new file reads";
}

// A save killed in the middle of writing the compressed file (here by the file size limit)
// leaves its unfinished file beside the tally; the next start removes it.
TEST_F(TallyListTest, NextStartRemovesWhatAKilledSaveLeft)
{
    countGame(*open(), QStringLiteral("addtomine"), {});
    TallyTable big; // incompressible, so the compressed file outgrows the plain text
    std::mt19937 rng(7);
    QString noise;
    for (int i = 0; i < 3000; ++i)
        noise += QChar(char16_t(0x21 + rng() % 94));
    big.follow(noise);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit noCore{0, 0};
        const rlimit fileSize{rlim_t(big.toGridText().size()), rlim_t(big.toGridText().size())};
        setrlimit(RLIMIT_CORE, &noCore);
        setrlimit(RLIMIT_FSIZE, &fileSize);
        std::signal(SIGXFSZ, SIG_DFL);
        TallyStore(m_path).save(big);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "the save was not killed";
    const QDir folder(m_dir.path());
    ASSERT_GT(folder.entryList(QDir::Files | QDir::Hidden).size(), 1) << "the killed save left nothing";

    const auto w = open();
    EXPECT_EQ(folder.entryList(QDir::Files | QDir::Hidden), QStringList{"Dorvanetally.tld"});
    EXPECT_EQ(text(*w, "mylabel_2"), QStringLiteral("1")) << "the tally before the killed save";
    EXPECT_TRUE(m_boxes.errors.isEmpty());
}

// Names come from other players: markup in them is shown as characters, and a picture it
// names is never loaded.
TEST_F(TallyListTest, OpponentNamesShowAsTheirCharacters)
{
    const QString picture = m_dir.filePath(QStringLiteral("red.png"));
    QImage red(120, 90, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(picture));
    const QStringList names = {QStringLiteral("<img src=\"%1\">").arg(picture), QStringLiteral("<b>x</b>")};
    const auto w = open();
    w->loadchecklist(names);
    follow(*w, names);
    w->show();
    for (int position = 0; position < names.size(); ++position) {
        select(*w, position);
        for (const char *name : {"label_hisnametop", "label_hisname"}) {
            auto *label = w->findChild<QLabel *>(QLatin1String(name));
            ASSERT_NE(label, nullptr);
            const std::string where = names[position].toStdString() + " in " + name;
            ASSERT_TRUE(label->text().startsWith(names[position])) << where;
            EXPECT_GE(label->sizeHint().width(), QFontMetrics(label->font()).horizontalAdvance(label->text()))
                << where << ": the markup is not shown as characters";
            const QImage drawn = label->grab().toImage();
            bool anyRed = false;
            for (int y = 0; y < drawn.height() && !anyRed; ++y)
                for (int x = 0; x < drawn.width() && !anyRed; ++x)
                    anyRed = drawn.pixelColor(x, y) == QColor(Qt::red);
            EXPECT_FALSE(anyRed) << where << ": the picture was drawn";
        }
    }
}

TEST_F(TallyListTest, RestartKeepsTotalsAndClearsTheSession)
{
    const QStringList atTable = {QStringLiteral("Klot"), QStringLiteral("Ann")};
    {
        const auto w = open();
        w->loadchecklist(atTable);
        follow(*w, atTable);
        countGame(*w, QStringLiteral("addtomine"), atTable);
        countGame(*w, QStringLiteral("Klot"), atTable);
        countGame(*w, QStringLiteral("addtomine"), {QStringLiteral("Ann")});
    }
    const auto w = open();
    w->show();
    EXPECT_EQ(text(*w, "mylabel_1") + u' ' + text(*w, "mylabel_2"), QStringLiteral("3 2"));
    EXPECT_EQ(entries(*w, "listbox_tally"), atTable);
    select(*w, 0);
    EXPECT_EQ(panel(*w), split("2 1 1 0 0 0 0 0"));
    EXPECT_EQ(text(*w, "label_hisname"), QStringLiteral("Klot Wins:"));
    select(*w, 1);
    EXPECT_EQ(panel(*w), split("3 0 2 1 0 0 0 0"));
    EXPECT_EQ(text(*w, "label_hisnametop"), QStringLiteral("Ann's Tally"));

    countGame(*w, QStringLiteral("Ann"), atTable);
    EXPECT_EQ(panel(*w), split("4 1 2 1 1 1 0 0")) << "the panel follows a counted game";
}

// Games counted before the window is first built are saved at once, and the window shows
// them when it is built, this run's counters included; its own changes reach the same record.
TEST_F(TallyListTest, WindowBuiltLaterShowsTheGamesCountedWithoutIt)
{
    {
        TallyRecord before(m_path, m_boxes);
        before.follow(QStringLiteral("Klot"));
        before.addgame(QStringLiteral("Klot"), {QStringLiteral("Klot")});
    }
    TallyRecord record(m_path, m_boxes);
    EXPECT_EQ(row(record.table(), QStringLiteral("Klot")), split("1 1 0 0 0 0 0 0")) << "a new run";
    record.addgame(QStringLiteral("addtomine"), {QStringLiteral("Klot"), QStringLiteral("Ann")});
    EXPECT_EQ(row(TallyStore(m_path).load(), QStringLiteral("Klot")), split("2 1 1 0 0 0 0 0"))
        << "saved without a window";

    {
        Ttallylist w(TtallylistOptions{m_path, &m_boxes, &record});
        w.show();
        EXPECT_EQ(text(w, "mylabel_1") + u' ' + text(w, "mylabel_2"), QStringLiteral("2 1"));
        EXPECT_EQ(entries(w, "listbox_tally"), QStringList{"Klot"});
        select(w, 0);
        EXPECT_EQ(panel(w), split("2 1 1 0 1 0 1 0")) << "this run's game is still counted";

        w.loadchecklist({QStringLiteral("Klot"), QStringLiteral("Ann")});
        follow(w, {QStringLiteral("Ann")});
        countGame(w, QStringLiteral("Ann"), {QStringLiteral("Klot"), QStringLiteral("Ann")});
    }
    EXPECT_EQ(record.table().opponents(), (QStringList{"Klot", "Ann"})) << "the window changed the record";
    EXPECT_EQ(row(record.table(), QStringLiteral("Ann")), split("1 1 0 0 1 1 0 0"));
    EXPECT_EQ(row(TallyStore(m_path).load(), QStringLiteral("Ann")), split("1 1 0 0 0 0 0 0"));
    EXPECT_TRUE(m_boxes.errors.isEmpty());
}

} // namespace
