// Whole games through TServer over real loopback sockets, with shortened timers.
#include "serverformtestbench.h"

#include <QElapsedTimer>
#include <map>

namespace {

using ServerFormGame = ServerFormTestBench;

QByteArrayList fieldsOf(const QByteArray &message)
{
    return message.split('+');
}

// Checks the turn structure of a game as one client saw it, from CMD_startgame to
// CMD_winner, and returns the final totals per seat.
std::map<int, int> checkGameSequence(const QList<QByteArray> &messages, int &turns)
{
    std::map<int, int> totals{{1, 0}, {2, 0}};
    std::map<int, int> completed{{1, 0}, {2, 0}};
    turns = 0;
    const qsizetype start = messages.indexOf("CMD_startgame+alice+0+0+f+");
    EXPECT_GE(start, 0) << "no CMD_startgame";
    int seat = 0, phase = 0, rolls = 0, round = 0;
    bool resultSeen = true;
    for (qsizetype i = start + 1; i < messages.size(); ++i) {
        const QByteArray &m = messages[i];
        const QByteArrayList f = fieldsOf(m);
        const QByteArray &cmd = f[0];
        SCOPED_TRACE(m.toStdString());
        if (cmd == "CMD_nextplayer") {
            EXPECT_TRUE(resultSeen) << "a turn ended without a result";
            ++turns;
            seat = f[1].toInt();
            phase = f[2].toInt();
            EXPECT_TRUE(seat == 1 || seat == 2);
            if (seat == 1) {
                EXPECT_EQ(f[3].toInt(), ++round) << "round counts seat 1's turns";
            }
            EXPECT_EQ(phase, completed[seat] + 1) << "the phase shown is the seat's next one";
            rolls = 0;
            resultSeen = false;
        } else if (cmd == "CMD_createdice") {
            EXPECT_EQ(f[1].toInt(), seat);
            EXPECT_FALSE(resultSeen);
            EXPECT_EQ(f[2].toInt(), ++rolls);
            EXPECT_LE(rolls, 3);
            EXPECT_EQ((f.size() - 3) % 3, 0) << "dice come in triples";
        } else if (cmd == "CMD_scores") {
            EXPECT_EQ(f[1].toInt(), seat);
            EXPECT_EQ(f[2].toInt(), phase) << "the completed phase is the one of the turn";
            EXPECT_GE(rolls, 1);
            EXPECT_FALSE(resultSeen);
            totals[seat] = f[3].toInt();
            ++completed[seat];
            resultSeen = true;
        } else if (cmd == "CMD_markoff") {
            EXPECT_EQ(f[1].toInt(), seat);
            EXPECT_FALSE(resultSeen);
            EXPECT_TRUE(i + 1 < messages.size()
                        && messages[i + 1].startsWith("CMD_noscore+" + QByteArray::number(seat) + "+"))
                << "CMD_markoff is followed by CMD_noscore";
        } else if (cmd == "CMD_noscore") {
            EXPECT_EQ(f[1].toInt(), seat);
            EXPECT_GE(rolls, 1);
            EXPECT_FALSE(resultSeen);
            resultSeen = true;
        } else if (cmd == "CMD_winner") {
            EXPECT_TRUE(resultSeen);
            EXPECT_EQ(i, messages.size() - 1) << "nothing follows the winner";
            break;
        } else {
            EXPECT_TRUE(cmd == "CMD_justwatching") << "unexpected message in a game";
        }
    }
    return totals;
}

TEST_F(ServerFormGame, JustWatchingSeatOneAndKlotPlayAGameToItsWinner)
{
    server.setTimeScale(0.001);
    HostClient &alice = login("alice");
    alice.sendMessage("CMD_botspeed+1+500+");
    alice.sendMessage("CMD_startgame+alice+0+0+f+");
    alice.sendMessage("CMD_justwatch+1+1");
    // A game that stops moving fails within StallMs of its last message, not at the end of
    // the whole game's allowance.
    constexpr int StallMs = 5000;
    QElapsedTimer whole;
    whole.start();
    for (qsizetype heard = -1; alice.withPrefix("CMD_winner+").isEmpty();) {
        heard = alice.messages().size();
        ASSERT_TRUE(pumpUntil([&] { return alice.messages().size() != heard; }, StallMs))
            << "the game stopped: nothing for " << StallMs
            << " ms; last message: " << alice.messages().last().constData();
        ASSERT_LT(whole.elapsed(), 120000) << "no winner; last message: " << alice.messages().last().constData();
    }
    sync(alice); // anything the host sends after the winner arrives before this marker
    QList<QByteArray> seen = alice.messages();
    ASSERT_TRUE(seen.last().startsWith("CMD_chat+1+alice chats: sync"));
    seen.removeLast();

    int turns = 0;
    const std::map<int, int> totals = checkGameSequence(seen, turns);
    EXPECT_GE(turns, 20) << "ten phases each take at least ten turns per seat";
    const QByteArray winner = alice.withPrefix("CMD_winner+").first();
    const QByteArray expected = totals.at(1) > totals.at(2)   ? "CMD_winner+alice+"
                                : totals.at(2) > totals.at(1) ? "CMD_winner+Klot+"
                                                              : "CMD_winner+alice and Klot+";
    EXPECT_EQ(winner, expected);
    EXPECT_FALSE(server.state().gameon);
    EXPECT_FALSE(server.computerTimerRunning());
}

TEST_F(ServerFormGame, AComputerTurnWaitingForABotSpeedStartsWhenOneArrives)
{
    HostClient &alice = login("alice");
    alice.sendMessage("CMD_startgame+alice+0+0+f+");
    alice.sendMessage("CMD_justwatch+1+1");
    ASSERT_TRUE(pumpUntil([&] { return alice.has("CMD_justwatching+1+1"); }));
    sync(alice); // a step at speed 0 would have run before this marker came back
    EXPECT_TRUE(alice.withPrefix("CMD_createdice").isEmpty()) << "a step ran at speed 0";
    EXPECT_TRUE(server.computerTimerArmed());
    EXPECT_FALSE(server.computerTimerRunning()) << "a 0 ms computertimer spins";

    alice.sendMessage("CMD_botspeed+1+500+");
    EXPECT_TRUE(pumpUntil([&] { return !alice.withPrefix("CMD_createdice+1+1+").isEmpty(); }))
        << "the waiting turn never started";
}

TEST_F(ServerFormGame, SeatOnTurnLeavingMovesTheTurnOnAtOnce)
{
    HostClient &alice = login("alice");
    HostClient &bob = login("bob");
    alice.sendMessage("CMD_startgame+alice+0+0+f+");
    ASSERT_TRUE(pumpUntil([&] { return alice.has("CMD_nextplayer+1+1+1+"); }));
    alice.sendMessage("CMD_alldone+1+none");
    ASSERT_TRUE(pumpUntil([&] { return alice.has("CMD_nextplayer+2+1+1+"); }));
    bob.close();
    ASSERT_TRUE(pumpUntil([&] { return alice.has("CMD_playerdisconnected+2+bob"); }));
    // Seat 2 falls back to the computer player; the turn starts again without the pause.
    ASSERT_TRUE(pumpUntil([&] { return alice.withPrefix("CMD_nextplayer").size() == 3; }, 2000));
    const QList<QByteArray> &m = alice.messages();
    EXPECT_EQ(m[m.indexOf("CMD_playerdisconnected+2+bob") + 1], QByteArray("CMD_nextplayer+1+1+2+"));
    EXPECT_EQ(alice.withPrefix("CMD_playerdisconnected").size(), 1);
}

} // namespace
