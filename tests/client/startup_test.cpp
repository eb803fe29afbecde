// Start-up, command line, log-in, receive path and closing of the main window.
#include "clientfixture.h"
#include "clientstate.h"
#include "mainmenu.h"
#include "picturebutton.h"

#include <QAction>
#include <QSignalSpy>

namespace {

using Startup = ClientFixture;

TEST_F(Startup, SoloGameHostsLogsInAndSendsTheBotSpeed)
{
    login(1, "You");
    EXPECT_EQ(chatLines().value(0), QStringLiteral("Loading Solo Game..Please Wait."));
    EXPECT_TRUE(host.waitForRequest("CMD_logininfo+1+1.0.9+You"));
    EXPECT_TRUE(host.waitForRequest("CMD_botspeed+1+1000+")) << "seat 1 sends the default Normal speed";
    EXPECT_EQ(text("label_playername1"), QStringLiteral("You"));
    EXPECT_TRUE(chatLines().contains(QStringLiteral("You are Connected.")));
    EXPECT_TRUE(chat->state().amhost);
    EXPECT_TRUE(chat->board().button_start->isVisible());
    EXPECT_TRUE(chat->menu().StartGame1->isEnabled());
    EXPECT_EQ(lobby.accepted, 0) << "a solo game does not open the lobby link";
}

TEST_F(Startup, JoinedSeatSendsNoBotSpeedUntilTheUserPicksOne)
{
    login(2, "Ann");
    ASSERT_TRUE(host.waitForRequest("CMD_logininfo+2+1.0.9+You"));
    QTest::qWait(50);
    EXPECT_TRUE(host.requestsStartingWith("CMD_botspeed").isEmpty());
    chat->menu().Fast1->trigger();
    EXPECT_TRUE(host.waitForRequest("CMD_botspeed+2+500+"));
    EXPECT_TRUE(chat->menu().Fast1->isChecked());
    EXPECT_FALSE(chat->menu().Normal1->isChecked());
}

struct ParameterCase
{
    const char *name;
    QStringList parameters;
    bool hosts;
};

class StartupParameters : public ClientFixture, public ::testing::WithParamInterface<ParameterCase>
{
};

TEST_P(StartupParameters, ThreeParametersHostOnlyForLowerCaseTrue)
{
    const ParameterCase &c = GetParam();
    start(c.parameters);
    ASSERT_TRUE(host.waitForClient()) << c.name;
    EXPECT_TRUE(QTest::qWaitFor([&] { return lobby.accepted == 1; }, 3000)) << c.name << ": lobby link";
    EXPECT_EQ(chatLines().value(0), QStringLiteral("Loading Multi-player Game.. Please Wait.")) << c.name;
    EXPECT_EQ(chat->state().amhost, c.hosts) << c.name;
    EXPECT_EQ(chat->board().button_start->isVisible(), c.hosts) << c.name;
    EXPECT_EQ(chat->menu().StartGame1->isEnabled(), c.hosts) << c.name;
    deliver("CMD_sendlogininfo+3");
    EXPECT_TRUE(host.waitForRequest("CMD_logininfo+3+1.0.9+Ann")) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, StartupParameters,
    ::testing::Values(
        // Hosting connects to 127.0.0.1 whatever address is given (192.0.2.1 is unroutable).
        ParameterCase{"true hosts", {"Ann", "192.0.2.1", "true"}, true},
        ParameterCase{"True joins", {"Ann", "127.0.0.1", "True"}, false},
        ParameterCase{"false joins", {"Ann", "127.0.0.1", "false", "extra"}, false}),
    [](const auto &info) { return QString::fromLatin1(info.param.name).replace(' ', '_').toStdString(); });

TEST_F(Startup, OneOrTwoParametersOnlyAnnounceTheGame)
{
    for (const QStringList &parameters : {QStringList{"Ann"}, QStringList{"Ann", "127.0.0.1"}}) {
        start(parameters);
        QTest::qWait(100);
        EXPECT_EQ(chatLines(), QStringList{QStringLiteral("Loading Multi-player Game.. Please Wait.")})
            << parameters.size();
        EXPECT_EQ(host.peer, nullptr) << parameters.size() << ": nothing connects";
        EXPECT_EQ(lobby.accepted, 0) << parameters.size();
        EXPECT_FALSE(chat->board().button_start->isVisible()) << parameters.size();
        EXPECT_FALSE(chat->menu().StartGame1->isEnabled()) << parameters.size();
    }
}

TEST_F(Startup, StartBeforeLoginSaysNotConnectedAndSendsNothing)
{
    start();
    ASSERT_TRUE(host.waitForClient());
    QTest::mouseClick(chat->board().button_start, Qt::LeftButton);
    EXPECT_EQ(boxes.messages, QStringList{QStringLiteral("You are not connected")});
    QTest::qWait(50);
    EXPECT_TRUE(host.received.isEmpty());
}

TEST_F(Startup, FullGameShowsTheBoxAndClosesTheWindow)
{
    start();
    ASSERT_TRUE(host.waitForClient());
    deliver("CMD_full+");
    EXPECT_EQ(boxes.messages, QStringList{QStringLiteral("Game is full")});
    EXPECT_FALSE(chat->isVisible());
}

TEST_F(Startup, HostClosingTheConnectionClosesTheWindow)
{
    login();
    QSignalSpy closed(chat.get(), &Tchat::closed);
    // Everything read first: closing with unread bytes would reset the connection instead.
    ASSERT_TRUE(host.waitForRequest("CMD_botspeed+1+1000+"));
    host.peer->Close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !chat->isVisible(); }, 3000));
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(Startup, AHostThatNeverEndsItsMessageIsDisconnected)
{
    login();
    ASSERT_TRUE(host.waitForRequest("CMD_botspeed+1+1000+"));
    host.sendRaw("CMD_chat+1+" + QByteArray(70 * 1024, 'x'));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !chat->isVisible(); }, 3000));
    EXPECT_TRUE(boxes.errors.isEmpty());
}

TEST_F(Startup, ConnectionErrorKeepsTheWindowAndSaysSoOnce)
{
    quint16 deadPort = 0;
    {
        ScriptedHost gone;
        deadPort = gone.port();
    }
    start({}, deadPort);
    const QString lost = QStringLiteral("Connection to the host was lost.");
    EXPECT_TRUE(QTest::qWaitFor([&] { return chatLines().contains(lost); }, 3000));
    QTest::qWait(50);
    EXPECT_TRUE(chat->isVisible());
    EXPECT_EQ(chatLines().count(lost), 1);
    EXPECT_TRUE(boxes.errors.isEmpty());
}

TEST_F(Startup, VersionMismatchLines)
{
    login();
    deliver({"CMD_wrongversion+", "CMD_havewrongversion+Bob"});
    const QStringList lines = chatLines();
    EXPECT_TRUE(lines.contains(QStringLiteral("You have a differnt version of the game then the host.")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Bob has a different version of the game then you.")));
}

TEST_F(Startup, MalformedMessageIsReportedAndTheClientGoesOn)
{
    login();
    deliver({"CMD_nextplayer+x+1+1+", "CMD_createdice+1+1+11+3+2", "CMD_nextplayer+3+1+4+"});
    EXPECT_EQ(boxes.errors.size(), 2) << boxes.errors.join(" | ").toStdString();
    EXPECT_EQ(text("label_round"), QStringLiteral("Round: 4")) << "the next message is still handled";
    EXPECT_TRUE(chat->isVisible());
}

TEST_F(Startup, MessagesInOneReadAndSplitAcrossReadsKeepTheirOrder)
{
    login();
    const quint64 before = chat->connection().dispatchedCount();
    host.sendRaw(QByteArray("CMD_newplayerinfo+3+Ann\xff" "CMD_newplayerinfo+4+Bo"));
    QTest::qWait(30);
    host.sendRaw(QByteArray("b\xff"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return chat->connection().dispatchedCount() >= before + 2; }, 3000));
    EXPECT_EQ(text("label_playername3"), QStringLiteral("Ann"));
    EXPECT_EQ(text("label_playername4"), QStringLiteral("Bob"));
    EXPECT_FALSE(chat->connection().timerRunning()) << "Timer1 stops once the queue is empty";
}

} // namespace
