// TServer's limits over real loopback sockets: requests served in turn, bounded waiting
// requests, the log-in deadline, and messages that always fit what clients accept.
#include "protocollimits.h"
#include "recordingsink.h"
#include "serverformtestbench.h"
#include "turnengine.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using ServerFormLimits = ServerFormTestBench;

QList<QByteArray> chatTexts(const HostClient &client)
{
    QList<QByteArray> texts;
    for (const QByteArray &m : client.withPrefix("CMD_chat+"))
        texts.append(m.mid(m.indexOf(" chats: ") + 8));
    return texts;
}

TEST_F(ServerFormLimits, ServesConnectionsInTurnEachInItsOwnOrder)
{
    HostClient &alice = login("alice");
    HostClient &bob = login("bob");
    HostClient &carl = login("carl");
    server.setTimeScale(1000); // the test hands out the ticks
    for (int n = 0; n < 5; ++n)
        bob.sendMessage("CMD_chat+2+b" + QByteArray::number(n));
    ASSERT_TRUE(pumpUntil([&] { return server.queuedRequests() == 5; }));
    for (int n = 0; n < 5; ++n)
        carl.sendMessage("CMD_chat+3+c" + QByteArray::number(n));
    ASSERT_TRUE(pumpUntil([&] { return server.queuedRequests() == 10; }));
    alice.sendMessage("CMD_chat+1+a0");
    ASSERT_TRUE(pumpUntil([&] { return server.queuedRequests() == 11; }));
    for (int tick = 0; tick < 11; ++tick)
        server.socktimerTimer();
    ASSERT_TRUE(pumpUntil([&] { return chatTexts(alice).size() == 11; }));
    const QList<QByteArray> expected{"a0", "b0", "c0", "b1", "c1", "b2", "c2", "b3", "c3", "b4", "c4"};
    EXPECT_EQ(chatTexts(alice), expected) << "one line per connection in turn, the last one to arrive first";
}

TEST_F(ServerFormLimits, NeverClosesTheHostingPlayersOwnConnectionForFlooding)
{
    HostClient &alice = login("alice");
    HostClient &bob = login("bob");
    ASSERT_EQ(server.hostingEntry(), 1) << "the first connection, from loopback, is the hosting player's";
    QByteArray flood;
    for (int i = 0; i < 3000; ++i)
        flood += "CMD_chat+1+f\xff";
    alice.send(flood);
    ASSERT_TRUE(pumpUntil([&] { return droppedContains("requests dropped"); }))
        << dropped.join('\n').toStdString();
    ASSERT_TRUE(pumpUntil([&] { return server.queuedRequests() == 0; }));
    sync(alice);
    EXPECT_FALSE(alice.closedByPeer());
    EXPECT_TRUE(server.state().seats[1].connected);
    EXPECT_TRUE(bob.withPrefix("CMD_playerdisconnected").isEmpty());
    EXPECT_LE(chatTexts(bob).count("f"), RequestQueue::MaxWaitingPerConnection + 1);
}

TEST_F(ServerFormLimits, TheHostingPlayerMayComeOverIPv6Loopback)
{
    const int fd = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        GTEST_SKIP() << "this machine has no IPv6";
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_port = htons(port);
    address.sin6_addr = in6addr_loopback;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        GTEST_SKIP() << "this machine has no IPv6 loopback address (::1)";
    }
    ASSERT_TRUE(pumpUntil([&] { return server.state().seats[1].connected; }));
    EXPECT_EQ(server.hostingEntry(), 1) << "the first connection over ::1 is the hosting player's";
    HostClient &second = join();
    EXPECT_EQ(second.seat(), 2);
    EXPECT_EQ(server.hostingEntry(), 1) << "only the first loopback connection is exempt";
    ::close(fd);
}

TEST(ServerFormLoopback, LoopbackPeersAreThoseOfThisMachineInEitherFamily)
{
    const struct
    {
        const char *peer;
        bool loopback;
    } rows[] = {
        {"127.0.0.1", true},
        {"127.8.9.10", true},
        {"::1", true},
        {"0:0:0:0:0:0:0:1", true},
        {"::ffff:127.0.0.1", true},
        {"::ffff:127.1.2.3", true},
        {"::ffff:192.168.1.2", false},
        {"192.168.1.2", false},
        {"::2", false},
        {"fe80::1", false},
        {"2001:db8::1", false},
        {"1270.0.0.1", false},
        {"127.", false},
        {"", false},
        {"::127.0.0.1", false},
        {"localhost", false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(TServer::loopbackPeer(QString::fromLatin1(row.peer)), row.loopback) << row.peer;
}

TEST_F(ServerFormLimits, WaitingRequestsAreBoundedInBytesAsWellAsLines)
{
    HostClient &alice = login("alice");
    HostClient &bob = login("bob");
    server.setTimeScale(1000);
    const QByteArray line = QByteArray(60000, 'z');
    for (int i = 0; i < 3; ++i)
        bob.sendMessage("CMD_chat+2+" + line);
    ASSERT_TRUE(pumpUntil([&] { return alice.has("CMD_playerdisconnected+2+bob"); }))
        << "three long lines are more than one connection may have waiting";
    EXPECT_TRUE(droppedContains("waiting; connection closed")) << dropped.join('\n').toStdString();
    EXPECT_EQ(server.queuedRequests(), 0);
    EXPECT_EQ(server.queuedBytes(), 0);

    for (int i = 0; i < 3; ++i)
        alice.sendMessage("CMD_chat+1+" + line);
    ASSERT_TRUE(pumpUntil([&] { return droppedContains("requests dropped"); }));
    EXPECT_EQ(server.queuedRequests(), 2) << "the hosting player's line that did not fit is dropped";
    EXPECT_LE(server.queuedBytes(), RequestQueue::MaxWaitingBytesPerConnection);
    EXPECT_FALSE(alice.closedByPeer());
}

TEST_F(ServerFormLimits, ConnectionThatNeverLogsInIsClosedAndItsEntryFreed)
{
    server.setTimeScale(0.01); // the 30 s deadline becomes 0.3 s
    HostClient &hosting = join();
    HostClient &silent = join();
    HostClient &carl = login("carl");
    ASSERT_EQ(silent.seat(), 2);
    ASSERT_TRUE(pumpUntil([&] { return silent.closedByPeer(); })) << "a silent connection keeps its entry";
    EXPECT_TRUE(droppedContains("no log-in")) << dropped.join('\n').toStdString();
    // A connection made after carl's must pass its deadline later than carl's would have.
    HostClient &later = join();
    ASSERT_EQ(later.seat(), 2);
    ASSERT_TRUE(pumpUntil([&] { return later.closedByPeer(); }));
    EXPECT_FALSE(carl.closedByPeer()) << "a player who logged in stays";
    EXPECT_FALSE(hosting.closedByPeer()) << "the hosting player's own connection stays";
    EXPECT_EQ(join().seat(), 2) << "the entry is free again";
}

TEST_F(ServerFormLimits, LogInNameLongerThanTheLimitIsNotSeated)
{
    HostClient &alice = login("alice");
    const QByteArray longest(limits::MaxNameBytes, 'n');
    login(longest);
    login("");
    HostClient &tooLong = join();
    const QByteArray name = longest + "n";
    tooLong.sendMessage("CMD_logininfo+" + QByteArray::number(tooLong.seat()) + "+1.0.9+" + name);
    ASSERT_TRUE(pumpUntil([&] { return tooLong.closedByPeer(); }));
    sync(alice);
    for (const QByteArray &m : alice.messages())
        EXPECT_FALSE(m.contains(name)) << m.left(80).constData();
    EXPECT_TRUE(droppedContains("log-in name of 65 bytes")) << dropped.join('\n').toStdString();
    EXPECT_TRUE(limits::acceptableName(longest));
    EXPECT_FALSE(limits::acceptableName(name));
}

// Nine players with the longest names; each relay at the longest that fits and one byte
// more. Every client must still hold its connection and have received only what it accepts.
TEST_F(ServerFormLimits, LongestMessagesStillFitWhatClientsAccept)
{
    auto nameOf = [](int k) {
        return QByteArray(limits::MaxNameBytes - 1, char('a' + k)) + QByteArray::number(k);
    };
    for (int k = 1; k <= 8; ++k)
        login(nameOf(k));
    login(nameOf(9), "0.0.0");
    HostClient &alice = *clients[0];
    HostClient &bob = *clients[1];
    EXPECT_TRUE(pumpUntil([&] {
        return clients[8]->withPrefix("CMD_existingplayers+").size() == 8
               && alice.has("CMD_havewrongversion+" + nameOf(9));
    }));

    // Chat, action and chatter-sound texts have limits of their own, far below a message's;
    // the start of a game is relayed as it came.
    server.setTimeScale(0); // no relay budget runs out
    const struct
    {
        const char *name;
        int sender; // index into clients
        QByteArray head, relayHead;
        qsizetype longest; // what the sender may add after head
        QByteArray refusal;
    } relays[] = {
        {"chat", 1, "CMD_chat+2+", "CMD_chat+2+" + nameOf(2) + " chats: ", limits::MaxChatPayloadBytes,
         "bytes (at most"},
        {"action", 1, "CMD_action+2+", "CMD_action+2+" + nameOf(2) + " ", limits::MaxChatPayloadBytes,
         "bytes (at most"},
        {"chatter sound", 1, "CMD_playasound+2+", "CMD_playasound+2+", limits::MaxSoundNameBytes + 1,
         "bytes (at most"},
        {"start of a game", 0, "CMD_startgame+", "CMD_startgame+",
         limits::MaxMessageBytes - qsizetype(sizeof "CMD_startgame+") + 1 - 7, "longer than a client accepts"},
    };
    for (const auto &r : relays) {
        SCOPED_TRACE(r.name);
        const QByteArray fitting(r.longest, 'x');
        const QByteArray tail = r.head == "CMD_startgame+" ? "+0+0+f+" : "";
        clients[r.sender]->sendMessage(r.head + fitting + tail);
        EXPECT_TRUE(pumpUntil([&] { return bob.has(r.relayHead + fitting + tail); })) << "the longest that fits";
        const auto refused = [&] { return dropped.filter(QString::fromLatin1(r.refusal)).size(); };
        const qsizetype before = refused();
        const QByteArray tooLong = r.head + QByteArray(limits::MaxMessageBytes - r.head.size(), 'y');
        clients[r.sender]->sendMessage(tooLong);
        sync(*clients[r.sender]);
        EXPECT_EQ(refused(), before + 1) << "a relay longer than allowed is dropped";
    }
    clients[8]->close();
    ASSERT_TRUE(pumpUntil([&] { return alice.has("CMD_playerdisconnected+9+" + nameOf(9)); }));

    for (int k = 0; k < 8; ++k) {
        EXPECT_FALSE(clients[k]->closedByPeer()) << "entry " << k + 1;
        for (const QByteArray &m : clients[k]->messages())
            EXPECT_LE(m.size(), limits::MaxMessageBytes) << m.left(40).constData();
    }

    // The winner line names every seat on a four-way tie.
    HostState state;
    RecordingSink sink;
    TurnEngine engine(state, sink);
    for (int seat = 1; seat <= 4; ++seat)
        state.seats[seat].name = nameOf(seat);
    engine.checkforwin();
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_EQ(sink.messages[0].size(), qsizetype(11 + 4 * limits::MaxNameBytes + 3 * 5 + 1));
}

} // namespace
