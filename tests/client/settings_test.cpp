// The settings file, the Options menu, the window's place and the sound switches.
#include "chatinput.h"
#include "chatview.h"
#include "clientfixture.h"
#include "clientoptions.h"
#include "mainmenu.h"
#include "serverform.h"
#include "windowplace.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QToolButton>

namespace {

quint16 deadPort()
{
    ScriptedHost gone;
    return gone.port();
}

class Settings : public ClientFixture
{
protected:
    QString iniPath() const { return dir.filePath(QStringLiteral("vornlobby.ini")); }
    bool waitForChatLine(const QString &line) const
    {
        return QTest::qWaitFor([&] { return chatLines().contains(line); }, 3000);
    }
    void writeIni(const QByteArray &content)
    {
        QFile f(iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QByteArray readIni() const
    {
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString value(const char *key) const
    {
        for (const QByteArray &line : readIni().split('\n')) {
            if (line.startsWith(QByteArray(key) + '='))
                return QString::fromUtf8(line.mid(qsizetype(qstrlen(key)) + 1));
        }
        return QStringLiteral("<missing>");
    }
    QStringList markedSizes() const
    {
        QStringList marked;
        for (QAction *n : chat->menu().textSizes()) {
            if (n->isChecked())
                marked << n->text();
        }
        return marked;
    }
    // Closes the connection so the next case can log in afresh.
    void restart()
    {
        chat.reset();
        host.peer = nullptr;
        host.received.clear();
        host.framer = MessageFramer();
    }
    QRect outer() const { return chat->options().place().outer(); }
    void created() override
    {
        if (server)
            chat->setServer(server);
    }
    // Logs in and waits until the settings have been read.
    void arrive(int id = 1)
    {
        login(id);
        ASSERT_TRUE(QTest::qWaitFor([&] { return chat->options().values().botSpeed != 0; }, 3000));
    }

    TServer *server = nullptr; // the in-process host, when a case needs one
};

TEST_F(Settings, NoFileGivesTheDefaults)
{
    arrive();
    EXPECT_EQ(chat->session().chatView().textSize(), 8);
    EXPECT_EQ(markedSizes(), QStringList{QStringLiteral("8")});
    EXPECT_EQ(chat->session().chatInput().textColor(), QColor(0, 0, 0));
    EXPECT_EQ(chat->options().values().botSpeed, 1000);
    EXPECT_TRUE(chat->menu().normalBots()->isChecked());
    EXPECT_TRUE(chat->menu().playSounds()->isChecked());
    EXPECT_TRUE(chat->menu().playChatterSounds()->isChecked());
    EXPECT_TRUE(chat->menu().classicTurnSound()->isChecked());
    EXPECT_EQ(outer(), QRect(3, 3, 700, 590));
    EXPECT_EQ(chat->session().chatInput().phrases(), ChatInput::defaultPhrases());
    EXPECT_FALSE(QFile::exists(iniPath())) << "reading writes nothing";
}

TEST_F(Settings, KeyValuesAndTheirInvalidForms)
{
    struct Case
    {
        QByteArray lines;
        std::function<void(Tchat &)> check;
    };
    const Case cases[] = {
        {"Botspeed=750",
         [](Tchat &c) {
             EXPECT_EQ(c.options().values().botSpeed, 1000);
             EXPECT_TRUE(c.menu().normalBots()->isChecked());
         }},
        {"Botspeed=2000",
         [](Tchat &c) {
             EXPECT_EQ(c.options().values().botSpeed, 2000);
             EXPECT_TRUE(c.menu().slowBots()->isChecked());
         }},
        {"Playsounds=no", [](Tchat &c) { EXPECT_TRUE(c.menu().playSounds()->isChecked()); }},
        {"Playsounds=false", [](Tchat &c) { EXPECT_FALSE(c.menu().playSounds()->isChecked()); }},
        {"ChatterSounds=FALSE", [](Tchat &c) { EXPECT_TRUE(c.menu().playChatterSounds()->isChecked()); }},
        {"ChatterSounds=false", [](Tchat &c) { EXPECT_FALSE(c.menu().playChatterSounds()->isChecked()); }},
        {"Turnsound=2",
         [](Tchat &c) {
             EXPECT_TRUE(c.menu().classicTurnSound()->isChecked());
             EXPECT_FALSE(c.session().game().turnSoundNew);
         }},
        {"Turnsound=1",
         [](Tchat &c) {
             EXPECT_TRUE(c.menu().newTurnSound()->isChecked());
             EXPECT_TRUE(c.session().game().turnSoundNew);
         }},
        {"Textsize=twelve", [](Tchat &c) { EXPECT_EQ(c.session().chatView().textSize(), 8); }},
        {"Textsize=0", [](Tchat &c) { EXPECT_EQ(c.session().chatView().textSize(), 8); }},
        {"Textsize=12", [](Tchat &c) { EXPECT_EQ(c.session().chatView().textSize(), 12); }},
        {"Textcolor=clNavy", [](Tchat &c) { EXPECT_EQ(c.session().chatInput().textColor(), QColor(0, 0, 128)); }},
        {"Textcolor=$004080FF",
         [](Tchat &c) { EXPECT_EQ(c.session().chatInput().textColor(), QColor(255, 128, 64)); }},
        {"Textcolor=purplish", [](Tchat &c) { EXPECT_EQ(c.session().chatInput().textColor(), QColor(0, 0, 0)); }},
        // 800 x 590 leaves a client area 544 high, below the 550 minimum: it grows to it.
        {"Left=40\nTop=x\nWidth=800\nHeight=",
         [](Tchat &c) { EXPECT_EQ(c.options().place().outer(), QRect(40, 3, 800, 596)); }},
        {"Phrase3=Hi there\nPhrase4=",
         [](Tchat &c) {
             EXPECT_EQ(c.session().chatInput().phrases().value(2), QStringLiteral("Hi there"));
             EXPECT_EQ(c.session().chatInput().phrases().value(3), QStringLiteral("Excellent!"));
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lines.toStdString());
        writeIni("[Other]\nBotspeed=500\n[dorvane]\n" + c.lines + '\n');
        arrive();
        c.check(*chat);
        restart();
    }
}

TEST_F(Settings, TextSizeWithoutAMenuItemAppliesAndIsWrittenBack)
{
    writeIni("[Dorvane]\nTextsize=11\n");
    arrive();
    EXPECT_EQ(chat->session().chatView().textSize(), 11);
    EXPECT_EQ(chat->session().chatView().style(9).font().pixelSize(), 15); // 11 points at 96 dpi
    EXPECT_TRUE(markedSizes().isEmpty());
    chat->menu().playSounds()->trigger();
    EXPECT_EQ(value("Textsize"), QStringLiteral("11"));
    find<QAction>(QStringLiteral("N141"))->trigger();
    EXPECT_EQ(markedSizes(), QStringList{QStringLiteral("14")});
    EXPECT_EQ(value("Textsize"), QStringLiteral("14"));
}

TEST_F(Settings, EveryMenuChangeWritesTheWholeSectionInOrder)
{
    writeIni("; kept\n[Other]\nTop=99\n");
    arrive();
    chat->menu().newTurnSound()->trigger();
    EXPECT_EQ(readIni(), QByteArray("; kept\n[Other]\nTop=99\n\n[Dorvane]\nTextsize=8\nTextcolor=clBlack\n"
                                    "Botspeed=1000\nTop=3\nLeft=3\nWidth=700\nHeight=590\nTurnsound=1\n"
                                    "Playsounds=true\nChatterSounds=true\n"));
    EXPECT_TRUE(chat->menu().newTurnSound()->isChecked());
    EXPECT_FALSE(chat->menu().classicTurnSound()->isChecked());
}

TEST_F(Settings, ChangesBeforeTheFileIsReadKeepTheStoredValues)
{
    writeIni("[Dorvane]\nTextsize=14\nTextcolor=clNavy\nBotspeed=500\nTop=40\nLeft=30\nWidth=720\nHeight=600\n"
             "Turnsound=1\nPlaysounds=true\nChatterSounds=false\n");
    start(); // not yet logged in: the design values are showing
    chat->menu().playSounds()->trigger();
    EXPECT_EQ(readIni(), QByteArray("[Dorvane]\nTextsize=14\nTextcolor=clNavy\nBotspeed=500\nTop=40\nLeft=30\n"
                                    "Width=720\nHeight=600\nTurnsound=1\nPlaysounds=false\nChatterSounds=false\n"))
        << "only the change is written";
}

TEST_F(Settings, ClosingACopyThatNeverReadItsSettingsLeavesTheFileAlone)
{
    const QByteArray stored = "; shared\r\n[Other]\nTop=1\n[Dorvane]\nTextsize=14\nTop=40\nLeft=30\nWidth=720\n";
    struct Case
    {
        const char *name;
        std::function<void()> run;
    };
    TServer busyHost; // its game port is the scripted host's, which holds it already
    const Case cases[] = {
        {"host unreachable",
         [&] {
             start({"Ann", "127.0.0.1", "false"}, deadPort());
             ASSERT_TRUE(waitForChatLine(QStringLiteral("Could not connect to the host.")));
         }},
        {"game full",
         [&] {
             start();
             ASSERT_TRUE(host.waitForClient());
             deliver("CMD_full+");
         }},
        {"port busy",
         [&] {
             server = &busyHost;
             start({"Ann", "127.0.0.1", "true"});
             ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.errors.isEmpty(); }, 3000));
         }},
        {"host missing",
         [&] {
             start({"Ann"});
             ASSERT_TRUE(waitForChatLine(QStringLiteral("Loading Multi-player Game.. Please Wait.")));
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        writeIni(stored);
        c.run();
        chat->move(200, 100); // the window moved: closing would store its place
        chat->close();
        EXPECT_EQ(readIni(), stored);
        restart();
        server = nullptr;
    }
    EXPECT_EQ(boxes.errors, QStringList{QStringLiteral("Listen - Error Binding Socket")});
}

TEST_F(Settings, TextColourDialogOkSavesCancelKeeps)
{
    arrive();
    colors.answer = QColor(255, 128, 64);
    chat->menu().textColor()->trigger();
    EXPECT_EQ(colors.lastInitial, QColor(0, 0, 0));
    EXPECT_EQ(value("Textcolor"), QStringLiteral("$004080FF"));
    EXPECT_EQ(chat->session().chatInput().textColor(), QColor(255, 128, 64));
    writeIni("");
    colors.answer.reset();
    chat->menu().textColor()->trigger();
    EXPECT_EQ(colors.asked, 2);
    EXPECT_TRUE(readIni().isEmpty()) << "Cancel writes nothing";
    EXPECT_EQ(chat->session().chatInput().textColor(), QColor(255, 128, 64));
}

TEST_F(Settings, SeatOneSendsTheStoredBotSpeedOnArrival)
{
    writeIni("[Dorvane]\nBotspeed=500\n");
    arrive(1);
    EXPECT_TRUE(host.waitForRequest("CMD_botspeed+1+500+"));
    EXPECT_TRUE(chat->menu().fastBots()->isChecked());
}

TEST_F(Settings, ClosingUnmovedWritesNothingEvenAfterAMenuWrite)
{
    writeIni("[Dorvane]\nLeft=40\nTop=50\nWidth=720\nHeight=600\n");
    arrive();
    chat->menu().playSounds()->trigger(); // writes the section, geometry included
    writeIni("[Dorvane]\nTop=77\n");
    chat->move(300, 300);
    chat->move(40, 50);
    chat->close();
    EXPECT_EQ(readIni(), QByteArray("[Dorvane]\nTop=77\n"));
}

TEST_F(Settings, ClosingStoresTheWindowShrunkOnceToTheWorkArea)
{
    struct Case
    {
        QSize size;
        QSize stored;
    };
    const Case cases[] = {
        {QSize(2000, 600), QSize(1985, 600)},
        {QSize(800, 900), QSize(800, 885)},
        {QSize(1030, 780), QSize(1015, 765)},
        {QSize(1024, 768), QSize(1024, 768)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.size.width());
        QFile::remove(iniPath());
        arrive();
        chat->move(10, 20);
        chat->options().place().applySize(c.size);
        ASSERT_EQ(outer().size(), c.size);
        chat->close();
        EXPECT_EQ(value("Width"), QString::number(c.stored.width()));
        EXPECT_EQ(value("Height"), QString::number(c.stored.height()));
        EXPECT_EQ(value("Left"), QStringLiteral("10"));
        EXPECT_EQ(value("Top"), QStringLiteral("20"));
        EXPECT_EQ(chat->options().lastSaved(), QRect(QPoint(10, 20), c.stored));
        restart();
    }
}

TEST_F(Settings, ResetScreenLocationMovesWithoutWriting)
{
    arrive();
    chat->move(200, 100);
    chat->resize(900, 700);
    chat->menu().resetScreenLocation()->trigger();
    EXPECT_EQ(outer(), QRect(3, 3, 700, 590));
    EXPECT_FALSE(QFile::exists(iniPath()));
}

TEST_F(Settings, ClientAreaNeverSmallerThanTheBoard)
{
    start();
    chat->resize(300, 200);
    QCoreApplication::processEvents();
    EXPECT_GE(chat->centralWidget()->width(), Board::Width + 15);
    EXPECT_GE(chat->centralWidget()->height(), Board::Height + 12);
    // A window manager that ignores the size hint resizes the platform window itself.
    chat->windowHandle()->resize(320, 240);
    EXPECT_TRUE(QTest::qWaitFor([&] { return chat->width() >= Board::Width + 15; }, 1000));
    EXPECT_GE(chat->centralWidget()->width(), Board::Width + 15);
    EXPECT_GE(chat->centralWidget()->height(), Board::Height + 12);
    EXPECT_GE(chat->options().place().clientArea().height(), Board::Height + 12);
}

TEST_F(Settings, TheStoredPlaceIsTheOuterWindowAroundTheDesignClientArea)
{
    arrive();
    EXPECT_EQ(outer(), QRect(3, 3, 700, 590));
    EXPECT_EQ(chat->centralWidget()->size(), QSize(692, 544)) << "the client area below the menu";
    EXPECT_EQ(chat->board().mapTo(chat->centralWidget(), QPoint(0, 0)), QPoint(5, 3));
    screenshot("board-default-place");
    chat->move(20, 30);
    chat->resize(chat->width() + 100, chat->height() + 50);
    chat->close();
    EXPECT_EQ(value("Width"), QStringLiteral("800"));
    EXPECT_EQ(value("Height"), QStringLiteral("640"));
}

TEST_F(Settings, AStoredPlaceIsUsedOnlyWhenItFitsTheWorkArea)
{
    struct Case
    {
        QByteArray lines;
        QRect expected;
    };
    const Case cases[] = {
        {"Left=100\nTop=50\nWidth=900\nHeight=700", QRect(100, 50, 900, 700)},
        {"Left=0\nTop=0\nWidth=1024\nHeight=768", QRect(0, 0, 1024, 768)},
        {"Width=5000\nHeight=4000", QRect(3, 3, 700, 590)},
        {"Left=900", QRect(3, 3, 700, 590)},
        {"Top=-40", QRect(3, 3, 700, 590)},
        {"Height=0", QRect(3, 3, 700, 590)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lines.toStdString());
        writeIni("[Dorvane]\n" + c.lines + '\n');
        arrive();
        EXPECT_EQ(outer(), c.expected);
        restart();
    }
}

TEST_F(Settings, EachSoundObeysOnlyItsOwnSwitch)
{
    arrive();
    chat->menu().playSounds()->trigger(); // off; chatter sounds stay on
    soundPlayer.played.clear();
    chat->playsounds(QStringLiteral("dice"));
    deliver("CMD_playasound+1+wave3+");
    EXPECT_EQ(soundPlayer.played, QStringList{QStringLiteral("wave3")});
    chat->menu().playSounds()->trigger();
    chat->menu().playChatterSounds()->trigger();
    soundPlayer.played.clear();
    chat->playsounds(QStringLiteral("turn"));
    deliver("CMD_playasound+1+wave13+");
    EXPECT_EQ(soundPlayer.played, QStringList{QStringLiteral("turn")});
    EXPECT_EQ(chatLines().last(), QStringLiteral("You: <Chatter Sound> Applause"));
}

TEST_F(Settings, BothScrollChatOffItemsShareTheirMark)
{
    start();
    QAction *popupItem = chat->session().chatView().ScrollChatOff();
    chat->menu().scrollChatOff()->trigger();
    EXPECT_TRUE(chat->session().chatView().scrollOff());
    EXPECT_TRUE(popupItem->isChecked());
    popupItem->trigger();
    EXPECT_FALSE(chat->session().chatView().scrollOff());
    EXPECT_FALSE(chat->menu().scrollChatOff()->isChecked());
    chat->menu().clearMainChat()->trigger();
    EXPECT_TRUE(chatLines().isEmpty());
}

} // namespace
