// TServer over real loopback sockets: seats, log-in, relays, request binding, robustness.
#include "protocollimits.h"
#include "serverformtestbench.h"

#include <QByteArrayList>

namespace {

using ServerForm = ServerFormTestBench;

const QByteArray Waiting = "CMD_chat+0+Waiting for the host to start the game.|clBlue";

TEST_F(ServerForm, HandsOutTheLowestFreeEntry)
{
    HostClient &first = join();
    HostClient &second = join();
    join();
    EXPECT_EQ(first.seat(), 1);
    EXPECT_EQ(second.seat(), 2);
    EXPECT_EQ(clients[2]->seat(), 3);

    second.close();
    ASSERT_TRUE(pumpUntil([&] { return first.has("CMD_playerdisconnected+2+"); }));
    EXPECT_EQ(join().seat(), 2) << "the freed entry is reused";
    EXPECT_EQ(join().seat(), 4);
    EXPECT_EQ(server.state().conncount, 4);
    EXPECT_EQ(first.withPrefix("CMD_playerdisconnected").size(), 1) << "announced once";
}

TEST_F(ServerForm, RefusesATenthConnectionUntilOneLeaves)
{
    for (int seat = 1; seat <= 9; ++seat)
        EXPECT_EQ(join().seat(), seat);
    HostClient &tenth = connectClient();
    ASSERT_TRUE(pumpUntil([&] { return tenth.closedByPeer(); })) << "the tenth stays connected";
    EXPECT_EQ(tenth.messages(), QList<QByteArray>{"CMD_full+"});
    EXPECT_EQ(server.state().conncount, 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(clients[i]->messages().size(), 1) << "entry " << i + 1 << " was told something";
        EXPECT_FALSE(clients[i]->closedByPeer());
    }

    clients[4]->close();
    ASSERT_TRUE(pumpUntil([&] { return !server.state().seats[5].connected; }));
    EXPECT_EQ(join().seat(), 5);
}

TEST_F(ServerForm, LoginAnnouncesNewcomerListsOthersAndReportsVersionMismatch)
{
    HostClient &alice = login("alice");
    HostClient &bob = login("bob");
    HostClient &carl = join();
    carl.sendMessage("CMD_logininfo+3+1.0.8+carl the+third");
    ASSERT_TRUE(pumpUntil([&] { return carl.has(Waiting) && alice.has("CMD_havewrongversion+carl the+third"); }));

    const QList<QByteArray> carlExpected{"CMD_sendlogininfo+3",         "CMD_newplayerinfo+3+carl the+third",
                                         "CMD_existingplayers+1+alice", "CMD_existingplayers+2+bob",
                                         "CMD_wrongversion+",           Waiting};
    EXPECT_EQ(carl.messages(), carlExpected);
    const QList<QByteArray> aliceExpected{"CMD_sendlogininfo+1", "CMD_newplayerinfo+1+alice",
                                          "CMD_newplayerinfo+2+bob", "CMD_newplayerinfo+3+carl the+third",
                                          "CMD_havewrongversion+carl the+third"};
    EXPECT_EQ(alice.messages(), aliceExpected);
    const QList<QByteArray> bobExpected{"CMD_sendlogininfo+2", "CMD_newplayerinfo+2+bob",
                                        "CMD_existingplayers+1+alice", Waiting,
                                        "CMD_newplayerinfo+3+carl the+third"};
    EXPECT_EQ(bob.messages(), bobExpected) << "a matching version gets no warning";
    EXPECT_EQ(server.state().seats[3].name, QByteArray("carl the+third"));
}

TEST_F(ServerForm, RelaysChatActionsAndSoundsToEveryone)
{
    for (const char *name : {"alice", "bob", "carl", "dave", "eve"})
        login(name);
    ASSERT_EQ(clients[4]->seat(), 5);
    const struct
    {
        const char *name;
        int sender;
        QByteArray request, relayed;
    } cases[] = {
        {"chat with plus signs arrives whole", 0, "CMD_chat+1+a+b++c|clBlue",
         "CMD_chat+1+alice chats: a+b++c|clBlue"},
        {"spectator chat carries the spectator's name", 4, "CMD_chat+5+hello|$00FF0000",
         "CMD_chat+5+eve chats: hello|$00FF0000"},
        {"action", 1, "CMD_action+2+waves|clRed", "CMD_action+2+bob waves|clRed"},
        {"phrase", 1, "CMD_action+2+says: gg+wp|clRed", "CMD_action+2+bob says: gg+wp|clRed"},
        {"chatter sound", 2, "CMD_playasound+3+wave7+", "CMD_playasound+3+wave7+"},
    };
    for (const auto &c : cases) {
        clients[c.sender]->sendMessage(c.request);
        EXPECT_TRUE(pumpUntil([&] {
            for (auto &client : clients) {
                if (!client->has(c.relayed))
                    return false;
            }
            return true;
        })) << c.name;
    }
}

TEST_F(ServerForm, OnlySeatOneKicks)
{
    HostClient &alice = login("alice");
    HostClient &bob = login("bob");
    HostClient &carl = login("carl");
    bob.sendMessage("CMD_kickhim+2+3+");
    bob.sendMessage("CMD_kickhim+1+3+"); // pretends to be seat 1
    sync(bob);
    EXPECT_FALSE(carl.closedByPeer());
    EXPECT_TRUE(server.state().seats[3].connected);

    alice.sendMessage("CMD_kickhim+1+3+");
    ASSERT_TRUE(pumpUntil([&] { return carl.closedByPeer(); }));
    ASSERT_TRUE(pumpUntil(
        [&] { return alice.has("CMD_playerdisconnected+3+carl") && bob.has("CMD_playerdisconnected+3+carl"); }));
    EXPECT_FALSE(server.state().seats[3].connected);
    EXPECT_TRUE(server.state().seats[3].name.isEmpty());
}

TEST_F(ServerForm, RequestsForAnotherSeatAreDropped)
{
    HostClient &alice = login("alice");
    HostClient &bob = login("bob");
    login("carl");
    const QByteArray spoofed[] = {
        "CMD_chat+1+spoof|clRed",  "CMD_action+3+spoof",
        "CMD_playasound+1+wave1+", "CMD_logininfo+1+1.0.9+mallory",
        "CMD_botspeed+1+500+",     "CMD_botspeed+2+500+",
        "CMD_justwatch+1+2",       "CMD_startgame+bob+0+0+f+",
        "CMD_kickhim+1+1+",        "CMD_rollthedice+1+1+2+3",
        "CMD_alldone+1+none",
    };
    for (const QByteArray &request : spoofed)
        bob.sendMessage(request);
    sync(bob);

    EXPECT_EQ(dropped.size(), qsizetype(std::size(spoofed))) << dropped.join('\n').toStdString();
    for (const QByteArray &m : alice.messages()) {
        EXPECT_FALSE(m.contains("spoof") || m.contains("mallory") || m.startsWith("CMD_justwatching")
                     || m.startsWith("CMD_startgame") || m.startsWith("CMD_playasound"))
            << m.constData();
    }
    EXPECT_FALSE(alice.closedByPeer());
    EXPECT_EQ(server.state().seats[1].name, QByteArray("alice"));
    EXPECT_EQ(server.state().botspeedms, 0);
    EXPECT_FALSE(server.state().gameon);

    // The allowed exceptions: just watch for one's own seat, and seat 1 for any seat.
    bob.sendMessage("CMD_justwatch+2+2");
    alice.sendMessage("CMD_justwatch+3+2");
    EXPECT_TRUE(pumpUntil([&] { return bob.has("CMD_justwatching+2+2") && bob.has("CMD_justwatching+3+2"); }));
}

TEST_F(ServerForm, LineFromAClosedConnectionIsNotTakenForTheEntrysNextHolder)
{
    server.setTimeScale(1000); // nothing is dispatched unless the test asks
    HostClient &alice = join();
    HostClient &bob = join();
    bob.sendMessage("CMD_chat+2+left behind");
    ASSERT_TRUE(pumpUntil([&] { return server.queuedRequests() == 1; }));
    bob.close();
    ASSERT_TRUE(pumpUntil([&] { return !server.state().seats[2].connected; }));
    EXPECT_EQ(server.queuedRequests(), 0) << "a closed connection's waiting lines go at once";
    EXPECT_EQ(server.queuedBytes(), 0);
    HostClient &next = join();
    ASSERT_EQ(next.seat(), 2);

    // A marker from the entry's next holder comes after anything still bound to the entry.
    next.sendMessage("CMD_chat+2+marker");
    ASSERT_TRUE(pumpUntil([&] { return server.queuedRequests() >= 1; }));
    while (server.queuedRequests() > 0)
        server.socktimerTimer();
    ASSERT_TRUE(pumpUntil([&] { return alice.has("CMD_chat+2+ chats: marker"); }));
    EXPECT_EQ(alice.withPrefix("CMD_chat"), (QList<QByteArray>{"CMD_chat+2+ chats: marker"}));
}

TEST_F(ServerForm, ReassemblesSplitMessagesAndKeepsOrder)
{
    HostClient &alice = login("alice");
    HostClient &bob = login("bob");
    bob.send("CMD_chat+2+hel");
    pumpFor(200);
    bob.send("lo|clRed\xff");
    EXPECT_TRUE(pumpUntil([&] { return alice.has("CMD_chat+2+bob chats: hello|clRed"); }));

    bob.send("CMD_chat+2+one\xff"
             "CMD_chat+2+two\xff");
    ASSERT_TRUE(pumpUntil([&] { return alice.withPrefix("CMD_chat").size() == 3; }));
    EXPECT_EQ(alice.withPrefix("CMD_chat").mid(1),
              (QList<QByteArray>{"CMD_chat+2+bob chats: one", "CMD_chat+2+bob chats: two"}));
}

TEST_F(ServerForm, KeepsServingThroughGarbageAndDropsAFlooder)
{
    HostClient &alice = login("alice");
    HostClient &bob = login("bob");
    HostClient &carl = login("carl");
    const QByteArray garbage[] = {
        "",
        "no separator",
        QByteArray("\x00\x01\x02+\xfe\r\n", 7),
        "CMD_unknown+2+x",
        "cmd_chat+2+wrong case",
        "CMD_chat+two+hi",
        "CMD_chat+",
        "CMD_logininfo+x+1.0.9+z",
        "CMD_logininfo+99999999999+1.0.9+z",
        "CMD_playasound+-2+wave1+",
        "CMD_justwatch+2",
        "CMD_rollthedice+2+99",
        "CMD_alldone+2+0+11",
    };
    for (const QByteArray &line : garbage)
        bob.sendMessage(line);
    for (const QByteArray &line : {QByteArray("CMD_kickhim+1+x+"), QByteArray("CMD_botspeed+1+fast+"),
                                   QByteArray("CMD_botspeed+1+-5+"), QByteArray("CMD_kickhim+1+77+")})
        alice.sendMessage(line);
    carl.send(QByteArray(1024 * 1024, 'x'));

    ASSERT_TRUE(pumpUntil([&] { return carl.closedByPeer(); })) << "the flooder stays connected";
    ASSERT_TRUE(pumpUntil([&] { return alice.has("CMD_playerdisconnected+3+carl"); }));
    EXPECT_TRUE(droppedContains("unfinished message")) << dropped.join('\n').toStdString();
    sync(bob);
    sync(alice);
    EXPECT_TRUE(droppedContains("not a valid integer")) << dropped.join('\n').toStdString();
    EXPECT_EQ(server.state().botspeedms, 0);
    EXPECT_TRUE(server.state().seats[1].connected && server.state().seats[2].connected);
    EXPECT_EQ(server.state().seats[2].name, QByteArray("bob"));
    EXPECT_EQ(alice.withPrefix("CMD_chat").size(), 2) << "only the two markers were relayed";
}

TEST_F(ServerForm, ClosesAPeerThatQueuesRequestsFasterThanTheyAreServed)
{
    HostClient &alice = login("alice");
    HostClient &bob = login("bob");
    QByteArray flood;
    for (int i = 0; i < 3000; ++i)
        flood += "CMD_chat+2+f\xff";
    bob.send(flood);
    ASSERT_TRUE(pumpUntil([&] { return alice.has("CMD_playerdisconnected+2+bob"); }));
    EXPECT_TRUE(droppedContains("waiting; connection closed")) << dropped.join('\n').toStdString();
    sync(alice);
    EXPECT_LT(alice.withPrefix("CMD_chat+2+").size(), RequestQueue::MaxWaitingPerConnection)
        << "the flood was served after its sender was closed";
}

TEST_F(ServerForm, PeerThatResetsIsAnnouncedAndItsEntryReused)
{
    HostClient &alice = login("alice");
    HostClient &bob = login("bob");
    bob.resetClose();
    ASSERT_TRUE(pumpUntil([&] { return alice.has("CMD_playerdisconnected+2+bob"); }));
    EXPECT_FALSE(server.state().seats[2].connected);
    EXPECT_EQ(join().seat(), 2);
}

TEST_F(ServerForm, ClosesAPeerThatStopsReading)
{
    HostClient &alice = login("alice");
    HostClient &bob = connectClient(4096);
    ASSERT_TRUE(pumpUntil([&] { return bob.seat() == 2; }));
    bob.sendMessage("CMD_logininfo+2+1.0.9+bob"); // no log-in deadline runs out either
    ASSERT_TRUE(pumpUntil([&] { return bob.has("CMD_newplayerinfo+2+bob"); }));
    bob.setReading(false);
    server.setTimeScale(0); // no relay budget runs out
    const QByteArray chat = "CMD_chat+1+" + QByteArray(limits::MaxChatPayloadBytes, 'z');
    for (int i = 1; i <= 3000 && server.state().seats[2].connected; ++i) {
        alice.sendMessage(chat);
        ASSERT_TRUE(pumpUntil([&] { return alice.withPrefix("CMD_chat").size() == i; }));
    }
    ASSERT_TRUE(pumpUntil([&] { return alice.has("CMD_playerdisconnected+2+bob"); }))
        << "a peer with megabytes unread stays connected";
    EXPECT_TRUE(droppedContains("unsent")) << dropped.join('\n').toStdString();
    EXPECT_FALSE(alice.closedByPeer());
}

TEST_F(ServerForm, LateJoinerIsBroughtUpToDate)
{
    const struct
    {
        const char *name;
        bool scored;
        QByteArray stats, sheet;
    } cases[] = {
        {"scores and dice on the table", true, "CMD_loadstats+3+2+4+3+2+54+61+0+0+2+3+1+7+7+4",
         "CMD_loadpscores+3+1+1+25+1+2+29+2+1+21+2+11+40"},
        {"nothing scored, nothing rolled", false, "CMD_loadstats+3+2+4+3+2+0+0+0+0+none", ""},
    };
    HostClient &alice = login("alice");
    login("bob");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        HostState &s = server.state();
        s.gameon = true;
        s.currentplayer = 2;
        s.seats[2].phase = 4;
        s.roundno = 3;
        s.rollcount = 2;
        for (int seat = 1; seat <= 4; ++seat) {
            s.seats[seat].score = 0;
            s.seats[seat].pscores.fill(0);
        }
        s.dice = {};
        if (c.scored) {
            s.seats[1].score = 54;
            s.seats[2].score = 61;
            s.seats[1].pscores[1] = 25;
            s.seats[1].pscores[2] = 29;
            s.seats[2].pscores[1] = 21;
            s.seats[2].pscores[11] = 40;
            s.dice[2] = {3, 1, false};
            s.dice[7] = {7, 4, false};
        }
        HostClient &carl = join();
        ASSERT_EQ(carl.seat(), 3);
        carl.sendMessage("CMD_logininfo+3+1.0.9+carl");
        ASSERT_TRUE(pumpUntil([&] { return !carl.withPrefix("CMD_loadstats").isEmpty(); }));
        sync(carl);
        EXPECT_EQ(carl.withPrefix("CMD_loadstats"), QList<QByteArray>{c.stats});
        EXPECT_EQ(carl.withPrefix("CMD_loadpscores"),
                  c.sheet.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{c.sheet});
        EXPECT_TRUE(alice.withPrefix("CMD_loadstats").isEmpty()) << "only the newcomer";
        carl.close();
        ASSERT_TRUE(pumpUntil([&] { return !server.state().seats[3].connected; }));
    }
}

} // namespace
