// Turn engine: turn order, rolls, scoring, bonuses, playing out, winner, refused requests.
#include "dicetext.h"
#include "gamerandom.h"
#include "protocol.h"
#include "recordingsink.h"
#include "turnengine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace protocol;

const char *const AllTen = "+1+2+3+4+5+6+7+8+9+10";

class TurnEngineTest : public ::testing::Test
{
protected:
    // Seat 1 "Ann" connected and playing, seat 2 Klot; seats 3 and 4 as given.
    void SetUp() override
    {
        state.seats[1].connected = true;
        state.seats[1].name = "Ann";
        state.seats[2].botname = "Klot";
        state.seats[3].botname = "Klock";
        state.seats[4].botname = "Kling";
        state.conncount = 1;
        state.botspeedms = 1000;
    }

    void connect(int seat, const QByteArray &name)
    {
        state.seats[seat].connected = true;
        state.seats[seat].name = name;
        state.conncount = std::max(state.conncount, seat);
    }

    void start()
    {
        engine.startgame(protocol::StartGame::parse("Ann+0+0+f+"));
        sink.clear();
    }

    // Puts dice on the table as if rolled this turn (one roll made).
    void table(const std::string &dice)
    {
        state.dice = dicetext::parse(dice).dice;
        state.rollcount = 1;
    }

    void pause()
    {
        for (int tick = 0; tick < TurnEngine::PauseTicks; ++tick)
            engine.timer1Timer(1);
    }

    HostState state;
    RecordingSink sink;
    TurnEngine engine{state, sink};
};

TEST_F(TurnEngineTest, StartgameRelaysFieldsResetsSeatsAndGivesSeatOneRoundOne)
{
    state.seats[1].score = 77;
    state.seats[1].justwatching = true;
    state.seats[2].phase = 7;
    state.seats[2].status = SeatStatus::Finished;
    state.seats[3].pscores[4] = 30;
    sink.pauseArmed = true;
    engine.startgame(protocol::StartGame::parse("Ann+0+0+f+"));

    ASSERT_EQ(sink.messages.size(), 2);
    EXPECT_EQ(sink.messages[0], "CMD_startgame+Ann+0+0+f+") << "relayed as it came";
    EXPECT_EQ(sink.announcements[1], Announcement(NextPlayer{1, 1, 1}));
    EXPECT_TRUE(state.gameon);
    EXPECT_FALSE(sink.pauseArmed);
    EXPECT_FALSE(sink.computerArmed) << "seat 1 is played by its player";
    EXPECT_EQ(state.seats[1].score, 0);
    EXPECT_FALSE(state.seats[1].justwatching);
    EXPECT_EQ(state.seats[2].phase, 1);
    EXPECT_EQ(state.seats[2].status, SeatStatus::InPlay);
    EXPECT_EQ(state.seats[3].pscores[4], 0);
}

TEST_F(TurnEngineTest, TurnOrderSkipsSeatsNotTakingPartAndCountsRoundsAtSeatOne)
{
    connect(4, "Dee");
    start();
    state.seats[2].status = SeatStatus::Finished;
    const NextPlayer expected[] = {{4, 1, 1}, {1, 1, 2}, {4, 1, 2}, {1, 1, 3}};
    for (const NextPlayer &message : expected) {
        engine.findplayer();
        ASSERT_FALSE(sink.announcements.isEmpty());
        EXPECT_EQ(sink.announcements.last(), Announcement(message));
    }
}

TEST_F(TurnEngineTest, ComputerTurnStartsWithClearedKeepAndStepOneAtBotSpeed)
{
    start();
    state.seats[2].keep.fill(1);
    state.dice[5] = {7, 3, false};
    engine.findplayer();

    EXPECT_EQ(sink.announcements.last(), Announcement(NextPlayer{2, 1, 1}));
    EXPECT_EQ(dicetext::keepText(state.seats[2].keep), "0000000000");
    EXPECT_EQ(state.dice[5].value, 0);
    EXPECT_EQ(state.dice[5].color, 0);
    EXPECT_EQ(state.rollcount, 0);
    ASSERT_TRUE(sink.computerArmed);
    EXPECT_EQ(sink.computerStep, 1);
    EXPECT_EQ(sink.computerIntervals, QList<int>{1000});
}

// The triples of a CMD_createdice for the given dice as they lie on the table.
QByteArray triples(const DiceArray &dice, std::initializer_list<int> numbers)
{
    QByteArray text;
    for (int die : numbers) {
        text += "+" + QByteArray::number(die) + "+" + QByteArray::number(dice[die].value) + "+"
                + QByteArray::number(dice[die].color);
    }
    return text;
}

TEST_F(TurnEngineTest, RollBroadcastsTriplesOfTheListedDiceAndCountsRolls)
{
    seedGameRandom(42);
    start();
    engine.rollthedice(protocol::RollTheDice::parse("1+2+5+10"));
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_EQ(sink.messages[0], "CMD_createdice+1+1" + triples(state.dice, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}))
        << "the first roll of a turn rolls every die, whatever the list says";
    for (int die = 1; die <= NumDice; ++die)
        EXPECT_GE(state.dice[die].color, 1) << "die " << die;

    const DiceArray first = state.dice;
    engine.rollthedice(protocol::RollTheDice::parse("1+2+5+10"));
    ASSERT_EQ(sink.messages.size(), 2);
    EXPECT_EQ(sink.messages[1], "CMD_createdice+1+2" + triples(state.dice, {2, 5, 10}));
    EXPECT_EQ(state.dice[1].color, first[1].color) << "unlisted dice are not rolled again";
    EXPECT_EQ(state.dice[1].value, first[1].value) << "unlisted dice are not rolled again";
    EXPECT_FALSE(sink.computerArmed) << "a player's roll arms nothing";

    state.seats[1].justwatching = true;
    engine.rollthedice(protocol::RollTheDice::parse("1+1"));
    EXPECT_TRUE(sink.messages.last().startsWith("CMD_createdice+1+3+1+"));
    EXPECT_TRUE(sink.computerArmed);
    EXPECT_EQ(sink.computerStep, 2);
}

TEST_F(TurnEngineTest, FindcolorFollowsTheColourTable)
{
    // Rows: dice 1 and 5, 2 and 6, 3 7 9, 4 8 10; columns r = 1 to 6.
    const int rows[4][6] = {{1, 2, 3, 4, 1, 2}, {2, 3, 4, 1, 2, 3}, {3, 4, 1, 2, 3, 4}, {4, 1, 2, 3, 4, 1}};
    const int rowOfDie[11] = {0, 0, 1, 2, 3, 0, 1, 2, 3, 2, 3};
    for (int die = 1; die <= 10; ++die) {
        for (int r = 1; r <= 6; ++r) {
            EXPECT_EQ(TurnEngine::findcolor(die, r), rows[rowOfDie[die]][r - 1]) << "die " << die << " r " << r;
        }
    }
    EXPECT_EQ(TurnEngine::findcolor(0, 1), 0);
    EXPECT_EQ(TurnEngine::findcolor(11, 1), 0);
    EXPECT_EQ(TurnEngine::findcolor(3, 7), 0);
}

TEST_F(TurnEngineTest, RerolledDieNeverRepeatsItsColourAndShowsARealFace)
{
    seedGameRandom(7);
    for (int die = 1; die <= 10; ++die) {
        int seen[5] = {};
        int previous = 0;
        for (int roll = 0; roll < 400; ++roll) {
            engine.rolldice(die);
            const TDie &d = state.dice[die];
            ASSERT_NE(d.color, previous) << "die " << die << " roll " << roll;
            ASSERT_GE(d.color, 1);
            ASSERT_LE(d.color, 4);
            if (die >= 5) {
                ASSERT_EQ(d.color, TurnEngine::findcolor(die, d.value - 4)) << "die " << die;
            } else if (d.value == 0) {
                ASSERT_TRUE(d.color == TurnEngine::findcolor(die, 5) || d.color == TurnEngine::findcolor(die, 6));
            } else {
                ASSERT_EQ(d.color, TurnEngine::findcolor(die, d.value)) << "die " << die;
            }
            ++seen[d.color];
            previous = d.color;
        }
        for (int color = 1; color <= 4; ++color)
            EXPECT_GT(seen[color], 0) << "die " << die << " never showed colour " << color;
    }
}

TEST_F(TurnEngineTest, CompletedPhaseOneScoresTheUsedDice)
{
    start();
    table("2:Wb 5:5y 6:5g 8:5m 7:7b 9:7y");
    engine.alldone(protocol::AllDone::parse("1+2+5+6+7+8+9"));

    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_EQ(sink.announcements[0], Announcement(Scores{1, 1, 29, 29, 0, ScoreKind::Plain, {2, 5, 6, 7, 8, 9}}));
    EXPECT_EQ(state.seats[1].phase, 2);
    EXPECT_EQ(state.seats[1].pscores[1], 29);
    EXPECT_EQ(state.rollcount, 5);
    EXPECT_EQ(state.pausecount, 5);
    EXPECT_TRUE(sink.pauseArmed);
    EXPECT_EQ(sink.pauseStep, 1);
}

TEST_F(TurnEngineTest, FailedPhaseReportsEveryOfferedDie)
{
    start();
    struct Case
    {
        const char *name;
        const char *dice;
        const char *request;
        const char *expected;
    };
    const Case cases[] = {
        {"nothing offered", "5:5y 6:5g 7:5b", "1+none", "CMD_noscore+1+none"},
        {"first set used, second missing", "5:5y 6:5g 7:5b 8:8y 9:9g", "1+5+6+7+8+9", "CMD_noscore+1+5+6+7+8+9"},
    };
    for (const Case &c : cases) {
        sink.clear();
        table(c.dice);
        engine.alldone(protocol::AllDone::parse(c.request));
        ASSERT_EQ(sink.messages.size(), 1) << c.name;
        EXPECT_EQ(sink.messages[0], c.expected) << c.name;
        EXPECT_EQ(state.seats[1].phase, 1) << c.name;
        EXPECT_EQ(state.seats[1].status, SeatStatus::InPlay) << c.name;
        state.currentplayer = 1;
        state.rollcount = 1;
    }
}

TEST_F(TurnEngineTest, PhaseFiveBonusNeedsMoreThan220AfterThePhase)
{
    struct Case
    {
        const char *name;
        int phase;
        int scoreBefore;
        const char *expected;
        int total;
        int slot11;
    };
    const Case cases[] = {
        {"exactly 220", 5, 168, "CMD_scores+1+5+220+52+0+bonus+3+4+5+6+7+8+9+10", 220, 0},
        {"221", 5, 169, "CMD_scores+1+5+261+52+40+bonus+3+4+5+6+7+8+9+10", 261, 40},
        {"above 220 in phase 4", 4, 300, "CMD_scores+1+4+349+49+0+none+4+5+6+7+8+9+10", 349, 0},
    };
    for (const Case &c : cases) {
        start();
        state.seats[1].phase = c.phase;
        state.seats[1].score = c.scoreBefore;
        table("3:3y 4:4b 5:5g 6:6m 7:7y 8:8b 9:9g 10:10m");
        engine.alldone(protocol::AllDone::parse("1+3+4+5+6+7+8+9+10"));
        ASSERT_EQ(sink.messages.size(), 1) << c.name;
        EXPECT_EQ(sink.messages[0], c.expected) << c.name;
        EXPECT_EQ(state.seats[1].score, c.total) << c.name;
        EXPECT_EQ(state.seats[1].pscores[11], c.slot11) << c.name;
    }
}

// Phase 10: wilds on 1, 2 and 4, three 9s and two 6s: 27 + 12 = 39 points.
const char *const PhaseTen = "1:Wy 2:Wb 4:Wm 5:9y 6:9b 7:9g 8:6m 9:6y";
const char *const PhaseTenDice = "+1+2+4+5+6+7+8+9";

TEST_F(TurnEngineTest, FirstToFinishGoesOutOnceAndTheOthersPlayOut)
{
    start();
    state.seats[1].phase = 10;
    state.seats[1].score = 400;
    state.seats[2].phase = 10;
    state.seats[2].score = 450;
    table(PhaseTen);
    engine.alldone(protocol::AllDone::parse(QByteArray("1") + PhaseTenDice));
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_EQ(sink.messages[0], "CMD_scores+1+10+479+39+40+goneout" + QByteArray(PhaseTenDice));
    EXPECT_EQ(state.seats[1].pscores[12], 40);
    EXPECT_EQ(state.seats[1].status, SeatStatus::Finished);
    EXPECT_EQ(state.seats[2].status, SeatStatus::PlayingOut);
    EXPECT_TRUE(state.someoneout);

    pause();
    EXPECT_EQ(sink.announcements.last(), Announcement(NextPlayer{2, 10, 1}));
    table(PhaseTen);
    engine.alldone(protocol::AllDone::parse(QByteArray("2") + PhaseTenDice));
    EXPECT_EQ(sink.messages.last(), "CMD_scores+2+10+489+39+0+none" + QByteArray(PhaseTenDice));
    EXPECT_EQ(state.seats[2].pscores[12], 0);
    EXPECT_EQ(state.seats[2].status, SeatStatus::Finished);

    pause();
    EXPECT_EQ(sink.announcements.last(), Announcement(Winner{"Klot"}));
    EXPECT_FALSE(state.gameon);
}

TEST_F(TurnEngineTest, PlayingOutSeatThatFailsIsMarkedOffAndTheGameEnds)
{
    connect(3, "Cleo");
    start();
    state.seats[1].phase = 10;
    table(PhaseTen);
    engine.alldone(protocol::AllDone::parse(QByteArray("1") + PhaseTenDice));

    pause(); // seat 2 plays out and completes phase 1: it stays in the game
    table("2:Wb 5:5y 6:5g 8:5m 7:7b 9:7y");
    engine.alldone(protocol::AllDone::parse("2+2+5+6+7+8+9"));
    EXPECT_EQ(state.seats[2].status, SeatStatus::PlayingOut);

    pause(); // seat 3 fails
    sink.clear();
    engine.alldone(protocol::AllDone::parse("3+none"));
    ASSERT_EQ(sink.messages.size(), 2);
    EXPECT_EQ(sink.announcements[0], Announcement(MarkOff{3, 1}));
    EXPECT_EQ(sink.announcements[1], Announcement(NoScore{3, {}}));

    pause(); // seat 1 is out, seat 3 marked off: seat 2 again
    EXPECT_EQ(sink.announcements.last(), Announcement(NextPlayer{2, 2, 1}));
    engine.rollthedice(protocol::RollTheDice::parse("2")); // every die kept: all done with ten unrolled dice fails
    ASSERT_GE(sink.messages.size(), 2);
    EXPECT_EQ(sink.announcements[sink.announcements.size() - 2], Announcement(MarkOff{2, 2}));

    pause();
    EXPECT_EQ(sink.announcements.last(), Announcement(Winner{"Ann"}));
    EXPECT_FALSE(state.gameon);
    EXPECT_FALSE(sink.computerArmed);
}

TEST_F(TurnEngineTest, WinnerTextJoinsTiesLowerSeatFirstWithStandInNames)
{
    struct Case
    {
        const char *name;
        int scores[5];
        const char *expected;
    };
    const Case cases[] = {
        {"one winner", {0, 10, 50, 20, 0}, "Klot"},
        {"tie of seats 2 and 3", {0, 10, 50, 50, 0}, "Klot and Klock"},
        {"tie of seats 1 and 4", {0, 60, 50, 0, 60}, "Ann and Dee"},
        {"higher seat best, lower tied", {0, 70, 10, 80, 80}, "Klock and Dee"},
        {"all zero", {0, 0, 0, 0, 0}, "Ann and Klot and Klock and Dee"},
    };
    connect(4, "Dee");
    for (const Case &c : cases) {
        sink.clear();
        state.gameon = true;
        for (int seat = 1; seat <= 4; ++seat)
            state.seats[seat].score = c.scores[seat];
        engine.checkforwin();
        ASSERT_EQ(sink.announcements.size(), 1) << c.name;
        EXPECT_EQ(sink.announcements[0], Announcement(Winner{c.expected})) << c.name;
        EXPECT_FALSE(state.gameon) << c.name;
    }
}

TEST_F(TurnEngineTest, SeatOnlyRollIsAllDoneWithAllTenDiceEvenAfterThreeRolls)
{
    struct Case
    {
        const char *name;
        int phase;
        const char *expected;
    };
    const Case cases[] = {
        {"phase 1 made", 1, "CMD_scores+1+1+39+39+0+none+5+6+7+8+9+10"},
        {"phase 9 failed", 9, "CMD_noscore+1+1+2+3+4+5+6+7+8+9+10"},
    };
    for (const Case &c : cases) {
        start();
        state.seats[1].phase = c.phase;
        table("1:1y 2:2b 3:3g 4:4m 5:5y 6:5b 7:5g 8:8m 9:8y 10:8b");
        state.rollcount = 3;
        engine.rollthedice(protocol::RollTheDice::parse("1"));
        ASSERT_EQ(sink.messages.size(), 1) << c.name;
        EXPECT_EQ(sink.messages[0], c.expected) << c.name;
        EXPECT_EQ(state.rollcount, 5) << c.name;
    }
}

TEST_F(TurnEngineTest, PauseRunsFiveTicksThenTheNextTurn)
{
    start();
    engine.alldone(protocol::AllDone::parse("1+none"));
    sink.clear();
    for (int tick = 1; tick < 5; ++tick) {
        engine.timer1Timer(1);
        EXPECT_TRUE(sink.messages.isEmpty()) << "tick " << tick;
    }
    engine.timer1Timer(1);
    EXPECT_FALSE(sink.pauseArmed);
    ASSERT_EQ(sink.announcements.size(), 1);
    EXPECT_EQ(sink.announcements[0], Announcement(NextPlayer{2, 1, 1}));
}

TEST_F(TurnEngineTest, TurnStartedOutOfOrderEndsThePendingPause)
{
    connect(3, "Cleo");
    start();
    engine.alldone(protocol::AllDone::parse("1+none"));
    ASSERT_TRUE(sink.pauseArmed);
    engine.findplayer(); // what the host does when the seat on turn leaves
    EXPECT_FALSE(sink.pauseArmed) << "the old pause would cut seat 2's turn short";
}

// Everything a refused request could have touched.
std::string snapshot(const HostState &s)
{
    std::string text = std::to_string(s.gameon) + "/" + std::to_string(s.currentplayer) + "/"
                       + std::to_string(s.rollcount) + "/" + std::to_string(s.pausecount) + "/"
                       + dicetext::stateText(s.dicestate) + "/";
    for (int die = 1; die <= 10; ++die)
        text += std::to_string(s.dice[die].value) + "." + std::to_string(s.dice[die].color) + " ";
    for (int seat = 1; seat <= 4; ++seat) {
        const TSeat &t = s.seats[seat];
        text += "|" + std::to_string(t.score) + "," + std::to_string(t.phase) + ","
                + std::to_string(static_cast<int>(t.status)) + "," + std::to_string(t.lastscore);
        for (int slot = 1; slot <= 12; ++slot)
            text += "," + std::to_string(t.pscores[slot]);
    }
    return text;
}

TEST_F(TurnEngineTest, RequestsTheTurnCannotUseChangeNothing)
{
    enum Setup { Playing, NoGame, AfterAllDone, ThreeRolls };
    struct Case
    {
        const char *name;
        Setup setup;
        bool roll; // rollthedice, else alldone
        const char *text;
        bool throws;
    };
    const QByteArray manyDice = "1" + QByteArray("+5").repeated(12000);
    const Case cases[] = {
        {"roll while no game runs", NoGame, true, "1+1+2+3", false},
        {"all done while no game runs", NoGame, false, "1+5+6+7", false},
        {"seat-only roll while no game runs", NoGame, true, "1", false},
        {"roll during the pause", AfterAllDone, true, "1+1+2", false},
        {"second all done during the pause", AfterAllDone, false, "1+2+5+6+7+8+9", false},
        {"seat-only roll during the pause", AfterAllDone, true, "1", false},
        {"fourth roll", ThreeRolls, true, "1+4", false},
        {"roll from a seat not on turn", Playing, true, "2+1+2", false},
        {"all done from a seat not on turn", Playing, false, "3+none", false},
        {"roll with the seat and nothing after it", Playing, true, "1+", true},
        {"roll of die 0", Playing, true, "1+3+0", true},
        {"roll of die 11", Playing, true, "1+11", true},
        {"all done with die -1", Playing, false, "1+2+5+-1", true},
        {"all done with die 4096", Playing, false, "1+4096", true},
        {"roll of a non-number", Playing, true, "1+2+x", true},
        {"roll listing none", Playing, true, "1+none", true},
        {"all done with a non-number seat", Playing, false, "one+2", true},
        {"all done without a die list", Playing, false, "1", true},
        {"roll naming a die twice", Playing, true, "1+5+6+5", true},
        {"roll naming eleven dice", Playing, true, "1+1+2+3+4+5+6+7+8+9+10+1", true},
        {"all done naming a die twice", Playing, false, "1+5+5+5+6+6+6", true},
        {"all done naming 12,000 dice", Playing, false, manyDice.constData(), true},
    };
    for (const Case &c : cases) {
        start();
        table("2:Wb 5:5y 6:5g 8:5m 7:7b 9:7y");
        if (c.setup == NoGame)
            state.gameon = false;
        if (c.setup == AfterAllDone)
            engine.alldone(protocol::AllDone::parse("1+2+5+6+7+8+9"));
        if (c.setup == ThreeRolls)
            state.rollcount = 3;
        sink.clear();
        sink.pauseArmed = false;
        const std::string before = snapshot(state);
        const QByteArray text(c.text);
        auto request = [&] {
            c.roll ? engine.rollthedice(protocol::RollTheDice::parse(text))
                   : engine.alldone(protocol::AllDone::parse(text));
        };
        if (c.throws)
            EXPECT_THROW(request(), protocol::ProtocolError) << c.name;
        else
            EXPECT_NO_THROW(request()) << c.name;
        EXPECT_EQ(snapshot(state), before) << c.name;
        EXPECT_TRUE(sink.messages.isEmpty()) << c.name << ": " << sink.messages.value(0).toStdString();
        EXPECT_FALSE(sink.pauseArmed) << c.name;
    }
}

TEST_F(TurnEngineTest, DiceNotRolledThisTurnAreNeverJudged)
{
    struct Case
    {
        const char *name;
        const char *table; // dice rolled this turn; the others lie unrolled (value 0, colour 0)
        int rolls;
        const char *alldone;
        const char *expected;
    };
    const Case cases[] = {
        {"unrolled dice 1 to 4 would be four wilds", "5:5y 6:5b 7:7g 8:5m 9:7y 10:9b", 1, "1+1+2+3+4+5+6+7+8+9+10",
         "CMD_noscore+1+5+6+7+8+9+10"},
        {"the same dice, rolled, make the phase", "1:Wy 2:Wb 3:3g 4:4m 5:5y 6:5b 7:7g 8:5m 9:7y 10:9b", 1,
         "1+1+2+3+4+5+6+7+8+9+10", "CMD_scores+1+1+29+29+0+none+1+5+6+7+8+9"},
        {"all done before the first roll", "", 0, "1+1+2+3+4+5+6+7+8+9+10", "CMD_noscore+1+none"},
        {"seat-only roll before the first roll", "", 0, "", "CMD_noscore+1+none"},
    };
    for (const Case &c : cases) {
        start();
        state.dice = dicetext::parse(c.table).dice;
        state.rollcount = c.rolls;
        if (*c.alldone)
            engine.alldone(protocol::AllDone::parse(c.alldone));
        else
            engine.rollthedice(protocol::RollTheDice::parse("1"));
        ASSERT_EQ(sink.messages.size(), 1) << c.name;
        EXPECT_EQ(sink.messages[0], c.expected) << c.name;
    }
}

} // namespace

namespace {

TEST_F(TurnEngineTest, TypedListsNamingABadDieChangeNothing)
{
    const struct
    {
        const char *name;
        bool roll;
        QList<int> dice;
    } cases[] = {
        {"roll of die 0", true, {0}},
        {"roll of die 11 among good ones", true, {1, 2, 11}},
        {"roll naming a die twice", true, {4, 4}},
        {"all done with die -3", false, {2, 5, -3}},
        {"all done naming a die twice", false, {5, 6, 8, 5}},
    };
    for (const auto &c : cases) {
        start();
        table("2:Wb 5:5y 6:5g 8:5m 7:7b 9:7y");
        state.rollcount = 1;
        sink.clear();
        const std::string before = snapshot(state);
        if (c.roll)
            engine.rollthedice({1, c.dice});
        else
            engine.alldone({1, c.dice});
        EXPECT_EQ(snapshot(state), before) << c.name;
        EXPECT_TRUE(sink.messages.isEmpty()) << c.name << ": " << sink.messages.value(0).toStdString();
    }
}

} // namespace
