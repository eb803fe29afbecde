// Start-up, command line, log-in, receive path and closing of the main window.
#include "clientfixture.h"
#include "startupwithhost.h"
#include "clientstate.h"
#include "mainmenu.h"
#include "picturebutton.h"
#include "serverform.h"

#include <QAction>
#include <QSignalSpy>

#include <arpa/inet.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

// A port nothing listens on (just released by a listener of our own).
quint16 deadPort()
{
    ScriptedHost gone;
    return gone.port();
}

// Connects to listener from outside the program and sends one marker line over it. Once the
// listener has the marker, every connection made before this one has been accepted too
// (a listening socket hands its connections over in the order they came).
bool markerArrives(ScriptedHost &listener)
{
    const int marker = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(listener.port());
    const QByteArray line("MARKER\xff");
    const bool sent = ::connect(marker, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
                      && ::send(marker, line.constData(), size_t(line.size()), MSG_NOSIGNAL) == line.size();
    const bool arrived = sent && listener.waitForRequest("MARKER");
    ::close(marker);
    return arrived;
}

using Startup = ClientFixture;

TEST_F(Startup, SoloGameHostsLogsInAndSendsTheBotSpeed)
{
    login(1, "You");
    EXPECT_EQ(chatLines().value(0), QStringLiteral("Loading Solo Game..Please Wait."));
    EXPECT_TRUE(host.waitForRequest("CMD_logininfo+1+1.0.9+You"));
    EXPECT_TRUE(host.waitForRequest("CMD_botspeed+1+1000+")) << "seat 1 sends the default Normal speed";
    EXPECT_EQ(text("label_playername1"), QStringLiteral("You"));
    EXPECT_TRUE(chatLines().contains(QStringLiteral("You are Connected.")));
    EXPECT_TRUE(chat->session().state().amhost);
    EXPECT_TRUE(chat->board().button_start->isVisible());
    EXPECT_TRUE(chat->menu().startGame()->isEnabled());
    EXPECT_EQ(lobby.accepted, 0) << "a solo game does not open the lobby link";
}

TEST_F(Startup, JoinedSeatSendsNoBotSpeedUntilTheUserPicksOne)
{
    login(2, "Ann");
    ASSERT_TRUE(host.waitForRequest("CMD_logininfo+2+1.0.9+You"));
    chat->menu().fastBots()->trigger();
    EXPECT_TRUE(host.waitForRequest("CMD_botspeed+2+500+"));
    EXPECT_EQ(host.requestsStartingWith("CMD_botspeed"), QByteArrayList{"CMD_botspeed+2+500+"})
        << "the user's pick is the first bot speed sent";
    EXPECT_TRUE(chat->menu().fastBots()->isChecked());
    EXPECT_FALSE(chat->menu().normalBots()->isChecked());
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
    EXPECT_EQ(chat->session().state().amhost, c.hosts) << c.name;
    EXPECT_EQ(chat->board().button_start->isVisible(), c.hosts) << c.name;
    EXPECT_EQ(chat->menu().startGame()->isEnabled(), c.hosts) << c.name;
    deliver("CMD_sendlogininfo+3");
    EXPECT_TRUE(host.waitForRequest("CMD_logininfo+3+1.0.9+Ann")) << c.name;
}

INSTANTIATE_TEST_SUITE_P(CommandLine, StartupParameters,
                         ::testing::Values(
                             // Hosting connects to 127.0.0.1 whatever address is given (192.0.2.1 is unroutable).
                             ParameterCase{"true hosts", {"Ann", "192.0.2.1", "true"}, true},
                             ParameterCase{"True joins", {"Ann", "127.0.0.1", "True"}, false},
                             ParameterCase{"false joins", {"Ann", "127.0.0.1", "false", "extra"}, false}),
                         [](const auto &info) {
                             return QString::fromLatin1(info.param.name).replace(' ', '_').toStdString();
                         });

TEST_F(Startup, OneOrTwoParametersOnlyAnnounceTheGame)
{
    for (const QStringList &parameters : {QStringList{"Ann"}, QStringList{"Ann", "127.0.0.1"}}) {
        start(parameters);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !chatLines().isEmpty(); }, 3000)) << parameters.size();
        ASSERT_TRUE(markerArrives(host)) << parameters.size();
        ASSERT_TRUE(markerArrives(lobby)) << parameters.size();
        EXPECT_EQ(chatLines(), QStringList{QStringLiteral("Loading Multi-player Game.. Please Wait.")})
            << parameters.size();
        EXPECT_EQ(host.accepted, 1) << parameters.size() << ": nothing connects but the marker";
        EXPECT_EQ(lobby.accepted, 1) << parameters.size();
        host.accepted = lobby.accepted = 0;
        host.peer = lobby.peer = nullptr;
        host.received.clear();
        lobby.received.clear();
        EXPECT_FALSE(chat->board().button_start->isVisible()) << parameters.size();
        EXPECT_FALSE(chat->menu().startGame()->isEnabled()) << parameters.size();
    }
}

TEST_F(Startup, StartBeforeLoginSaysNotConnectedAndSendsNothing)
{
    start();
    ASSERT_TRUE(host.waitForClient());
    QTest::mouseClick(chat->board().button_start, Qt::LeftButton);
    EXPECT_EQ(boxes.messages, QStringList{QStringLiteral("You are not connected")});
    ASSERT_TRUE(chat->session().connection().send("CMD_chat+0+marker|clBlack"));
    ASSERT_TRUE(host.waitForRequest("CMD_chat+0+marker|clBlack"));
    EXPECT_EQ(host.received, QByteArrayList{"CMD_chat+0+marker|clBlack"}) << "nothing went before the marker";
}

const QString GameEnded = QStringLiteral("The connection to the host has ended, so the game is over for you.");
const QString WhatNow = QStringLiteral("Host a game, join one or play solo from the File menu.");

TEST_F(Startup, AFullGameSaysSoOnceAndKeepsTheWindow)
{
    start();
    ASSERT_TRUE(host.waitForClient());
    deliver("CMD_full+");
    const QString full = QStringLiteral("Game is full. The host has no free place for you.");
    EXPECT_TRUE(chatLines().contains(full));
    EXPECT_EQ(chatLines().last(), WhatNow);
    host.peer->Close(); // the host hangs up after saying so
    QTest::qWait(200);
    EXPECT_TRUE(chat->isVisible());
    EXPECT_EQ(chatLines().count(full), 1);
    EXPECT_FALSE(chatLines().contains(GameEnded)) << "the hang-up adds nothing to what was said";
    EXPECT_TRUE(boxes.messages.isEmpty());
}

TEST_F(Startup, HostClosingTheConnectionEndsTheGameButNotTheWindow)
{
    login();
    deliver("CMD_newplayerinfo+2+Bob");
    QSignalSpy closed(chat.get(), &Tchat::closed);
    // Everything read first: closing with unread bytes would reset the connection instead.
    ASSERT_TRUE(host.waitForRequest("CMD_botspeed+1+1000+"));
    host.peer->Close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return chatLines().contains(GameEnded); }, 3000));
    QTest::qWait(100);
    EXPECT_TRUE(chat->isVisible());
    EXPECT_EQ(closed.count(), 0);
    EXPECT_EQ(chatLines().count(GameEnded), 1);
    EXPECT_EQ(chatLines().last(), WhatNow);
    EXPECT_EQ(text("label_playername2"), QStringLiteral("Bob")) << "the board stays as it stood";
    EXPECT_FALSE(chat->board().button_start->isVisible()) << "there is no host to start a game";
    EXPECT_FALSE(chat->menu().startGame()->isEnabled());
}

TEST_F(Startup, AHostThatNeverEndsItsMessageIsDisconnected)
{
    login();
    ASSERT_TRUE(host.waitForRequest("CMD_botspeed+1+1000+"));
    host.sendRaw("CMD_chat+1+" + QByteArray(70 * 1024, 'x'));
    EXPECT_TRUE(QTest::qWaitFor([&] { return chatLines().contains(GameEnded); }, 3000));
    EXPECT_TRUE(chat->isVisible());
    EXPECT_FALSE(chat->session().state().loggedin);
    EXPECT_TRUE(boxes.errors.isEmpty());
}

TEST_F(Startup, AFirstConnectionThatFailsSaysSoOnceAndKeepsTheWindow)
{
    start({}, deadPort());
    const QString failed = QStringLiteral("Could not connect to the host.");
    EXPECT_TRUE(QTest::qWaitFor([&] { return chatLines().contains(failed); }, 3000));
    QTest::qWait(50);
    EXPECT_TRUE(chat->isVisible());
    EXPECT_EQ(chatLines().count(failed), 1);
    EXPECT_FALSE(chatLines().contains(QStringLiteral("Connection to the host was lost.")))
        << "nothing was lost: there never was a connection";
    EXPECT_TRUE(boxes.errors.isEmpty());
}

TEST_F(Startup, ABrokenConnectionKeepsTheWindowAndSaysSoOnce)
{
    // A host that resets the connection once the client is in.
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length), 0);
    start({}, ntohs(address.sin_port));
    int peer = -1;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return (peer = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK)) >= 0; }, 3000));
    ::close(listener);
    ASSERT_TRUE(QTest::qWaitFor([&] { return chat->session().connection().send("CMD_chat+1+hi|clBlack"); }, 3000));
    const linger reset{1, 0};
    ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    ::close(peer);
    const QString lost = QStringLiteral("Connection to the host was lost.");
    EXPECT_TRUE(QTest::qWaitFor([&] { return chatLines().contains(lost); }, 3000));
    QTest::qWait(50);
    EXPECT_TRUE(chat->isVisible());
    EXPECT_EQ(chatLines().count(lost), 1);
    EXPECT_FALSE(chatLines().contains(QStringLiteral("Could not connect to the host.")));
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
    const quint64 before = chat->session().connection().dispatchedCount();
    host.sendRaw(QByteArray("CMD_newplayerinfo+3+Ann\xff"
                            "CMD_newplayerinfo+4+Bo"));
    QTest::qWait(30);
    host.sendRaw(QByteArray("b\xff"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return chat->session().connection().dispatchedCount() >= before + 2; }, 3000));
    EXPECT_EQ(text("label_playername3"), QStringLiteral("Ann"));
    EXPECT_EQ(text("label_playername4"), QStringLiteral("Bob"));
    EXPECT_FALSE(chat->session().connection().timerRunning()) << "Timer1 stops once the queue is empty";
}

} // namespace

TEST_F(StartupWithHost, ASoloGameIsHostedOnLoopbackOnlyOnAPortOfItsOwn)
{
    // Another program holds the game port on every address (the fixture's scripted host).
    start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return chatLines().contains(QStringLiteral("You are Connected.")); }, 3000));
    EXPECT_TRUE(boxes.errors.isEmpty()) << boxes.errors.join(" | ").toStdString();
    const quint16 port = server.listeningPort();
    EXPECT_NE(port, 0);
    EXPECT_NE(port, host.port());
    EXPECT_EQ(host.peer, nullptr) << "the own client connects to its own host";
    EXPECT_TRUE(connects("127.0.0.1", port));
    EXPECT_FALSE(connects("127.0.0.2", port)) << "only this machine's loopback address is served";
}

TEST_F(StartupWithHost, AHostedGameListensOnEveryAddressOfTheGamePort)
{
    const quint16 gamePort = deadPort();
    start({"Ann", "192.0.2.1", "true"}, gamePort);
    EXPECT_TRUE(QTest::qWaitFor([&] { return chatLines().contains(QStringLiteral("You are Connected.")); }, 3000));
    EXPECT_EQ(server.listeningPort(), gamePort);
    EXPECT_TRUE(connects("127.0.0.2", gamePort));
}

TEST_F(StartupWithHost, AFullGameIsSeenThoughTheHostHangsUpAtOnce)
{
    server.setPortName(QStringLiteral("0"));
    server.startListening();
    std::vector<std::unique_ptr<TSock>> seated;
    for (int n = 0; n < 9; ++n) {
        seated.push_back(std::make_unique<TSock>());
        seated.back()->setHostName(QStringLiteral("127.0.0.1"));
        seated.back()->setPortName(QString::number(server.listeningPort()));
        seated.back()->Open();
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.state().conncount == 9; }, 3000));
    // Joins (the own host stays as it is): the tenth connection is told "CMD_full+" and closed.
    start({"Ann", "127.0.0.1", "false"}, server.listeningPort());
    const QString full = QStringLiteral("Game is full. The host has no free place for you.");
    EXPECT_TRUE(QTest::qWaitFor([&] { return chatLines().contains(full); }, 3000));
    QTest::qWait(200);
    EXPECT_TRUE(chat->isVisible()) << "the window stays with the reason";
    EXPECT_EQ(chatLines().count(full), 1);
}
