// The player's actions: dice selection and sorting, Roll Again, All Done, Start, seat menu.
#include "clientfixture.h"
#include "clientmodel.h"
#include "clientstate.h"
#include "dicetray.h"
#include "mainmenu.h"
#include "picturebox.h"
#include "picturebutton.h"
#include "playeractions.h"

#include <QAction>
#include <QMenu>

namespace {

class Actions : public ClientFixture
{
protected:
    // Seat 1 on turn with the given values on dice 1 to 10 (colour 1), shown after a roll.
    void ownDice(const QList<int> &values, int rolls = 1)
    {
        QByteArray m = "CMD_createdice+1+" + QByteArray::number(rolls);
        for (int n = 1; n <= 10; ++n)
            m += '+' + QByteArray::number(n) + '+' + QByteArray::number(values[n - 1]) + "+1";
        deliver({"CMD_nextplayer+1+1+1+", m});
    }
    void click(int die, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(chat->board().die(die), button);
    }
    QByteArray sentAfter(const std::function<void()> &act, const QByteArray &prefix)
    {
        const qsizetype before = host.requestsStartingWith(prefix).size();
        act();
        (void)QTest::qWaitFor([&] { return host.requestsStartingWith(prefix).size() > before; }, 2000);
        const QByteArrayList all = host.requestsStartingWith(prefix);
        return all.size() > before ? all.last() : QByteArray();
    }
};

const QList<int> Mixed = {7, 0, 3, 3, 10, 1, 5, 0, 2, 9};

TEST_F(Actions, RightClickSortsByValueStably)
{
    login();
    ownDice(Mixed);
    click(4, Qt::RightButton);
    const auto &order = chat->session().model().diceorder;
    EXPECT_EQ(QList<int>(order.begin() + 1, order.end()), (QList<int>{2, 8, 6, 9, 3, 4, 7, 1, 10, 5}));
    EXPECT_EQ(chat->board().die(2)->x(), 67);
    EXPECT_EQ(chat->board().die(5)->x(), 571);
    EXPECT_EQ(chat->board().die(4)->y(), 15) << "sorting changes only the horizontal places";

    click(4, Qt::MiddleButton);
    EXPECT_EQ(chat->board().die(2)->x(), 67) << "sorting again changes nothing";
    EXPECT_FALSE(chat->session().sounds().requested.contains(QStringLiteral("select")));
}

TEST_F(Actions, SelectAndReleaseADie)
{
    login();
    ownDice(Mixed);
    click(3);
    EXPECT_TRUE(chat->session().model().dice[3].selected);
    EXPECT_EQ(chat->board().die(3)->y(), 5);
    EXPECT_EQ(chat->board().die(3)->layers(), (QStringList{"dice/body1", "dice/face3", "dice/keep"}));
    EXPECT_EQ(chat->session().sounds().requested.last(), QStringLiteral("select"));
    click(7);
    click(1, Qt::RightButton);
    screenshot("kept");
    click(7);
    click(3);
    EXPECT_FALSE(chat->session().model().dice[3].selected);
    EXPECT_EQ(chat->board().die(3)->y(), 15);
    EXPECT_EQ(chat->board().die(3)->layers(), (QStringList{"dice/body1", "dice/face3"}));
    EXPECT_EQ(chat->session().sounds().requested.last(), QStringLiteral("unset"));
}

TEST_F(Actions, DiceIgnoreClicksWhileShufflingAndOnOtherTurns)
{
    login();
    deliver("CMD_nextplayer+1+1+1+");
    ASSERT_TRUE(chat->board().die(1)->isVisible());
    qsizetype sounds = chat->session().sounds().requested.size();
    click(1);
    EXPECT_FALSE(chat->session().model().dice[1].selected) << "own turn, still shuffling";
    EXPECT_EQ(chat->session().sounds().requested.size(), sounds);
    deliver({"CMD_nextplayer+2+1+1+", "CMD_createdice+2+1+1+5+1"});
    sounds = chat->session().sounds().requested.size();
    click(1);
    click(1, Qt::RightButton);
    EXPECT_FALSE(chat->session().model().dice[1].selected) << "another player's dice";
    EXPECT_EQ(chat->session().sounds().requested.size(), sounds);
}

TEST_F(Actions, RollAgainListsTheDiceNotKept)
{
    struct Case
    {
        const char *name;
        QList<int> keep;
        QByteArray request;
    };
    const Case cases[] = {
        {"first roll", {}, "CMD_rollthedice+1+1+2+3+4+5+6+7+8+9+10"},
        {"dice 2 and 5 kept", {2, 5}, "CMD_rollthedice+1+1+3+4+6+7+8+9+10"},
        {"all kept", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, "CMD_rollthedice+1"},
    };
    login();
    for (const Case &c : cases) {
        ownDice(Mixed);
        for (int n : c.keep)
            click(n);
        const QByteArray sent =
            sentAfter([&] { QTest::mouseClick(chat->board().button_roll, Qt::LeftButton); }, "CMD_rollthedice");
        EXPECT_EQ(sent, c.request) << c.name;
        EXPECT_FALSE(chat->board().button_roll->isVisible()) << c.name;
        EXPECT_FALSE(chat->board().button_alldone->isVisible()) << c.name;
        EXPECT_EQ(chat->session().model().currentplayer, 0) << c.name;
    }
}

TEST_F(Actions, AllDoneListsTheKeptDice)
{
    struct Case
    {
        const char *name;
        QList<int> keep;
        QByteArray request;
    };
    const Case cases[] = {
        {"dice 2 and 5", {2, 5}, "CMD_alldone+1+2+5"},
        {"none", {}, "CMD_alldone+1+none"},
    };
    login();
    for (const Case &c : cases) {
        ownDice(Mixed, 3);
        for (int n : c.keep)
            click(n);
        const QByteArray sent =
            sentAfter([&] { QTest::mouseClick(chat->board().button_alldone, Qt::LeftButton); }, "CMD_alldone");
        EXPECT_EQ(sent, c.request) << c.name;
        click(1);
        EXPECT_FALSE(chat->session().model().dice[1].selected) << c.name << ": dice locked after All Done";
    }
}

TEST_F(Actions, StartAndKickRequests)
{
    login();
    EXPECT_EQ(sentAfter([&] { QTest::mouseClick(chat->board().button_start, Qt::LeftButton); }, "CMD_startgame"),
              QByteArray("CMD_startgame+You+0+0+f+"));
    chat->session().actions().kicking(3);
    EXPECT_TRUE(host.waitForRequest("CMD_kickhim+1+3+"));
}

TEST_F(Actions, SeatMenuFollowsHostAndSeat)
{
    login(1, "You");
    deliver("CMD_newplayerinfo+3+Cy");
    PlayerActions &actions = chat->session().actions();
    const auto enabled = [&](const char *name) {
        return actions.popup_kick()->findChild<QAction *>(QString::fromLatin1(name))->isEnabled();
    };
    actions.openSeatMenu(4, QPoint());
    EXPECT_FALSE(enabled("RemoveFromGame1")) << "host on a <Waiting> seat";
    EXPECT_TRUE(enabled("SettoJustWatch1"));
    EXPECT_TRUE(enabled("UnsetJustWatch1"));
    actions.openSeatMenu(3, QPoint());
    EXPECT_TRUE(enabled("RemoveFromGame1"));
    actions.popup_kick()->findChild<QAction *>("SettoJustWatch1")->trigger();
    EXPECT_TRUE(host.waitForRequest("CMD_justwatch+3+1"));
    actions.popup_kick()->findChild<QAction *>("RemoveFromGame1")->trigger();
    EXPECT_TRUE(host.waitForRequest("CMD_kickhim+1+3+"));

    chat->session().state().amhost = false;
    actions.openSeatMenu(3, QPoint());
    EXPECT_FALSE(enabled("RemoveFromGame1")) << "not the host";
    EXPECT_FALSE(enabled("SettoJustWatch1"));
    EXPECT_FALSE(enabled("UnsetJustWatch1"));
}

TEST_F(Actions, OwnJustWatchWaitsForTheHost)
{
    login();
    QAction *item = chat->menu().justWatch();
    item->trigger();
    EXPECT_TRUE(host.waitForRequest("CMD_justwatch+1+1"));
    EXPECT_FALSE(item->isChecked()) << "the mark follows the host's answer";
    deliver("CMD_justwatching+1+1");
    ASSERT_TRUE(item->isChecked());
    item->trigger();
    EXPECT_TRUE(host.waitForRequest("CMD_justwatch+1+2"));
    EXPECT_TRUE(item->isChecked());
}

TEST_F(Actions, ShuffleRunsFromTurnStartUntilTheDiceArrive)
{
    login();
    deliver("CMD_nextplayer+2+1+1+");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !chat->board().die(1)->isEmpty(); }, 2000))
        << "the shuffle draws random dice";
    const QStringList shuffled = chat->board().die(1)->layers();
    EXPECT_EQ(shuffled.size(), 2);
    deliver("CMD_createdice+2+1+1+5+1");
    EXPECT_FALSE(chat->findChild<DiceTray *>()->shuffling()) << "no frame can come after the dice arrived";
    EXPECT_EQ(chat->board().die(1)->layers(), (QStringList{"dice/body1", "dice/face5"}));
}

// The actions on the model alone: no window, no socket.
class ActionsOnTheModel : public ::testing::Test
{
protected:
    ActionsOnTheModel()
    {
        state.myid = 2;
        state.loggedin = true;
        model.currentplayer = 2;
        model.step = TurnStep::Rolled;
        model.rollsUsed = 1;
        for (int n = 1; n <= 10; ++n) {
            model.dice[n] = TDie{n - 1, 1, false};
            model.dieDrawn[n] = true;
        }
        QObject::connect(&actions, &PlayerActions::requestReady,
                         [this](const QByteArray &r) { requests.append(r); });
    }

    ClientModel model;
    ClientState state;
    RecordingMessageBoxes boxes;
    PlayerActions actions{model, state, boxes};
    QByteArrayList requests;
};

TEST_F(ActionsOnTheModel, KeepingADieRaisesItAndTheRequestsFollowTheKeptDice)
{
    actions.dieClicked(4, Qt::LeftButton);
    actions.dieClicked(9, Qt::LeftButton);
    EXPECT_TRUE(model.dice[4].selected);
    EXPECT_TRUE(model.dieRaised[4]);
    EXPECT_FALSE(model.dieRaised[5]);
    actions.finishTurn();
    EXPECT_EQ(requests, QByteArrayList{"CMD_alldone+2+4+9"});
    EXPECT_EQ(model.currentplayer, 0);
    EXPECT_FALSE(model.turnButtons(state).allDone) << "the turn went back to the host";
    actions.dieClicked(5, Qt::LeftButton);
    EXPECT_FALSE(model.dice[5].selected) << "dice locked after All Done";

    model.currentplayer = 2;
    actions.rollDice();
    EXPECT_EQ(requests.last(), QByteArray("CMD_rollthedice+2+1+2+3+5+6+7+8+10"));
}

TEST_F(ActionsOnTheModel, NoRequestOnAnotherTurnOrWhileShuffling)
{
    model.step = TurnStep::Shuffling;
    actions.dieClicked(1, Qt::LeftButton);
    EXPECT_FALSE(model.dice[1].selected) << "own turn, still shuffling";
    model.currentplayer = 3;
    model.step = TurnStep::Rolled;
    actions.dieClicked(1, Qt::LeftButton);
    actions.finishTurn();
    actions.rollDice();
    EXPECT_FALSE(model.dice[1].selected) << "another player's dice";
    EXPECT_TRUE(requests.isEmpty());
}

TEST_F(ActionsOnTheModel, SeatMenuKnowsAnEmptySeatByItsStatus)
{
    state.amhost = true;
    model.seats[3] = SeatModel{SeatOccupant::Player, QStringLiteral("<Waiting>")};
    const auto removable = [&] {
        return actions.popup_kick()->findChild<QAction *>(QStringLiteral("RemoveFromGame1"))->isEnabled();
    };
    actions.openSeatMenu(3, QPoint());
    EXPECT_TRUE(removable()) << "a player named like an empty seat";
    actions.openSeatMenu(4, QPoint());
    EXPECT_FALSE(removable()) << "an empty seat";
    actions.toggleJustWatch();
    model.justWatching = true;
    actions.toggleJustWatch();
    EXPECT_EQ(requests, (QByteArrayList{"CMD_justwatch+2+1", "CMD_justwatch+2+2"}));
}

} // namespace
