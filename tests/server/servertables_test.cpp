// Whole tables on a real dorvane-server: a game played by the computer to its end exactly
// as on dorvane-host, tables kept apart, entry 1 leaving, IPv6, and two shards.
#include "serverprocess.h"
#include "tableclient.h"
#include "tablecode.h"

#include <QTemporaryDir>
#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

const char Loopback[] = "127.0.0.1";

QStringList serverArgs(const char *timeScale, QStringList more = {})
{
    return QStringList{QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--time-scale"),
                       QString::fromLatin1(timeScale)}
           + more;
}

QByteArray codeIn(const QByteArray &tableOpened)
{
    return tableOpened.mid(tableOpened.indexOf('+') + 1);
}

// Plays a game with seat 1 and Klot both played by the computer, then a chat marker so
// that everything sent after the winner has arrived. Returns every message seen.
QList<QByteArray> playToTheEnd(TableClient &alice)
{
    alice.sendMessage("CMD_botspeed+1+500+");
    alice.sendMessage("CMD_startgame+alice+0+0+f+");
    alice.sendMessage("CMD_justwatch+1+1");
    // A game that stops moving fails after a few seconds without a message.
    for (qsizetype heard = -1; alice.withPrefix("CMD_winner+").isEmpty();) {
        heard = alice.messages().size();
        if (!alice.waitFor([&] { return alice.messages().size() != heard; }, 5000)) {
            ADD_FAILURE() << "the game stopped; last message: "
                          << (alice.messages().isEmpty() ? "" : alice.messages().last().constData());
            return alice.messages();
        }
    }
    alice.sendMessage("CMD_chat+1+sync|clBlack");
    alice.waitForPrefix("CMD_chat+1+alice chats: sync");
    return alice.messages();
}

TEST(ServerTables, AComputerGameOnAServerTableIsTheSameAsOnDorvaneHost)
{
    const QStringList seeded = {QStringLiteral("--seed"), QStringLiteral("20261209")};
    ServerProcess server(ServerProcess::serverProgram(), serverArgs("0.001", seeded));
    ServerProcess host(ServerProcess::hostProgram(),
                       QStringList{QStringLiteral("0"), QStringLiteral("--time-scale"), QStringLiteral("0.001")}
                           + seeded);
    ASSERT_NE(server.port(), 0) << server.failure().constData();
    ASSERT_NE(host.port(), 0) << host.failure().constData();

    // The log-in goes with the first message: the log-in deadline is 30 ms at this scale.
    TableClient onServer(Loopback, server.port());
    onServer.send(QByteArray("CMD_opentable+\xff"
                             "CMD_logininfo+1+1.0.9+alice\xff"));
    TableClient onHost(Loopback, host.port());
    onHost.sendMessage("CMD_logininfo+1+1.0.9+alice");
    ASSERT_FALSE(onServer.waitForPrefix("CMD_newplayerinfo+1+alice").isEmpty());
    ASSERT_FALSE(onHost.waitForPrefix("CMD_newplayerinfo+1+alice").isEmpty());

    QList<QByteArray> served = playToTheEnd(onServer);
    const QList<QByteArray> hosted = playToTheEnd(onHost);
    ASSERT_FALSE(served.isEmpty());
    EXPECT_TRUE(served.takeFirst().startsWith("CMD_tableopened+"));
    EXPECT_EQ(served.size(), hosted.size());
    for (qsizetype i = 0; i < std::min(served.size(), hosted.size()); ++i)
        ASSERT_EQ(served[i], hosted[i]) << "message " << i;
    const auto winners = std::count_if(hosted.begin(), hosted.end(),
                                       [](const QByteArray &m) { return m.startsWith("CMD_winner+"); });
    EXPECT_EQ(winners, 1);
    const auto turns = std::count_if(hosted.begin(), hosted.end(),
                                     [](const QByteArray &m) { return m.startsWith("CMD_nextplayer+"); });
    EXPECT_GE(turns, 20) << "ten phases take at least ten turns a seat";
}

TEST(ServerTables, TwoTablesNeverMeetAndEntryOneLeavingClosesOnlyItsOwn)
{
    ServerProcess server(ServerProcess::serverProgram(), serverArgs("0.05"));
    ASSERT_NE(server.port(), 0) << server.failure().constData();
    TableClient alice(Loopback, server.port());
    TableClient carol(Loopback, server.port());
    alice.sendMessage("CMD_opentable+");
    carol.sendMessage("CMD_opentable+");
    const QByteArray first = codeIn(alice.waitForPrefix("CMD_tableopened+"));
    const QByteArray second = codeIn(carol.waitForPrefix("CMD_tableopened+"));
    ASSERT_NE(first, second);
    alice.sendMessage("CMD_logininfo+1+1.0.9+alice");
    carol.sendMessage("CMD_logininfo+1+1.0.9+carol");
    TableClient bob(Loopback, server.port());
    TableClient dave(Loopback, server.port());
    bob.sendMessage("CMD_jointable+" + first);
    dave.sendMessage("CMD_jointable+" + second);
    ASSERT_EQ(bob.waitForPrefix("CMD_sendlogininfo+"), "CMD_sendlogininfo+2");
    ASSERT_EQ(dave.waitForPrefix("CMD_sendlogininfo+"), "CMD_sendlogininfo+2");
    bob.sendMessage("CMD_logininfo+2+1.0.9+bob");
    dave.sendMessage("CMD_logininfo+2+1.0.9+dave");
    alice.sendMessage("CMD_chat+1+from the first|clBlack");
    carol.sendMessage("CMD_chat+1+from the second|clBlack");
    ASSERT_FALSE(bob.waitForPrefix("CMD_chat+1+alice chats: from the first").isEmpty());
    ASSERT_FALSE(dave.waitForPrefix("CMD_chat+1+carol chats: from the second").isEmpty());
    for (TableClient *c : {&alice, &bob})
        EXPECT_FALSE(c->waitFor(
            [&] { return c->messages().join(' ').contains("carol") || c->messages().join(' ').contains("dave"); },
            100));
    for (TableClient *c : {&carol, &dave})
        EXPECT_FALSE(c->waitFor(
            [&] { return c->messages().join(' ').contains("alice") || c->messages().join(' ').contains("bob"); },
            100));

    alice.close();
    EXPECT_TRUE(bob.waitClosed()) << "the table closes with its entry 1";
    TableClient late(Loopback, server.port());
    late.sendMessage("CMD_jointable+" + first);
    ASSERT_TRUE(late.waitClosed());
    EXPECT_EQ(late.messages(), QList<QByteArray>{"CMD_notable+" + first});

    dave.sendMessage("CMD_chat+2+still here|clBlack");
    EXPECT_FALSE(carol.waitForPrefix("CMD_chat+2+dave chats: still here").isEmpty());
    EXPECT_FALSE(carol.closedByServer());
    // Entry 2 leaving is an ordinary departure.
    dave.close();
    EXPECT_FALSE(carol.waitForPrefix("CMD_playerdisconnected+2").isEmpty());
    EXPECT_FALSE(carol.closedByServer());
}

TEST(ServerTables, ServesIPv6AndIPv4AtTheSameTable)
{
    ServerProcess server(ServerProcess::serverProgram(), serverArgs("0.05"));
    ASSERT_NE(server.port(), 0) << server.failure().constData();
    TableClient alice("::1", server.port());
    if (!alice.connected())
        GTEST_SKIP() << "this machine has no ::1";
    alice.sendMessage("CMD_opentable+");
    const QByteArray code = codeIn(alice.waitForPrefix("CMD_tableopened+"));
    ASSERT_FALSE(code.isEmpty());
    alice.sendMessage("CMD_logininfo+1+1.0.9+alice");
    TableClient bob(Loopback, server.port());
    bob.sendMessage("CMD_jointable+" + code);
    bob.sendMessage("CMD_logininfo+2+1.0.9+bob");
    EXPECT_FALSE(alice.waitForPrefix("CMD_newplayerinfo+2+bob").isEmpty());
}

TEST(ServerTables, ACodeOfAnotherShardIsSentToItsServer)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString shards = dir.filePath(QStringLiteral("shards"));
    {
        QFile file(shards);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("# two servers\nshard-a.example:7772\n\n[2001:db8::7]:7773\n");
    }
    const auto shardArgs = [&](int shard) {
        return serverArgs("0.05",
                          {QStringLiteral("--shard"), QString::number(shard), QStringLiteral("--shards"), shards});
    };
    ServerProcess even(ServerProcess::serverProgram(), shardArgs(0));
    ServerProcess odd(ServerProcess::serverProgram(), shardArgs(1));
    ASSERT_NE(even.port(), 0) << even.failure().constData();
    ASSERT_NE(odd.port(), 0) << odd.failure().constData();

    QByteArray evenCode;
    for (int i = 0; i < 6; ++i) {
        for (ServerProcess *server : {&even, &odd}) {
            TableClient opener(Loopback, server->port());
            opener.sendMessage("CMD_opentable+");
            const QByteArray code = codeIn(opener.waitForPrefix("CMD_tableopened+"));
            ASSERT_EQ(code.size(), tablecode::Length);
            EXPECT_EQ(tablecode::alphabetIndex(QLatin1Char(code[0])) % 2, server == &odd ? 1 : 0)
                << code.constData();
        }
    }
    TableClient keeper(Loopback, even.port());
    keeper.sendMessage("CMD_opentable+");
    evenCode = codeIn(keeper.waitForPrefix("CMD_tableopened+"));
    keeper.sendMessage("CMD_logininfo+1+1.0.9+keeper");

    TableClient wrongServer(Loopback, odd.port());
    wrongServer.sendMessage("CMD_jointable+" + evenCode.toLower());
    ASSERT_TRUE(wrongServer.waitClosed());
    EXPECT_EQ(wrongServer.messages(), QList<QByteArray>{"CMD_tableat+shard-a.example:7772"});

    TableClient rightServer(Loopback, even.port());
    rightServer.sendMessage("CMD_jointable+" + evenCode);
    EXPECT_EQ(rightServer.waitForPrefix("CMD_sendlogininfo+"), "CMD_sendlogininfo+2");

    // A line that is not this server's own: redirected as written.
    TableClient toOdd(Loopback, even.port());
    toOdd.sendMessage("CMD_jointable+BBBBBBBB"); // B stands at 1: the odd shard
    ASSERT_TRUE(toOdd.waitClosed());
    EXPECT_EQ(toOdd.messages(), QList<QByteArray>{"CMD_tableat+[2001:db8::7]:7773"});

    QProcess outside;
    outside.start(ServerProcess::serverProgram(), shardArgs(2));
    ASSERT_TRUE(outside.waitForFinished(5000));
    EXPECT_NE(outside.exitCode(), 0);
    EXPECT_TRUE(outside.readAllStandardError().contains("shard 2 is not in the shards file"));
}

} // namespace
