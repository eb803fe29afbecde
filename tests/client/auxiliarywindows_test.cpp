// The auxiliary windows wired to the main window: spectators, kicking, tally, phrases, help.
#include "aboutform.h"
#include "auxiliarywindows.h"
#include "clientfixture.h"
#include "downloadform.h"
#include "helpform.h"
#include "inifile.h"
#include "mainmenu.h"
#include "phrasesform.h"
#include "playeractions.h"
#include "shellopen.h"
#include "spylistform.h"
#include "tallylistform.h"
#include "tallyrecord.h"
#include "tallystore.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QUrl>

namespace {

class AuxiliaryWindowsTest : public ClientFixture
{
protected:
    void created() override
    {
        AuxiliaryWindowsOptions options;
        options.settingsPath = dir.filePath(QStringLiteral("vornlobby.ini"));
        options.tallyPath = dir.filePath(QStringLiteral("Dorvanetally.tld"));
        options.boxes = &boxes;
        windows = std::make_unique<AuxiliaryWindows>(*chat, options);
        windows->download().setShellOpen(&shell);
    }

    // Joins the scripted host from a copy that does not host, seated at id.
    void joinAs(int id, const QByteArray &name)
    {
        start({QString::fromUtf8(name), QStringLiteral("127.0.0.1"), QStringLiteral("false")});
        ASSERT_TRUE(host.waitForClient());
        deliver("CMD_sendlogininfo+" + QByteArray::number(id));
        deliver("CMD_newplayerinfo+" + QByteArray::number(id) + '+' + name);
    }

    // Points at entry index of the spy list (the window must be shown) and removes it.
    void kickEntry(int index)
    {
        auto *list = windows->spylist().findChild<QListWidget *>(QStringLiteral("listbox_spys"));
        ASSERT_NE(list, nullptr);
        ASSERT_LT(index, list->count());
        windows->spylist().notePointedEntry(list->visualItemRect(list->item(index)).center());
        windows->spylist().kickPointedSeat();
    }

    // The requests sent so far end here: a bot speed request marks the place.
    void flushRequests()
    {
        chat->options().chooseBotSpeed(500);
        ASSERT_TRUE(
            host.waitForPrefix("CMD_botspeed+" + QByteArray::number(chat->session().state().myid) + "+500+").size()
            > 0);
    }

    // Whether a top-level window of that object name exists (built, shown or not).
    static bool built(const char *name)
    {
        const QWidgetList windows = QApplication::topLevelWidgets();
        return std::any_of(windows.cbegin(), windows.cend(),
                           [name](const QWidget *w) { return w->objectName() == QLatin1String(name); });
    }

    QString tallyPath() const { return dir.filePath(QStringLiteral("Dorvanetally.tld")); }

    QAction *menuItem(const char *name) const
    {
        auto *action = chat->findChild<QAction *>(QString::fromLatin1(name));
        EXPECT_NE(action, nullptr) << name;
        return action;
    }

    RecordingShellOpen shell;
    std::unique_ptr<AuxiliaryWindows> windows;
};

TEST_F(AuxiliaryWindowsTest, SpectatorsComeAndGoInTheSpyList)
{
    login(1, "You");
    deliver({"CMD_newplayerinfo+6+Bob", "CMD_existingplayers+7+Cy"});
    EXPECT_EQ(windows->spylist().entries(), (QStringList{QStringLiteral("6: Bob"), QStringLiteral("7: Cy")}));

    // An unknown spectator leaves no line; the list's lookup ignores letter case.
    deliver({"CMD_playerdisconnected+8+Bob", "CMD_playerdisconnected+6+BOB"});
    EXPECT_EQ(windows->spylist().entries(), QStringList{QStringLiteral("7: Cy")});
    EXPECT_EQ(chatLines().count(QStringLiteral("BOB has left.")), 1);
    EXPECT_EQ(chatLines().count(QStringLiteral("Bob has left.")), 0) << "seat 8 was never listed";

    deliver("CMD_playerdisconnected+7+Cy");
    EXPECT_TRUE(windows->spylist().entries().isEmpty());
    EXPECT_EQ(chatLines().count(QStringLiteral("Cy has left.")), 1);
}

// A solo start with a game and spectators coming and going builds none of the windows that
// only a menu opens.
TEST_F(AuxiliaryWindowsTest, StartBuildsNoHiddenWindow)
{
    login(1, "You");
    ASSERT_TRUE(built("Tchat"));
    deliver({"CMD_newplayerinfo+6+Bob", "CMD_playerdisconnected+6+Bob", "CMD_existingplayers+2+Klot",
             "CMD_winner+You"});
    for (const char *name : {"Ttallylist", "Tphrases", "Tspylist", "Thelp", "Tabout"})
        EXPECT_FALSE(built(name)) << name;
    EXPECT_EQ(windows->tally().table().cell(2, 0), QStringLiteral("1")) << "the game was counted";

    menuItem("ViewTally1")->trigger();
    menuItem("PhraseList1")->trigger();
    menuItem("SpyList1")->trigger();
    for (const char *name : {"Ttallylist", "Tphrases", "Tspylist"})
        EXPECT_TRUE(built(name)) << name;
    EXPECT_TRUE(windows->tallylist().isVisible());
    EXPECT_TRUE(windows->phrases().isVisible());
    EXPECT_TRUE(windows->spylist().isVisible());
}

// Spectators who come and go before the spy list was ever opened are shown correctly when
// it opens, and the hosting state reached while it did not exist lets the host remove one.
TEST_F(AuxiliaryWindowsTest, SpectatorsListedBeforeTheSpyListIsOpened)
{
    login(1, "You");
    deliver({"CMD_newplayerinfo+6+Bob", "CMD_newplayerinfo+7+Cy", "CMD_existingplayers+8+Dee",
             "CMD_playerdisconnected+6+BOB", "CMD_playerdisconnected+9+Cy"});
    EXPECT_EQ(windows->spectators().entries(), (QStringList{"7: Cy", "8: Dee"}));
    EXPECT_EQ(chatLines().count(QStringLiteral("BOB has left.")), 1) << "known without the window";
    EXPECT_EQ(chatLines().count(QStringLiteral("Cy has left.")), 0) << "seat 9 was never listed";
    ASSERT_FALSE(built("Tspylist"));

    menuItem("SpyList1")->trigger();
    Tspylist &list = windows->spylist();
    ASSERT_TRUE(list.isVisible());
    EXPECT_EQ(list.entries(), (QStringList{"7: Cy", "8: Dee"}));
    EXPECT_TRUE(list.isHosting()) << "the solo start hosted before the window existed";

    deliver({"CMD_newplayerinfo+5+Eve", "CMD_playerdisconnected+7+Cy"});
    EXPECT_EQ(list.entries(), (QStringList{"8: Dee", "5: Eve"})) << "the window follows";
    kickEntry(1);
    EXPECT_TRUE(host.waitForRequest("CMD_kickhim+1+5+"));
}

TEST_F(AuxiliaryWindowsTest, HostingClientRemovesTheSpectatorUnderThePointer)
{
    login(1, "You");
    EXPECT_TRUE(windows->spylist().isHosting()) << "a solo start hosts";
    deliver({"CMD_newplayerinfo+6+Bob", "CMD_newplayerinfo+8+Dee"});
    menuItem("SpyList1")->trigger();
    ASSERT_TRUE(windows->spylist().isVisible());
    kickEntry(1);
    EXPECT_TRUE(host.waitForRequest("CMD_kickhim+1+8+"));
    EXPECT_EQ(host.requestsStartingWith("CMD_kickhim").size(), 1);
}

TEST_F(AuxiliaryWindowsTest, JoinedClientNeverSendsAKick)
{
    joinAs(2, "Ann");
    deliver("CMD_newplayerinfo+6+Bob");
    EXPECT_FALSE(windows->spylist().isHosting());
    auto *item = windows->spylist().findChild<QAction *>(QStringLiteral("popup_kickhim"));
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->isEnabled());
    windows->showSpyList();
    kickEntry(0);
    flushRequests();
    EXPECT_TRUE(host.requestsStartingWith("CMD_kickhim").isEmpty());
}

// Seat 1 "You" follows Klot (seat 2); Dee (seat 3) is at the table but not followed.
TEST_F(AuxiliaryWindowsTest, WinnerCountsInTheTally)
{
    login(1, "You");
    deliver({"CMD_existingplayers+2+Klot", "CMD_existingplayers+3+Dee"});
    Ttallylist &tally = windows->tallylist();
    tally.loadchecklist(windows->otherSeatNames());
    auto *checklist = tally.findChild<QListWidget *>(QStringLiteral("checklist"));
    ASSERT_NE(checklist, nullptr);
    ASSERT_EQ(checklist->count(), 2);
    checklist->item(0)->setCheckState(Qt::Checked);
    ASSERT_EQ(tally.table().findOpponent(QStringLiteral("Klot")), 1);

    struct Game
    {
        const char *winner;
        const char *games, *wins, *klotGames, *klotWins, *yourWins, *neither;
    };
    const Game games[] = {
        {"You", "1", "1", "1", "0", "1", "0"},
        {"Klot", "2", "1", "2", "1", "1", "0"},
        {"Dee", "3", "1", "3", "1", "1", "1"},
        {"Klot and Dee", "3", "1", "3", "1", "1", "1"}, // a shared win counts nothing
    };
    for (const Game &g : games) {
        deliver("CMD_winner+" + QByteArray(g.winner));
        const TallyTable &t = tally.table();
        const QStringList got{t.cell(1, 0), t.cell(2, 0), t.cell(1, 1), t.cell(2, 1), t.cell(3, 1), t.cell(4, 1)};
        const QStringList want{QString::fromLatin1(g.games),     QString::fromLatin1(g.wins),
                               QString::fromLatin1(g.klotGames), QString::fromLatin1(g.klotWins),
                               QString::fromLatin1(g.yourWins),  QString::fromLatin1(g.neither)};
        EXPECT_EQ(got, want) << "after " << g.winner;
    }
}

// A game's end is written to the tally file at once without the tally window, and the
// window opened afterwards shows it, this run's counters included.
TEST_F(AuxiliaryWindowsTest, GameEndCountedWithoutTheTallyWindow)
{
    TallyTable followed;
    followed.follow(QStringLiteral("Klot"));
    ASSERT_TRUE(TallyStore(tallyPath()).save(followed));
    login(1, "You");
    deliver({"CMD_existingplayers+2+Klot", "CMD_existingplayers+3+Dee", "CMD_winner+Klot"});
    ASSERT_FALSE(built("Ttallylist"));

    const TallyTable saved = TallyStore(tallyPath()).load();
    EXPECT_EQ(saved.cell(1, 0) + saved.cell(2, 0), QStringLiteral("10")) << "one game, not won";
    EXPECT_EQ(saved.cell(1, 1) + saved.cell(2, 1), QStringLiteral("11")) << "Klot played and won";
    EXPECT_TRUE(boxes.errors.isEmpty());

    menuItem("ViewTally1")->trigger();
    Ttallylist &tally = windows->tallylist();
    ASSERT_TRUE(tally.isVisible());
    EXPECT_EQ(tally.findChild<QLabel *>(QStringLiteral("mylabel_1"))->text(), QStringLiteral("1"));
    auto *tallied = tally.findChild<QListWidget *>(QStringLiteral("listbox_tally"));
    ASSERT_NE(tallied, nullptr);
    ASSERT_EQ(tallied->count(), 1);
    tallied->setCurrentRow(0);
    EXPECT_EQ(tally.findChild<QLabel *>(QStringLiteral("label_6"))->text(), QStringLiteral("1"))
        << "Klot's win of this run";

    deliver("CMD_winner+You");
    EXPECT_EQ(tally.findChild<QLabel *>(QStringLiteral("mylabel_2"))->text(), QStringLiteral("1"))
        << "the open window follows the next game";
}

// A tally file that cannot be read is reported while the program starts, not when the
// tally is first needed.
TEST_F(AuxiliaryWindowsTest, DamagedTallyIsReportedAtStart)
{
    QFile damaged(tallyPath());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a tally");
    damaged.close();
    start();
    EXPECT_EQ(boxes.errors.size(), 1);
    EXPECT_FALSE(built("Ttallylist"));
}

TEST_F(AuxiliaryWindowsTest, SpectatorCountsNoGame)
{
    login(6, "Eve");
    deliver({"CMD_existingplayers+1+Ann", "CMD_winner+Ann"});
    EXPECT_EQ(windows->tallylist().table().cell(1, 0), QStringLiteral("0"));
}

// What the end of a game counts in this copy's tally: the winner word handed to the tally
// ("addtomine" when the user won), or nothing for a spectator, a copy without a seat, or a
// shared win.
struct WinnerCase
{
    const char *name;
    QByteArray winnerText; // as announced at the end of the game
    QByteArray myName;
    int mySeat;          // 0: the log-in was never answered
    QStringList counted; // what the tally receives; empty when nothing is counted
};

void PrintTo(const WinnerCase &c, std::ostream *os)
{
    *os << c.name;
}

class CountedWinner : public AuxiliaryWindowsTest, public testing::WithParamInterface<WinnerCase>
{
};

TEST_P(CountedWinner, TallyReceivesTheWinnerWord)
{
    const WinnerCase &c = GetParam();
    if (c.mySeat == 0) {
        start();
        ASSERT_TRUE(host.waitForClient());
    } else {
        login(c.mySeat, c.myName);
    }
    QSignalSpy counted(&chat->session().game(), &ClientGame::tallyGame);
    deliver("CMD_winner+" + c.winnerText);
    QStringList words;
    for (const QList<QVariant> &args : counted)
        words << args.at(0).toString();
    EXPECT_EQ(words, c.counted) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    AuxiliaryWindows, CountedWinner,
    testing::Values(WinnerCase{"own name at seat 1", "Me", "Me", 1, {"addtomine"}},
                    WinnerCase{"own name holding and", "Tom and Jerry", "Tom and Jerry", 3, {"addtomine"}},
                    WinnerCase{"another player at seat 4", "Ann", "Me", 4, {"Ann"}},
                    WinnerCase{"name differing in case only is another player", "me", "Me", 2, {"me"}},
                    WinnerCase{"shared win including me", "Ann and Me", "Me", 2, {}},
                    WinnerCase{"shared win of two others", "Ann and Bob", "Me", 1, {}},
                    WinnerCase{"spectator with another winner", "Ann", "Me", 5, {}},
                    WinnerCase{"spectator named like the winner", "Me", "Me", 9, {}},
                    WinnerCase{"no seat yet", "Ann", "Me", 0, {}}),
    [](const testing::TestParamInfo<WinnerCase> &info) {
        std::string name = info.param.name;
        for (char &ch : name)
            ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

TEST_F(AuxiliaryWindowsTest, ViewTallyListsTheOtherSeats)
{
    joinAs(3, "Carl");
    deliver({"CMD_existingplayers+1+Ann", "CMD_existingplayers+2+Bob", "CMD_newplayerinfo+7+Spy"});
    chat->board().playerName(4)->setText(QStringLiteral("<Waiting>"));
    menuItem("ViewTally1")->trigger();
    Ttallylist &tally = windows->tallylist();
    EXPECT_TRUE(tally.isVisible());
    auto *checklist = tally.findChild<QListWidget *>(QStringLiteral("checklist"));
    ASSERT_NE(checklist, nullptr);
    QStringList names;
    for (int i = 0; i < checklist->count(); ++i)
        names << checklist->item(i)->text();
    EXPECT_EQ(names, (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}))
        << "own seat, <Waiting> seats and spectators are left out";
}

// The editor and the client's settings share one file: what "Done" stores is read back by
// the next run, and an emptied phrase counts as missing there.
TEST_F(AuxiliaryWindowsTest, PhraseEditorChangesTheButtonsAndTheNextRun)
{
    login(1, "You");
    const QString design1 = chat->board().b_phrase[1]->toolTip();
    const QString design5 = chat->board().b_phrase[5]->toolTip();
    menuItem("PhraseList1")->trigger();
    Tphrases &phrases = windows->phrases();
    ASSERT_TRUE(phrases.isVisible());
    auto *field3 = phrases.findChild<QLineEdit *>(QStringLiteral("phrase3"));
    auto *field5 = phrases.findChild<QLineEdit *>(QStringLiteral("phrase5"));
    ASSERT_TRUE(field3 && field5);
    EXPECT_EQ(field3->text(), chat->board().b_phrase[3]->toolTip()) << "fields start from the buttons";
    field3->setText(QStringLiteral("Nice roll!"));
    field5->clear();
    phrases.findChild<QPushButton *>(QStringLiteral("button_done"))->click();

    EXPECT_EQ(chat->board().b_phrase[3]->toolTip(), QStringLiteral("Nice roll!"));
    EXPECT_EQ(chat->board().b_phrase[5]->toolTip(), QString()) << "empty for the rest of this run";
    EXPECT_EQ(chat->board().b_phrase[1]->toolTip(), design1);
    chat->board().b_phrase[3]->click();
    EXPECT_FALSE(host.waitForPrefix("CMD_action+1+says: Nice roll!|").isEmpty())
        << "the button says the phrase it shows";

    windows.reset();
    chat.reset();
    host.peer = nullptr;
    login(1, "You");
    EXPECT_EQ(chat->board().b_phrase[3]->toolTip(), QStringLiteral("Nice roll!"));
    EXPECT_EQ(chat->board().b_phrase[5]->toolTip(), design5) << "an empty key keeps the design phrase";
    EXPECT_FALSE(built("Tphrases")) << "the stored phrases reach the buttons without the editor";
}

TEST_F(AuxiliaryWindowsTest, HelpAndAboutOpenFromTheMenuAndF1)
{
    start();
    chat->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(chat.get()));
    QTest::keyClick(chat.get(), Qt::Key_F1);
    EXPECT_TRUE(windows->help().isVisible()) << "F1 opens the help window";

    EXPECT_FALSE(windows->about().isVisible());
    menuItem("About1")->trigger();
    EXPECT_TRUE(windows->about().isVisible());
}

TEST_F(AuxiliaryWindowsTest, LogoOpensTheMakersSite)
{
    start();
    QStringList opened;
    windows->about().setOpener([&opened](const QUrl &url) {
        opened << url.toString();
        return true;
    });
    auto *logo = chat->findChild<QWidget *>(QStringLiteral("image_logo"));
    ASSERT_NE(logo, nullptr);
    QTest::mouseClick(logo, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened.at(0).contains(QLatin1String(Tabout::MakerAddress))) << opened.at(0).toStdString();
}

TEST_F(AuxiliaryWindowsTest, SoloStartShowsTheDownloadWhoseSuccessEndsTheGame)
{
    const QString lobby = dir.filePath(QStringLiteral("vornlobby"));
    QFile program(lobby);
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();
    start();
    EXPECT_TRUE(chat->isVisible());
    EXPECT_FALSE(windows->download().isVisible()) << "the main window is shown first";
    EXPECT_TRUE(QTest::qWaitFor([this] { return windows->download().isVisible(); }, 2000));
    QSignalSpy closed(chat.get(), &Tchat::closed);
    windows->download().setLobbyProgram(lobby);
    windows->download().playWithOthers(); // "Play with Others" with an installed lobby
    ASSERT_EQ(shell.starts.size(), 1);
    EXPECT_EQ(closed.count(), 1) << "the game closes as File > Exit does";
    EXPECT_FALSE(chat->isVisible());
    EXPECT_FALSE(windows->download().isVisible());
}

// With "Show at start" off a solo start shows the board alone.
TEST_F(AuxiliaryWindowsTest, ShowAtStartOffLeavesTheSoloBoardUncovered)
{
    IniFile settings(dir.filePath(QStringLiteral("vornlobby.ini")));
    ASSERT_TRUE(
        settings.writeString(QStringLiteral("Dorvane"), QStringLiteral("Showdownload"), QStringLiteral("false")));
    login(1, "You");
    QTest::qWait(200); // the window would follow from the event loop
    EXPECT_FALSE(windows->download().isVisible());
    EXPECT_TRUE(chat->isVisible());
}

// The download window never hides the Host or Join window: it closes when either opens,
// from the menu or through "Play with Others".
TEST_F(AuxiliaryWindowsTest, HostAndJoinWindowsAreNeverCoveredByTheDownloadWindow)
{
    start();
    Tdownload &download = windows->download();
    ASSERT_TRUE(QTest::qWaitFor([&download] { return download.isVisible(); }, 2000));
    EXPECT_FALSE(download.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    for (const char *item : {"JoinGame1", "HostGame1"}) {
        download.show();
        menuItem(item)->trigger();
        EXPECT_FALSE(download.isVisible()) << item;
    }
    auto *join = chat->findChild<QWidget *>(QStringLiteral("JoinGameDialog"));
    auto *host = chat->findChild<QWidget *>(QStringLiteral("HostGameDialog"));
    ASSERT_TRUE(join && host);
    EXPECT_TRUE(host->isVisible());
    join->hide();
    host->hide();

    download.setLobbyProgram(dir.filePath(QStringLiteral("no-lobby-here")));
    download.show();
    download.findChild<QPushButton *>(QStringLiteral("Button2"))->click(); // "Play with Others"
    EXPECT_FALSE(download.isVisible());
    EXPECT_TRUE(join->isVisible()) << "Play with Others opens Join a Game...";
    EXPECT_TRUE(shell.starts.isEmpty());
}

TEST_F(AuxiliaryWindowsTest, JoinedStartShowsNoDownload)
{
    joinAs(2, "Ann");
    EXPECT_FALSE(windows->download().isVisible());
}

} // namespace
