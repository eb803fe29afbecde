// Computer player: its steps through the turn engine, bot speed, and a whole game.
#include "computerplayer.h"
#include "dicetext.h"
#include "gamerandom.h"
#include "recordingsink.h"
#include "turnengine.h"

#include <gtest/gtest.h>

#include <QList>
#include <variant>

namespace {

class ComputerPlayerTest : public ::testing::Test
{
protected:
    // Seat 1 "Ann" connected, seat 2 Klot; the game is on and it is Klot's turn.
    void SetUp() override
    {
        state.seats[1].connected = true;
        state.seats[1].name = "Ann";
        state.seats[2].botname = "Klot";
        state.conncount = 1;
        state.botspeedms = 500;
    }

    void klotsTurn()
    {
        engine.startgame(protocol::StartGame::parse("Ann+0+0+f+"));
        engine.findplayer();
        sink.clear();
    }

    // Fires the armed timers like the host's event loop would, until the game ends, no
    // timer can fire, or maxSteps steps have run. Returns the steps run.
    int run(int maxSteps)
    {
        int steps = 0;
        while (steps < maxSteps && state.gameon) {
            if (sink.computerDue()) {
                sink.computerArmed = false; // fires once per arming
                player.computertimerTimer(sink.computerStep);
            } else if (sink.pauseArmed) {
                engine.timer1Timer(sink.pauseStep);
            } else {
                break;
            }
            ++steps;
        }
        return steps;
    }

    HostState state;
    RecordingSink sink;
    TurnEngine engine{state, sink};
    ComputerPlayer player{state, engine, sink};
};

// Checks that the messages after CMD_startgame form whole turns:
// CMD_nextplayer, 1 to 3 CMD_createdice, then CMD_scores, CMD_markoff + CMD_noscore or
// CMD_noscore; and CMD_winner last. Returns a description of the first fault, or "".
std::string checkTurns(const QList<QByteArray> &messages, int &turns)
{
    turns = 0;
    qsizetype i = 1;
    if (messages.isEmpty() || !messages[0].startsWith("CMD_startgame+"))
        return "no CMD_startgame first";
    while (i < messages.size() && messages[i].startsWith("CMD_nextplayer+")) {
        const QByteArray seat = messages[i].split('+').value(1);
        ++i;
        int rolls = 0;
        while (i < messages.size() && messages[i].startsWith("CMD_createdice+" + seat + "+")) {
            ++rolls;
            if (messages[i].split('+').value(2) != QByteArray::number(rolls))
                return "roll count out of order at message " + std::to_string(i);
            ++i;
        }
        if (rolls < 1 || rolls > 3)
            return std::to_string(rolls) + " rolls in turn " + std::to_string(turns + 1);
        bool markedOff = false;
        if (i < messages.size() && messages[i].startsWith("CMD_markoff+" + seat + "+")) {
            markedOff = true;
            ++i;
        }
        const bool scored = i < messages.size() && messages[i].startsWith("CMD_scores+" + seat + "+");
        const bool failed = i < messages.size() && messages[i].startsWith("CMD_noscore+" + seat + "+");
        if (!(failed || (scored && !markedOff)))
            return "turn " + std::to_string(turns + 1) + " has no fitting result";
        ++i;
        ++turns;
    }
    if (i != messages.size() - 1 || !messages[i].startsWith("CMD_winner+"))
        return "unexpected message " + messages.value(i).toStdString();
    return {};
}

TEST_F(ComputerPlayerTest, WholeSoloGameWithSeatOneJustWatchingRunsToAWinner)
{
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        seedGameRandom(seed);
        sink.clear();
        engine.startgame(protocol::StartGame::parse("Ann+0+0+f+"));
        state.seats[1].justwatching = true;
        player.armStep(ComputerPlayer::RollStep); // as switching just watch on does
        run(100000);

        EXPECT_FALSE(state.gameon) << "seed " << seed;
        int turns = 0;
        EXPECT_EQ(checkTurns(sink.messages, turns), "") << "seed " << seed;
        EXPECT_GE(turns, 20) << "two seats need at least ten turns each";
        EXPECT_TRUE(state.seats[1].phase == 11 || state.seats[2].phase == 11) << "seed " << seed;
        for (int interval : sink.computerIntervals)
            ASSERT_EQ(interval, 500);
    }
}

TEST_F(ComputerPlayerTest, NothingRunsWithoutABotSpeedAndTheNextArmingUsesTheNewOne)
{
    state.botspeedms = 0;
    klotsTurn();
    engine.findplayer(); // seat 1
    engine.alldone(protocol::AllDone::parse("1+none"));
    for (int tick = 0; tick < 5; ++tick)
        engine.timer1Timer(1); // Klot's turn, armed with interval 0
    sink.clear();
    EXPECT_EQ(run(50), 0);
    EXPECT_TRUE(sink.messages.isEmpty());

    state.botspeedms = 1000;
    player.armStep(ComputerPlayer::RollStep);
    run(1);
    state.botspeedms = 2000;
    run(1);
    ASSERT_EQ(sink.computerIntervals, (QList<int>{1000, 1000, 2000}));
    EXPECT_EQ(sink.messages.size(), 1);
    EXPECT_TRUE(sink.messages[0].startsWith("CMD_createdice+2+1+"));
}

TEST_F(ComputerPlayerTest, RollStepSendsWhatAClientWould)
{
    struct Case
    {
        const char *name;
        int rollcount;
        const char *keep;
        const char *expectedStart;
    };
    // Phase 9 cannot be made with the dice below, so CMD_noscore shows what was offered.
    const Case cases[] = {
        {"rolls the dice not kept, ascending", 1, "1011111110", "CMD_createdice+2+2+2+"},
        {"all kept: straight to all done", 1, "1111111111", "CMD_noscore+2+1+2+3+4+5+6+7+8+9+10"},
        {"after three rolls: all done with the kept dice", 3, "1010000001", "CMD_noscore+2+1+3+10"},
        {"after three rolls, nothing kept", 3, "0000000000", "CMD_noscore+2+none"},
    };
    for (const Case &c : cases) {
        seedGameRandom(3);
        klotsTurn();
        state.seats[2].phase = 9;
        state.dice = dicetext::parse("1:1y 2:2b 3:3g 4:4m 5:5y 6:6b 7:7g 8:8m 9:9y 10:10b").dice;
        state.rollcount = c.rollcount;
        for (int die = 1; die <= 10; ++die)
            state.seats[2].keep[die] = c.keep[die - 1] - '0';
        player.computertimerTimer(ComputerPlayer::RollStep);
        ASSERT_EQ(sink.messages.size(), 1) << c.name;
        EXPECT_TRUE(sink.messages[0].startsWith(c.expectedStart))
            << c.name << ": " << sink.messages[0].toStdString();
    }
    // The roll of dice 2 and 10 lists exactly those two, in order.
    klotsTurn();
    state.rollcount = 1;
    for (int die = 1; die <= 10; ++die)
        state.seats[2].keep[die] = (die == 2 || die == 10) ? 0 : 1;
    player.computertimerTimer(ComputerPlayer::RollStep);
    ASSERT_EQ(sink.announcements.size(), 1);
    const auto *roll = std::get_if<protocol::CreateDice>(&sink.announcements[0]);
    ASSERT_NE(roll, nullptr) << sink.messages[0].toStdString();
    EXPECT_EQ(roll->seat, 2);
    EXPECT_EQ(roll->rolls, 2);
    ASSERT_EQ(roll->dice.size(), 2);
    EXPECT_EQ(roll->dice[0].die, 2);
    EXPECT_EQ(roll->dice[1].die, 10);
    EXPECT_TRUE(sink.computerArmed);
    EXPECT_EQ(sink.computerStep, ComputerPlayer::KeepStep);
}

TEST_F(ComputerPlayerTest, KeepStepDecidesAfreshAndArmsTheNextRoll)
{
    klotsTurn();
    state.seats[2].keep.fill(1);
    // Phase 1 with pairs of 10s and 9s and two 5s: keeps the 10s and 9s only.
    state.dice = dicetext::parse("1:1y 2:2b 3:3g 4:4m 5:5y 6:5b 7:9g 8:9m 9:10y 10:10b").dice;
    state.rollcount = 1;
    player.computertimerTimer(ComputerPlayer::KeepStep);
    EXPECT_EQ(dicetext::keepText(state.seats[2].keep), "0000001111");
    EXPECT_TRUE(sink.computerArmed);
    EXPECT_EQ(sink.computerStep, ComputerPlayer::RollStep);
    EXPECT_EQ(sink.computerIntervals.last(), 500);

    sink.computerArmed = false;
    state.seats[2].phase = 11; // no strategy outside phases 1 to 10
    player.computerplay(2);
    EXPECT_EQ(dicetext::keepText(state.seats[2].keep), "0000000000");
    EXPECT_FALSE(sink.computerArmed);
}

TEST_F(ComputerPlayerTest, TakingOverBeforeTheFirstRollRollsEveryDie)
{
    seedGameRandom(5);
    state.seats[2].connected = true; // Bob plays seat 2 himself
    state.seats[2].name = "Bob";
    state.conncount = 2;
    state.seats[2].keep.fill(1); // what the computer kept when it last played seat 2
    engine.startgame(protocol::StartGame::parse("Ann+0+0+f+"));
    engine.alldone(protocol::AllDone::parse("1+none"));
    for (int tick = 0; tick < TurnEngine::PauseTicks; ++tick)
        engine.timer1Timer(1);
    ASSERT_EQ(state.currentplayer, 2);
    sink.clear();

    state.seats[2].justwatching = true; // Bob switches Just Watch on before he rolls
    player.armStep(ComputerPlayer::RollStep);
    run(1);
    ASSERT_EQ(sink.announcements.size(), 1);
    const auto *roll = std::get_if<protocol::CreateDice>(&sink.announcements[0]);
    ASSERT_NE(roll, nullptr) << sink.messages[0].toStdString();
    EXPECT_EQ(roll->seat, 2);
    EXPECT_EQ(roll->rolls, 1);
    EXPECT_EQ(roll->dice.size(), NumDice) << "every die is rolled";
}

TEST_F(ComputerPlayerTest, StepForASeatItsPlayerTookBackDoesNothing)
{
    klotsTurn();
    engine.findplayer(); // seat 1, connected and playing
    sink.clear();
    sink.computerArmed = true;
    player.computertimerTimer(ComputerPlayer::RollStep);
    EXPECT_TRUE(sink.messages.isEmpty());
    EXPECT_FALSE(sink.computerArmed);
    EXPECT_EQ(state.rollcount, 0);
}

} // namespace
