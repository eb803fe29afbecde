// Joining a host over IPv6 from the Join window: an IPv6 address with its port in brackets
// needs no name look-up and reaches a host that listens on every address.
#include "clientfixture.h"
#include "ipv6loopback.h"
#include "netplayfixture.h"
#include "pendingjoin.h"
#include "serverform.h"
#include "startupwithhost.h"

#include <QLineEdit>

TEST_F(Netplay, JoiningAnIPv6AddressNeedsNoLookUpAndLogsIn)
{
    if (!hasIPv6Loopback())
        GTEST_SKIP() << "this machine has no IPv6 loopback address (::1)";
    TServer remote;
    remote.setPortName(QStringLiteral("0"));
    remote.startListening();
    startSolo();
    JoinGameDialog &join = openJoin();
    int lookUps = 0;
    join.setResolver([&](const QString &, QObject *, std::function<void(QString)> done) {
        ++lookUps;
        done(QStringLiteral("no look-ups here"));
    });
    in<QLineEdit>(join, "edit_name")->setText(QStringLiteral("Vi"));
    join.setAddress(QStringLiteral("[::1]:%1").arg(remote.listeningPort()));
    QTest::keyClick(in<QLineEdit>(join, "edit_name"), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !join.isVisible(); }, 5000)) << join.problem().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return remote.state().seats[1].name == "Vi"; }, 5000))
        << "logged in over IPv6";
    EXPECT_EQ(lookUps, 0);
}

TEST(PendingJoinEndpoint, EveryAddressFormReachesItsHostAndPort)
{
    const struct
    {
        const char *address;
        const char *host;
        quint16 port;
    } rows[] = {
        {"game.example", "game.example", 8000},
        {"game.example:7000", "game.example", 7000},
        {"127.0.0.1:7772", "127.0.0.1", 7772},
        {"2001:db8::7", "2001:db8::7", 8000},
        {"[2001:db8::7]", "2001:db8::7", 8000},
        {"[2001:db8::7]:7772", "2001:db8::7", 7772},
        {"[::1]:7001", "::1", 7001},
    };
    for (const auto &row : rows) {
        const auto [host, port] = PendingJoin::endpoint(QString::fromLatin1(row.address), 8000);
        EXPECT_EQ(host, QString::fromLatin1(row.host)) << row.address;
        EXPECT_EQ(port, row.port) << row.address;
    }
}

// The same start-up against the real host of this program, over IPv6.
class StartupOverIPv6 : public StartupWithHost
{
};

TEST_F(StartupOverIPv6, ASoloGameIsNotReachedOverIPv6)
{
    if (!hasIPv6Loopback())
        GTEST_SKIP() << "this machine has no IPv6 loopback address (::1)";
    start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return chatLines().contains(QStringLiteral("You are Connected.")); }, 3000));
    EXPECT_FALSE(connects("::1", server.listeningPort())) << "a solo game stays on IPv4 loopback";
    EXPECT_EQ(server.hostingEntry(), 1);
}

TEST_F(StartupOverIPv6, AHostedGameIsReachedOverIPv6)
{
    if (!hasIPv6Loopback())
        GTEST_SKIP() << "this machine has no IPv6 loopback address (::1)";
    quint16 gamePort = 0;
    {
        TSock probe; // a free port, released again
        probe.setPortName(QStringLiteral("0"));
        probe.setListen(true);
        gamePort = probe.boundPort();
    }
    start({"Ann", "192.0.2.1", "true"}, gamePort);
    ASSERT_TRUE(QTest::qWaitFor([&] { return chatLines().contains(QStringLiteral("You are Connected.")); }, 3000));
    EXPECT_EQ(server.listeningPort(), gamePort);
    EXPECT_TRUE(connects("::1", gamePort));
    EXPECT_TRUE(connects("127.0.0.1", gamePort));
}

TEST_F(StartupOverIPv6, TheCommandLineJoinsAnIPv6Address)
{
    if (!hasIPv6Loopback())
        GTEST_SKIP() << "this machine has no IPv6 loopback address (::1)";
    server.setPortName(QStringLiteral("0"));
    server.startListening();
    for (const QString &typed : {QStringLiteral("::1"), QStringLiteral("[::1]")}) {
        start({"Ann", typed, "false"}, server.listeningPort());
        ASSERT_TRUE(QTest::qWaitFor([&] { return server.state().seats[1].name == "Ann"; }, 3000))
            << typed.toStdString();
        EXPECT_FALSE(chat->session().state().amhost) << typed.toStdString();
        chat.reset();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !server.state().seats[1].connected; }, 3000))
            << typed.toStdString();
    }
}
