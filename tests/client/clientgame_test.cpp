// The client's dispatcher on its own: host messages change the model, and the status lines,
// sounds, requests and tally counts that go with them.
#include "modelfixture.h"

#include "version.h"

#include <QSignalSpy>

namespace {

using Dispatch = ModelFixture;

TEST_F(Dispatch, LoginAnswersWithVersionAndName)
{
    login(3, "Cy");
    EXPECT_EQ(state.myid, 3);
    EXPECT_TRUE(state.loggedin);
    EXPECT_EQ(requests, QByteArrayList{"CMD_logininfo+3+" + QByteArray(GameVersion) + "+Cy"});
    EXPECT_EQ(model.seats[3].status, SeatOccupant::Player);
    EXPECT_EQ(lines, QStringList{QStringLiteral("You are Connected.")});
}

TEST_F(Dispatch, OwnArrivalAsSpectator)
{
    QSignalSpy spies(&game, &ClientGame::spyArrived);
    login(6, "Bob");
    EXPECT_EQ(lines, (QStringList{QStringLiteral("You are Connected."), QStringLiteral("You are spying.")}));
    EXPECT_EQ(model.seats[1].status, SeatOccupant::Empty);
    EXPECT_EQ(model.seatName(1), QStringLiteral("<Waiting>"));
    EXPECT_EQ(spies.count(), 1);
}

TEST_F(Dispatch, DisconnectFreesTheSeatAndSeatTwoShowsKlot)
{
    login(1, "You");
    deliver({"CMD_newplayerinfo+2+Ann", "CMD_newplayerinfo+3+Cy"});
    deliver({"CMD_playerdisconnected+2+Ann", "CMD_playerdisconnected+3+Cy", "CMD_playerdisconnected+4+"});
    EXPECT_EQ(model.seatName(2), QStringLiteral("Klot"));
    EXPECT_EQ(model.seats[2].status, SeatOccupant::Computer);
    EXPECT_EQ(model.seatName(3), QStringLiteral("<Waiting>"));
    EXPECT_EQ(model.seatName(4), QStringLiteral("<Waiting>"));
    EXPECT_TRUE(lines.contains(QStringLiteral("Ann disconnected.")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Cy disconnected.")));
    EXPECT_FALSE(lines.contains(QStringLiteral("<Waiting> disconnected.")));
    EXPECT_EQ(lines.filter(QStringLiteral("disconnected")).size(), 2) << "an empty seat leaves no line";
}

TEST_F(Dispatch, ANamedPlayerCalledLikeTheEmptySeatStillLeavesALine)
{
    login(1, "You");
    deliver({"CMD_newplayerinfo+3+<Waiting>", "CMD_playerdisconnected+3+"});
    EXPECT_TRUE(lines.contains(QStringLiteral("<Waiting> disconnected.")))
        << "a seat is empty by its status, not by the text its name label shows";
}

TEST_F(Dispatch, TurnStartsForSelfAndForOthers)
{
    login(1, "You");
    deliver({"CMD_newplayerinfo+2+Ann", "CMD_startgame+You+0+0+f+", "CMD_nextplayer+2+3+1+"});
    EXPECT_EQ(model.statusLine, QStringLiteral("Ann's turn"));
    EXPECT_EQ(model.phaseLine, QStringLiteral("Ann is trying to get: Set of 4 + Run of 4"));
    EXPECT_EQ(model.markerSeat, 2);
    EXPECT_FALSE(model.turnButtons(state).roll);

    deliver("CMD_nextplayer+1+2+1+");
    EXPECT_EQ(model.statusLine, QStringLiteral("Your Turn"));
    EXPECT_EQ(model.phaseLine, QStringLiteral("You are trying to get: Set of 3 + Run of 3"));
    EXPECT_TRUE(model.turnButtons(state).roll);
    EXPECT_FALSE(model.turnButtons(state).allDone);
    EXPECT_EQ(model.phaseMarks[1], PhaseMark::Done);
    EXPECT_EQ(model.phaseMarks[2], PhaseMark::Current);
    EXPECT_EQ(model.phaseMarks[3], PhaseMark::Plain);
    EXPECT_EQ(model.illustration, 2);
    EXPECT_EQ(sounds.last(), QStringLiteral("turn"));

    // The same phase again leaves the list as it is, even after it was changed by hand.
    model.phaseMarks[1] = PhaseMark::Plain;
    deliver("CMD_nextplayer+1+2+2+");
    EXPECT_EQ(model.phaseMarks[1], PhaseMark::Plain);
}

TEST_F(Dispatch, CreatediceKeepsTheDiceNotListed)
{
    login(1, "You");
    deliver({"CMD_nextplayer+1+1+1+", firstRoll(1)});
    EXPECT_FALSE(model.shuffling());
    model.dice[4].selected = true; // kept before rolling again
    deliver("CMD_createdice+1+2+3+9+3+7+0+1");
    for (int n = 1; n <= 10; ++n) {
        const bool listed = n == 3 || n == 7;
        EXPECT_EQ(model.dieRaised[n], !listed) << "die " << n;
        EXPECT_TRUE(model.dieDrawn[n]) << "die " << n;
    }
    EXPECT_EQ(model.dice[3].value, 9);
    EXPECT_EQ(model.dice[3].color, 3);
    EXPECT_EQ(model.dice[4].value, 4);
    EXPECT_TRUE(model.dice[4].selected);
    EXPECT_EQ(model.rollsUsed, 2);
}

TEST_F(Dispatch, ADieOutOfRangeDropsTheWholeMessage)
{
    login(1, "You");
    deliver({"CMD_nextplayer+1+1+1+", firstRoll(1)});
    const DiceArray before = model.dice;
    deliver("CMD_createdice+1+2+3+9+3+11+4+1");
    ASSERT_EQ(dropped.size(), 1);
    EXPECT_EQ(model.dice[3].value, before[3].value) << "nothing of the message is applied";
    deliver("CMD_loadpscores+1+1+1+25+9+1+5");
    EXPECT_EQ(model.seats[1].sheet[1].kind, SheetCell::Kind::Empty) << "no slot of a bad score list is shown";
}

TEST_F(Dispatch, TurnButtonsFollowTheTurn)
{
    struct Case
    {
        const char *name;
        QByteArrayList messages;
        bool roll;
        bool allDone;
    };
    const Case cases[] = {
        {"own first roll", {"CMD_nextplayer+1+1+1+", firstRoll(1, 1)}, true, true},
        {"own second roll", {firstRoll(1, 2)}, true, true},
        {"own third roll", {firstRoll(1, 3)}, false, true},
        {"another's dice", {firstRoll(2, 1)}, false, false},
        {"own turn before the dice", {"CMD_nextplayer+1+1+1+"}, true, false},
        {"own turn scored", {firstRoll(1, 1), "CMD_scores+1+1+29+29+0+none+none"}, false, false},
        {"own turn not scored", {"CMD_nextplayer+1+1+1+", firstRoll(1, 1), "CMD_noscore+1+none"}, false, false},
        {"next player after an own turn", {firstRoll(1, 1), "CMD_nextplayer+2+1+1+"}, false, false},
        {"game over", {"CMD_nextplayer+1+1+1+", firstRoll(1, 1), "CMD_winner+Ann+"}, false, false},
    };
    login(1, "You");
    for (const Case &c : cases) {
        deliver(c.messages);
        EXPECT_EQ(model.turnButtons(state).roll, c.roll) << c.name;
        EXPECT_EQ(model.turnButtons(state).allDone, c.allDone) << c.name;
    }
}

TEST_F(Dispatch, ScoresFillTheSheetAndRaiseTheUsedDice)
{
    login(1, "You");
    deliver({"CMD_nextplayer+1+1+1+", firstRoll(1), "CMD_scores+1+1+29+29+0+none+2+5+6+7+8+9"});
    EXPECT_EQ(model.seats[1].sheet[1].text(), QStringLiteral("29"));
    EXPECT_EQ(model.seats[1].total, 29);
    EXPECT_EQ(model.seats[1].resultText(), QStringLiteral("+29"));
    EXPECT_EQ(model.phaseLine, QStringLiteral("Way to Go! You completed the phase."));
    EXPECT_EQ(model.statusLine, QStringLiteral("One Moment Please.."));
    for (int n = 1; n <= 10; ++n) {
        const bool used = QList<int>{2, 5, 6, 7, 8, 9}.contains(n);
        EXPECT_EQ(model.dieRaised[n], used) << "die " << n;
    }
    EXPECT_EQ(model.phaseMarks[1], PhaseMark::Done);
    EXPECT_EQ(model.phaseMarks[2], PhaseMark::Current);
    EXPECT_EQ(sounds.last(), QStringLiteral("gotpoints"));
}

TEST_F(Dispatch, GoneoutAndBonusCells)
{
    struct Case
    {
        const char *name;
        QByteArray message;
        QList<std::pair<int, int>> cells;
        QStringList expected;
    };
    const Case cases[] = {
        {"goneout 40 for seat 1",
         "CMD_scores+1+10+400+50+40+goneout+1+2+3+4+5+6+7+8",
         {{1, 12}, {2, 12}, {3, 12}, {4, 12}},
         {"40", "-", "-", "-"}},
        {"bonus 0 for seat 2", "CMD_scores+2+5+180+40+0+bonus+none", {{2, 11}, {2, 5}}, {"-", "40"}},
        {"bonus 40 for seat 3", "CMD_scores+3+5+260+40+40+bonus+none", {{3, 11}}, {"40"}},
    };
    login(4, "Dee");
    for (const Case &c : cases) {
        deliver(c.message);
        for (int i = 0; i < c.cells.size(); ++i) {
            const auto [seat, row] = c.cells[i];
            EXPECT_EQ(model.seats[seat].sheet[row].text(), c.expected[i]) << c.name << ": p_" << seat << row;
        }
    }
}

TEST_F(Dispatch, MarkoffFromPhaseEightAndNoscore)
{
    login(1, "You");
    deliver(
        {"CMD_newplayerinfo+3+Cy", "CMD_scores+3+7+300+30+0+none+none", "CMD_markoff+3+8+", "CMD_noscore+3+1+4"});
    const SeatModel &cy = model.seats[3];
    EXPECT_EQ(cy.sheet[7].text(), QStringLiteral("30"));
    for (int row : {8, 9, 10})
        EXPECT_EQ(cy.sheet[row].text(), QStringLiteral("-")) << row;
    EXPECT_EQ(cy.sheet[11].text(), QString());
    EXPECT_EQ(cy.resultText(), QStringLiteral("-"));
    EXPECT_EQ(model.seats[1].resultText(), QString()) << "only the last turn's result is shown";
    EXPECT_EQ(model.phaseLine, QStringLiteral("Cy did not complete the phase."));
    EXPECT_EQ(sounds.last(), QStringLiteral("nopoints"));
}

TEST_F(Dispatch, EachResultClearsTheOtherSeatsLastResults)
{
    login(1, "You");
    deliver({"CMD_newplayerinfo+2+Bo", "CMD_newplayerinfo+3+Cy"});
    struct Step
    {
        const char *name;
        QByteArray message;
        const char *shown[4]; // seats 1 to 4 beside their names afterwards
    };
    const Step steps[] = {
        {"seat 2 fails", "CMD_noscore+2+1+4", {"", "-", "", ""}},
        {"seat 3 scores after a failure", "CMD_scores+3+1+29+29+0+none+none", {"", "", "+29", ""}},
        {"seat 1 scores after a score", "CMD_scores+1+1+31+31+0+none+none", {"+31", "", "", ""}},
        {"seat 2 fails after a score", "CMD_noscore+2+1+4", {"", "-", "", ""}},
    };
    for (const Step &step : steps) {
        deliver(step.message);
        for (int seat = 1; seat <= 4; ++seat)
            EXPECT_EQ(model.seats[seat].resultText(), QString::fromLatin1(step.shown[seat - 1]))
                << step.name << ", seat " << seat;
    }
}

TEST_F(Dispatch, OwnScoreAfterPhaseTenLeavesTheListSilver)
{
    login(1, "You");
    deliver({"CMD_nextplayer+1+10+9+", "CMD_scores+1+10+500+60+0+none+none"});
    for (int p = 1; p <= 10; ++p)
        EXPECT_EQ(model.phaseMarks[p], PhaseMark::Done) << p;
    EXPECT_FALSE(model.illustration.has_value());
}

struct WinnerCase
{
    const char *name;
    int myid;
    QByteArray myname;
    QByteArray winners;
    QString label;
    QStringList tally;
};

// Named by its case: printed byte by byte, the padding after myid reads as uninitialised.
void PrintTo(const WinnerCase &c, std::ostream *os)
{
    *os << c.name;
}

class Winner : public ModelFixture, public ::testing::WithParamInterface<WinnerCase>
{
};

TEST_P(Winner, ShowsTheWinnerAndCountsTheTally)
{
    const WinnerCase &c = GetParam();
    login(c.myid, c.myname);
    QStringList tally;
    QObject::connect(&game, &ClientGame::tallyGame, [&](const QString &t) { tally.append(t); });
    deliver({"CMD_startgame+Ann+0+0+f+", "CMD_winner+" + c.winners + '+'});
    EXPECT_EQ(model.winnerLine, c.label) << c.name;
    EXPECT_EQ(model.stage, GameStage::Over) << c.name << ": winner shown, turn marker hidden";
    EXPECT_EQ(model.statusLine, QStringLiteral("Game Over!")) << c.name;
    EXPECT_EQ(lines.last(), c.label) << c.name;
    EXPECT_EQ(tally, c.tally) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    EndOfGame, Winner,
    ::testing::Values(
        WinnerCase{"tie_seen_by_third_player", 3, "Carl", "Ann and Bob", "Ann and Bob has Won the Game!", {}},
        WinnerCase{"own_win", 1, "Ann", "Ann", "You have Won the Game!", {"addtomine"}},
        WinnerCase{"other_wins", 3, "Carl", "Klot", "Klot has Won the Game!", {"Klot"}},
        WinnerCase{"spectator", 6, "Bob", "Klot", "Klot has Won the Game!", {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Dispatch, HostSeesTheStartButtonAgainAfterTheGame)
{
    state.amhost = true;
    login(1, "You");
    EXPECT_TRUE(model.turnButtons(state).start);
    deliver("CMD_startgame+You+0+0+f+");
    EXPECT_FALSE(model.turnButtons(state).start);
    EXPECT_EQ(model.stage, GameStage::Running);
    EXPECT_EQ(model.seatName(2), QStringLiteral("Klot"));
    EXPECT_TRUE(lines.contains(QStringLiteral("You have started a game.")));
    deliver("CMD_winner+Klot+");
    EXPECT_TRUE(model.turnButtons(state).start);
    state.amhost = false;
    EXPECT_FALSE(model.turnButtons(state).start) << "only the host starts a game";
}

TEST_F(Dispatch, JustWatchingMarks)
{
    QSignalSpy checked(&game, &ClientGame::justWatchChanged);
    login(1, "You");
    deliver({"CMD_newplayerinfo+2+Ann", "CMD_justwatching+1+1", "CMD_justwatching+2+1", "CMD_justwatching+7+1"});
    EXPECT_TRUE(model.justWatching);
    ASSERT_EQ(checked.count(), 1) << "only the own seat's answer moves the menu mark";
    EXPECT_TRUE(checked.last().at(0).toBool());
    EXPECT_TRUE(model.seats[1].watching);
    EXPECT_TRUE(model.seats[2].watching);
    EXPECT_TRUE(lines.contains(QStringLiteral("Ann is just watching")));
    deliver("CMD_justwatching+1+2");
    EXPECT_FALSE(model.justWatching);
    EXPECT_FALSE(checked.last().at(0).toBool());
    EXPECT_FALSE(model.seats[1].watching);
    EXPECT_TRUE(lines.contains(QStringLiteral("You are now playing again")));
    deliver("CMD_playerdisconnected+2+Ann");
    EXPECT_FALSE(model.seats[2].watching) << "a freed seat loses its mark";
}

TEST_F(Dispatch, LoadstatsAndLoadpscoresOnlyForTheNewcomer)
{
    login(3, "Cy");
    deliver({"CMD_newplayerinfo+1+Ann", "CMD_loadstats+4+1+2+5+1+10+20+30+40+1+7+2",
             "CMD_loadstats+3+1+2+5+1+10+20+30+40+1+7+2+4+3+1", "CMD_loadpscores+4+1+1+99",
             "CMD_loadpscores+3+1+1+25+2+11+40"});
    EXPECT_EQ(model.round, 5);
    EXPECT_EQ(model.seats[4].total, 40);
    EXPECT_EQ(model.statusLine, QStringLiteral("Ann's turn"));
    EXPECT_EQ(model.phaseLine, QStringLiteral("Ann is trying to get: Set of 3 + Run of 3"));
    EXPECT_EQ(model.dice[1].value, 7);
    EXPECT_EQ(model.dice[1].color, 2);
    EXPECT_TRUE(model.dieDrawn[1]);
    EXPECT_FALSE(model.dieDrawn[2]);
    EXPECT_FALSE(model.dieRaised[4]);
    EXPECT_EQ(model.seats[1].sheet[1].text(), QStringLiteral("25"));
    EXPECT_EQ(model.seats[2].sheet[11].text(), QStringLiteral("40"));
    EXPECT_EQ(model.currentplayer, 1);
    EXPECT_EQ(model.markerSeat, 1);
}

TEST_F(Dispatch, OwnTurnRestoredForALateJoiner)
{
    login(3, "Cy");
    deliver("CMD_loadstats+3+3+4+2+3+0+0+0+0+1+7+2");
    EXPECT_EQ(model.statusLine, QStringLiteral("Your Turn"));
    EXPECT_FALSE(model.turnButtons(state).roll) << "three rolls used";
    EXPECT_TRUE(model.turnButtons(state).allDone);
    EXPECT_EQ(model.phaseMarks[4], PhaseMark::Current);
}

TEST_F(Dispatch, EveryLineIsFollowedByOneChangeNoticeEvenWhenDropped)
{
    login(1, "You");
    const int before = changes;
    deliver({"CMD_nextplayer+9+1+1+", "CMD_unknown+1", "nothing", "CMD_nextplayer+1+1+1+"});
    EXPECT_EQ(dropped.size(), 1);
    EXPECT_EQ(changes - before, 4);
}

} // namespace
