// TServer's relays and log-ins over real loopback sockets: chat a client can show, at a
// pace every reader can follow, from names nobody else at the table has.
#include "protocollimits.h"
#include "relaybudget.h"
#include "serverformtestbench.h"

#include <QElapsedTimer>

namespace {

using ServerFormChat = ServerFormTestBench;

const QByteArray TooFast = "CMD_chat+0+You are sending faster than the others can follow";
const QByteArray Waiting = "CMD_chat+0+Waiting for the host to start the game.|clBlue";

TEST_F(ServerFormChat, ASecondLogInIsDroppedAndCannotRenameTheSeat)
{
    HostClient &dave = login("dave");
    HostClient &mallory = login("mallory");
    mallory.sendMessage("CMD_logininfo+2+1.0.9+dave");
    mallory.sendMessage("CMD_chat+2+hello|clBlack");
    ASSERT_TRUE(pumpUntil([&] { return !dave.withPrefix("CMD_chat+2+").isEmpty(); }));
    EXPECT_EQ(dave.withPrefix("CMD_chat+2+").first(), QByteArray("CMD_chat+2+mallory chats: hello|clBlack"));
    EXPECT_EQ(dave.withPrefix("CMD_newplayerinfo+2+").size(), 1) << "the second log-in was announced";
    EXPECT_EQ(server.state().seats[2].name, QByteArray("mallory"));
    EXPECT_TRUE(droppedContains("logged in already")) << dropped.join('\n').toStdString();
    EXPECT_FALSE(mallory.closedByPeer());
}

TEST_F(ServerFormChat, ANameInUseIsNumberedForEveryone)
{
    HostClient &dave = login("dave");
    HostClient &second = join();
    const QByteArray spoof = QString::fromUtf16(u"D\u200Bave").toUtf8();
    second.sendMessage("CMD_logininfo+2+1.0.9+" + spoof);
    const QByteArray announced = "CMD_newplayerinfo+2+" + spoof + " (2)";
    ASSERT_TRUE(pumpUntil([&] { return dave.has(announced) && second.has(announced); }))
        << "the name's own bytes, numbered, to every participant";
    HostClient &klot = join();
    klot.sendMessage("CMD_logininfo+3+1.0.9+klot");
    ASSERT_TRUE(pumpUntil([&] { return dave.has("CMD_newplayerinfo+3+klot (2)"); }))
        << "the computer player's name is in use";
    for (int k = 4; k <= 5; ++k)
        login("s" + QByteArray::number(k));
    HostClient &spy = join();
    spy.sendMessage("CMD_logininfo+6+1.0.9+DAVE");
    ASSERT_TRUE(pumpUntil([&] { return dave.has("CMD_newplayerinfo+6+DAVE (3)"); }));
    EXPECT_TRUE(pumpUntil([&] { return spy.has("CMD_existingplayers+2+" + spoof + " (2)"); }));
    second.sendMessage("CMD_chat+2+hi|clRed");
    EXPECT_TRUE(pumpUntil([&] { return dave.has("CMD_chat+2+" + spoof + " (2) chats: hi|clRed"); }));

    // A name frees up when its holder leaves.
    dave.close();
    ASSERT_TRUE(pumpUntil([&] { return spy.has("CMD_playerdisconnected+1+dave"); }));
    login("dave");
}

TEST_F(ServerFormChat, AJoinedPlayerIsToldToWaitForTheHost)
{
    HostClient &host = login("host");
    HostClient &guest = login("guest");
    ASSERT_TRUE(pumpUntil([&] { return guest.has(Waiting); }));
    sync(host);
    EXPECT_FALSE(host.has(Waiting)) << "the hosting player starts the game itself";
    host.sendMessage("CMD_startgame+host+0+0+f+");
    ASSERT_TRUE(pumpUntil([&] { return guest.has("CMD_startgame+host+0+0+f+"); }));
    HostClient &late = login("late");
    ASSERT_TRUE(pumpUntil([&] { return !late.withPrefix("CMD_loadstats+").isEmpty(); }));
    sync(late);
    EXPECT_FALSE(late.has(Waiting)) << "a game is running already";
}

TEST_F(ServerFormChat, TextLongerThanTheChatBoxMakesIsNotRelayed)
{
    HostClient &alice = login("alice");
    HostClient &bob = login("bob");
    const QByteArray longest(limits::MaxChatPayloadBytes, 'x');
    const struct
    {
        const char *name;
        QByteArray fits, tooLong, relayed;
    } cases[] = {
        {"chat", "CMD_chat+2+" + longest, "CMD_chat+2+Q" + longest, "CMD_chat+2+bob chats: " + longest},
        {"action", "CMD_action+2+" + longest, "CMD_action+2+Q" + longest, "CMD_action+2+bob " + longest},
        {"chatter sound", "CMD_playasound+2+wave20+", "CMD_playasound+2+wave200+", "CMD_playasound+2+wave20+"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        server.setTimeScale(0); // the relay budget is always full
        bob.clearMessages();
        alice.clearMessages();
        bob.sendMessage(c.tooLong);
        bob.sendMessage(c.fits);
        ASSERT_TRUE(pumpUntil([&] { return alice.has(c.relayed); }));
        for (const QByteArray &m : alice.messages())
            EXPECT_FALSE(m.contains('Q') || m.contains("wave200")) << m.left(60).constData();
        EXPECT_TRUE(pumpUntil([&] { return !bob.withPrefix("CMD_chat+0+Your ").isEmpty(); }))
            << "the sender hears why";
        EXPECT_TRUE(alice.withPrefix("CMD_chat+0+").isEmpty());
    }
    EXPECT_TRUE(droppedContains("chat line of 8018 bytes")) << dropped.join('\n').toStdString();
}

TEST_F(ServerFormChat, RelaysBeyondTheSendersBudgetAreDroppedAndOnlyTheSenderIsTold)
{
    HostClient &alice = login("alice");
    HostClient &bob = login("bob");
    // The budget refills 1000 times slower than in play, and the test hands out the ticks.
    server.setTimeScale(1000);
    const QByteArray text(limits::MaxChatTextBytes, 'b');
    const qsizetype relaySize = QByteArray("CMD_chat+2+bob chats: 0|clRed").size() + text.size();
    const int lines = int(RelayBudget::BurstBytes / relaySize) + 3;
    for (int n = 0; n < lines; ++n)
        bob.sendMessage("CMD_chat+2+" + QByteArray::number(n % 10) + text + "|clRed");
    ASSERT_TRUE(pumpUntil([&] { return server.queuedRequests() == lines; }));
    for (int n = 0; n < lines; ++n)
        server.socktimerTimer();
    server.setTimeScale(0.1);
    sync(alice);
    const qsizetype passed = alice.withPrefix("CMD_chat+2+").size();
    EXPECT_EQ(passed, RelayBudget::BurstBytes / relaySize) << "the burst, then nothing";
    EXPECT_TRUE(pumpUntil([&] { return !bob.withPrefix(TooFast).isEmpty(); }))
        << bob.messages().last().left(80).constData();
    EXPECT_EQ(bob.withPrefix(TooFast).size(), 1) << "one notice for the whole run of drops";
    EXPECT_TRUE(alice.withPrefix("CMD_chat+0+").isEmpty()) << "the others never hear of it";
    EXPECT_TRUE(droppedContains("faster than")) << dropped.join('\n').toStdString();
    alice.sendMessage("CMD_chat+1+more|clRed");
    EXPECT_TRUE(pumpUntil([&] { return bob.has("CMD_chat+1+alice chats: more|clRed"); }))
        << "another sender's budget is its own";
}

// A flooding participant and a reader on a slow line: the reader stays at the table and
// the flooder's excess goes nowhere.
TEST_F(ServerFormChat, ASlowReaderOutlastsAChatFlood)
{
    HostClient &alice = login("alice");
    HostClient &flooder = login("flooder");
    HostClient &slow = connectClient(16 * 1024);
    ASSERT_TRUE(pumpUntil([&] { return slow.seat() == 3; }));
    slow.sendMessage("CMD_logininfo+3+1.0.9+slow");
    ASSERT_TRUE(pumpUntil([&] { return slow.has("CMD_newplayerinfo+3+slow"); }));
    // Time runs ten times faster here (the bench's scale 0.1): the flooder may relay
    // 80 KiB a second, the reader takes 320 KB, the flooder sends 2 MB a second.
    constexpr qint64 ReadRate = 320 * 1000;
    slow.setReadRate(ReadRate);
    const QByteArray text(limits::MaxChatTextBytes, 'f');
    QElapsedTimer clock;
    clock.start();
    qint64 sent = 0;
    pumpUntil(
        [&] {
            for (; sent < clock.elapsed() / 4; ++sent)
                flooder.sendMessage("CMD_chat+2+" + text + "|clRed");
            return slow.closedByPeer();
        },
        3000);
    EXPECT_FALSE(slow.closedByPeer()) << "the slow reader was cut off";
    EXPECT_FALSE(flooder.closedByPeer()) << "sending fast is no reason to close";
    EXPECT_GT(sent, 600);
    slow.setReadRate(0);
    sync(slow);
    const qsizetype relayed = slow.withPrefix("CMD_chat+2+").size();
    const double budgetLines = (RelayBudget::BurstBytes + RelayBudget::BytesPerSecond * 10 * 3.5) / text.size();
    EXPECT_LE(relayed, qsizetype(budgetLines)) << "sent " << sent;
    EXPECT_GT(relayed, 3);
    EXPECT_EQ(flooder.withPrefix(TooFast).size(), 1);
    EXPECT_TRUE(slow.withPrefix("CMD_chat+0+").isEmpty()
                || slow.withPrefix("CMD_chat+0+") == QList<QByteArray>{Waiting});
    EXPECT_TRUE(server.state().seats[3].connected);
    EXPECT_FALSE(droppedContains("bytes unsent")) << dropped.join('\n').toStdString();
    sync(alice);
}

} // namespace
