// The board's keys: each one sends what the matching click sends, nothing while its control
// is hidden, and the chat line still edits as before.
#include "boardkeys.h"
#include "clientfixture.h"
#include "clientmodel.h"
#include "mainmenu.h"
#include "picturebox.h"
#include "picturebutton.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

namespace {

const QList<int> Mixed = {7, 0, 3, 3, 10, 1, 5, 0, 2, 9};

class Keys : public ClientFixture
{
protected:
    void loginActive()
    {
        login();
        chat->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(chat.get()));
        chatLine()->setFocus();
    }
    QLineEdit *chatLine() const { return chat->board().mychat; }
    // Seat 1 on turn with the given values on dice 1 to 10 (colour 2), after a roll.
    void ownDice(const QList<int> &values, int rolls = 1)
    {
        QByteArray m = "CMD_createdice+1+" + QByteArray::number(rolls);
        for (int n = 1; n <= 10; ++n)
            m += '+' + QByteArray::number(n) + '+' + QByteArray::number(values[n - 1]) + "+2";
        deliver({"CMD_nextplayer+1+1+1+", m});
    }
    // A key pressed where the focus is (the chat line unless a test moved it).
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, k, mods);
    }
    // The die standing at that place from the left.
    PictureBox *dieAt(int position) const
    {
        BoardKeys *keys = chat->board().findChild<BoardKeys *>();
        return keys->diceOnScreen().at(position - 1);
    }
    // Every request with that prefix that arrives while act runs (waits for count of them).
    QByteArrayList sentBy(const std::function<void()> &act, const QByteArray &prefix, int count = 1)
    {
        const qsizetype before = host.requestsStartingWith(prefix).size();
        act();
        (void)QTest::qWaitFor([&] { return host.requestsStartingWith(prefix).size() >= before + count; }, 1000);
        return host.requestsStartingWith(prefix).mid(before);
    }
};

TEST_F(Keys, TurnKeysSendWhatTheClicksSend)
{
    loginActive();
    struct Case
    {
        const char *name;
        QList<int> positions; // dice kept, by place from the left
        bool roll;            // Roll Again, else All Done
    };
    const Case cases[] = {
        {"roll, nothing kept", {}, true},
        {"roll, 2nd and 5th kept", {2, 5}, true},
        {"all done, 1st, 9th and 10th kept", {1, 9, 10}, false},
        {"all done, nothing kept", {}, false},
    };
    const Qt::Key digit[] = {Qt::Key_0, Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4,
                             Qt::Key_5, Qt::Key_6, Qt::Key_7, Qt::Key_8, Qt::Key_9};
    for (const Case &c : cases) {
        const QByteArray prefix = c.roll ? "CMD_rollthedice" : "CMD_alldone";
        ownDice(Mixed);
        const QByteArrayList byMouse = sentBy(
            [&] {
                for (int p : c.positions)
                    QTest::mouseClick(dieAt(p), Qt::LeftButton);
                QTest::mouseClick(c.roll ? chat->board().button_roll : chat->board().button_alldone,
                                  Qt::LeftButton);
            },
            prefix);
        ownDice(Mixed);
        const QByteArrayList byKeys = sentBy(
            [&] {
                for (int p : c.positions)
                    key(digit[p % 10], Qt::AltModifier);
                key(c.roll ? Qt::Key_R : Qt::Key_D, Qt::ControlModifier);
            },
            prefix);
        ASSERT_EQ(byMouse.size(), 1) << c.name;
        EXPECT_EQ(byKeys, byMouse) << c.name;
        EXPECT_EQ(chatLine()->text(), QString()) << c.name << ": nothing typed into the chat line";
    }
    EXPECT_EQ(host.requestsStartingWith("CMD_rollthedice").last(),
              QByteArray("CMD_rollthedice+1+1+3+4+6+7+8+9+10"));
    EXPECT_EQ(host.requestsStartingWith("CMD_alldone").last(), QByteArray("CMD_alldone+1+none"));
}

TEST_F(Keys, DiceKeysCountPlacesOnScreenAndSortLikeARightClick)
{
    loginActive();
    ownDice(Mixed);
    key(Qt::Key_S, Qt::AltModifier);
    const auto &order = chat->session().model().diceorder;
    const QList<int> sorted(order.begin() + 1, order.end());
    ownDice(Mixed);
    QTest::mouseClick(chat->board().die(4), Qt::RightButton);
    EXPECT_EQ(QList<int>(order.begin() + 1, order.end()), sorted) << "Alt+S sorts as a right click does";
    EXPECT_EQ(sorted, (QList<int>{2, 8, 6, 9, 3, 4, 7, 1, 10, 5}));

    key(Qt::Key_1, Qt::AltModifier); // the leftmost die now: die 2, a wild
    key(Qt::Key_0, Qt::AltModifier); // the tenth: die 5, a 10
    const ClientModel &model = chat->session().model();
    EXPECT_TRUE(model.dice[2].selected);
    EXPECT_TRUE(model.dice[5].selected);
    EXPECT_FALSE(model.dice[1].selected) << "die 1 stands 8th after sorting";
    EXPECT_EQ(chat->session().sounds().requested.last(), QStringLiteral("select"));
    key(Qt::Key_1, Qt::AltModifier);
    EXPECT_FALSE(model.dice[2].selected) << "a second Alt+1 frees it, as a second click does";
    EXPECT_EQ(sentBy([&] { key(Qt::Key_R, Qt::ControlModifier); }, "CMD_rollthedice").value(0),
              QByteArray("CMD_rollthedice+1+1+2+3+4+6+7+8+9+10"));
}

TEST_F(Keys, NothingWhileTheControlIsHiddenOrDisabled)
{
    loginActive();
    const ClientModel &model = chat->session().model();
    // Another seat's turn: no turn buttons, the dice are not ours.
    deliver({"CMD_nextplayer+2+1+1+", "CMD_createdice+2+1+1+5+1+2+6+1"});
    const qsizetype sounds = chat->session().sounds().requested.size();
    key(Qt::Key_R, Qt::ControlModifier);
    key(Qt::Key_D, Qt::ControlModifier);
    key(Qt::Key_1, Qt::AltModifier);
    key(Qt::Key_S, Qt::AltModifier);
    EXPECT_FALSE(model.dice[1].selected);
    EXPECT_EQ(chat->session().sounds().requested.size(), sounds);

    // Our third roll: ROLL DICE is gone, ALL DONE stays.
    ownDice(Mixed, 3);
    ASSERT_FALSE(chat->board().button_roll->isVisible());
    key(Qt::Key_R, Qt::ControlModifier);
    // A disabled ALL DONE is not pressed either.
    chat->board().button_alldone->setEnabled(false);
    key(Qt::Key_D, Qt::ControlModifier);
    QTest::qWait(100);
    EXPECT_TRUE(host.requestsStartingWith("CMD_rollthedice").isEmpty());
    EXPECT_TRUE(host.requestsStartingWith("CMD_alldone").isEmpty());
    chat->board().button_alldone->setEnabled(true);
    EXPECT_EQ(sentBy([&] { key(Qt::Key_D, Qt::ControlModifier); }, "CMD_alldone").value(0),
              QByteArray("CMD_alldone+1+none"));
}

TEST_F(Keys, StartGameOnlyWhileItsButtonIsShown)
{
    loginActive();
    ASSERT_TRUE(chat->board().button_start->isVisible());
    const QByteArrayList byMouse =
        sentBy([&] { QTest::mouseClick(chat->board().button_start, Qt::LeftButton); }, "CMD_startgame");
    const QByteArrayList byKey = sentBy([&] { key(Qt::Key_N, Qt::ControlModifier); }, "CMD_startgame");
    ASSERT_EQ(byMouse, QByteArrayList{"CMD_startgame+You+0+0+f+"});
    EXPECT_EQ(byKey, byMouse);
    deliver("CMD_startgame+You+0+0+f+");
    ASSERT_FALSE(chat->board().button_start->isVisible()) << "a running game";
    key(Qt::Key_N, Qt::ControlModifier);
    QTest::qWait(100);
    EXPECT_EQ(host.requestsStartingWith("CMD_startgame").size(), 2) << "never a restart of a running game";
}

TEST_F(Keys, ChatLineStillEdits)
{
    loginActive();
    ownDice(Mixed);
    QLineEdit *line = chatLine();
    QTest::keyClicks(line, "roll dice");
    EXPECT_EQ(line->text(), QStringLiteral("roll dice"));
    EXPECT_FALSE(chat->session().model().dice[1].selected);
    key(Qt::Key_Backspace);
    key(Qt::Key_Home);
    key(Qt::Key_Delete);
    EXPECT_EQ(line->text(), QStringLiteral("oll dic"));
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_Backspace);
    EXPECT_EQ(line->text(), QString());
    QTest::keyClicks(line, "hi");
    key(Qt::Key_T, Qt::AltModifier);
    EXPECT_EQ(line->text(), QStringLiteral("hi")) << "Alt with a letter types nothing";
    EXPECT_EQ(sentBy([&] { key(Qt::Key_Return); }, "CMD_chat").size(), 1);
    EXPECT_EQ(line->text(), QString());
    // Ctrl+D is ALL DONE even in the chat line, and edits nothing there.
    QTest::keyClicks(line, "gg");
    key(Qt::Key_Home);
    EXPECT_EQ(sentBy([&] { key(Qt::Key_D, Qt::ControlModifier); }, "CMD_alldone").value(0),
              QByteArray("CMD_alldone+1+none"));
    EXPECT_EQ(line->text(), QStringLiteral("gg"));
}

// Under a desktop whose key scheme gives the chat line Ctrl+D (delete) and the like, the line
// claims those keys before the window may use them; the board's keys still win.
TEST_F(Keys, BoardKeysWinOverAChatLineThatClaimsThem)
{
    struct Claim : QObject
    {
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::ShortcutOverride)
                event->accept();
            return false;
        }
    } claim;
    loginActive();
    chatLine()->installEventFilter(&claim);
    ownDice(Mixed);
    key(Qt::Key_3, Qt::AltModifier);
    EXPECT_TRUE(chat->session().model().dice[3].selected);
    EXPECT_EQ(sentBy([&] { key(Qt::Key_D, Qt::ControlModifier); }, "CMD_alldone").value(0),
              QByteArray("CMD_alldone+1+3"));
    chatLine()->removeEventFilter(&claim);
}

TEST_F(Keys, MenusOpenWithAltAndShowTheirKeys)
{
    loginActive();
    QMenuBar *bar = chat->menuBar();
    QStringList titles;
    for (QAction *menu : bar->actions())
        titles << menu->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Options", "&View", "&Help"}));
    EXPECT_EQ(chat->menu().startGame()->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    EXPECT_EQ(chat->menu().startGame()->text(), QStringLiteral("Start Game"));

    key(Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, 1000));
    auto *open = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->title(), QStringLiteral("&File"));
    EXPECT_EQ(chatLine()->text(), QString()) << "Alt+F types no f";
    open->close();
}

} // namespace
