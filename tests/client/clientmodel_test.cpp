// The client model's own rules: which turn buttons show, the dice order, the phase list.
#include "clientmodel.h"
#include "clientstate.h"

#include <QList>
#include <gtest/gtest.h>

namespace {

TEST(ClientModelButtons, OneRuleForTheThreeButtons)
{
    struct Case
    {
        const char *name;
        int myid;
        bool amhost;
        int currentplayer;
        TurnStep step;
        int rolls;
        GameStage stage;
        bool roll, allDone, start;
    };
    const Case cases[] = {
        {"own turn, shuffling", 1, false, 1, TurnStep::Shuffling, 0, GameStage::Running, true, false, false},
        {"own turn, one roll", 1, false, 1, TurnStep::Rolled, 1, GameStage::Running, true, true, false},
        {"own turn, three rolls", 1, false, 1, TurnStep::Rolled, 3, GameStage::Running, false, true, false},
        {"own turn, judged", 1, false, 1, TurnStep::Judged, 1, GameStage::Running, false, false, false},
        {"turn handed back", 1, false, 0, TurnStep::Rolled, 1, GameStage::Running, false, false, false},
        {"not logged in, nobody on turn", 0, false, 0, TurnStep::Rolled, 1, GameStage::Running, false, false,
         false},
        {"another's turn", 1, true, 2, TurnStep::Rolled, 1, GameStage::Running, false, false, false},
        {"host before a game", 1, true, 0, TurnStep::Idle, 3, GameStage::NotStarted, false, false, true},
        {"host after a game", 1, true, 0, TurnStep::Idle, 3, GameStage::Over, false, false, true},
        {"guest after a game", 2, false, 0, TurnStep::Idle, 3, GameStage::Over, false, false, false},
    };
    for (const Case &c : cases) {
        ClientState connection;
        connection.myid = c.myid;
        connection.amhost = c.amhost;
        ClientModel model;
        model.currentplayer = c.currentplayer;
        model.step = c.step;
        model.rollsUsed = c.rolls;
        model.stage = c.stage;
        const TurnButtons shown = model.turnButtons(connection);
        EXPECT_EQ(shown.roll, c.roll) << c.name;
        EXPECT_EQ(shown.allDone, c.allDone) << c.name;
        EXPECT_EQ(shown.start, c.start) << c.name;
    }
}

TEST(ClientModelDice, SortingIsByValueAndStable)
{
    ClientModel model;
    const int values[] = {0, 7, 0, 3, 3, 10, 1, 5, 0, 2, 9};
    for (int n = 1; n <= NumDice; ++n)
        model.dice[n].value = values[n];
    model.sortDice();
    EXPECT_EQ(QList<int>(model.diceorder.begin() + 1, model.diceorder.end()),
              (QList<int>{2, 8, 6, 9, 3, 4, 7, 1, 10, 5}));
    model.dice[2].value = 10; // a re-sort starts from the order shown
    model.sortDice();
    EXPECT_EQ(QList<int>(model.diceorder.begin() + 1, model.diceorder.end()),
              (QList<int>{8, 6, 9, 3, 4, 7, 1, 10, 2, 5}));
}

TEST(ClientModelPhases, HighlightAndAdvance)
{
    ClientModel model;
    model.highlightPhase(3);
    EXPECT_EQ(model.phaseMarks[2], PhaseMark::Done);
    EXPECT_EQ(model.phaseMarks[3], PhaseMark::Current);
    EXPECT_EQ(model.phaseMarks[4], PhaseMark::Plain);
    model.highlightPhase(11);
    EXPECT_EQ(model.shownphase, 3) << "no phase 11";
    model.advanceOwnPhase();
    EXPECT_EQ(model.phaseMarks[3], PhaseMark::Done);
    EXPECT_EQ(model.phaseMarks[4], PhaseMark::Current);
    EXPECT_EQ(model.illustration, 4);
}

TEST(ClientModelLeaving, NothingOfTheGameStaysButTheDiceOrder)
{
    ClientModel model;
    model.seats[2] = SeatModel{SeatOccupant::Player, QStringLiteral("Ann"), true, 120};
    model.seats[2].sheet[4] = SheetCell::of(30);
    model.stage = GameStage::Over;
    model.statusLine = QStringLiteral("Game Over!");
    model.dice[1].value = 9;
    model.sortDice();
    const ClientModel left = model.afterLeaving();
    EXPECT_EQ(left.diceorder, model.diceorder);
    EXPECT_EQ(left.seats[2].status, SeatOccupant::Empty);
    EXPECT_EQ(left.seats[2].total, 0);
    EXPECT_EQ(left.seats[2].sheet[4].kind, SheetCell::Kind::Empty);
    EXPECT_FALSE(left.seats[2].watching);
    EXPECT_EQ(left.stage, GameStage::NotStarted);
    EXPECT_EQ(left.phaseLine, QString()) << "a left board shows no welcome";
    EXPECT_EQ(left.statusLine, QString());
    EXPECT_EQ(left.dice[1].value, 0);
}

} // namespace
