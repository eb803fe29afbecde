// Focus like a desktop program: the Tab order, Space and Enter on the focused control, the
// focus mark, Escape in the host and join windows, and what a screen reader is told.
#include "boardaccessibility.h"
#include "boardkeys.h"
#include "clientfixture.h"
#include "clientmodel.h"
#include "focusmark.h"
#include "mainmenu.h"
#include "picturebox.h"
#include "picturebutton.h"

#include <QAccessible>
#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QToolButton>

namespace {

const QList<int> Mixed = {7, 0, 3, 3, 10, 1, 5, 0, 2, 9};

class Focus : public ClientFixture
{
protected:
    void loginActive()
    {
        login();
        chat->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(chat.get()));
        chat->board().mychat->setFocus();
    }
    void ownDice(const QList<int> &values, int rolls = 1)
    {
        QByteArray m = "CMD_createdice+1+" + QByteArray::number(rolls);
        for (int n = 1; n <= 10; ++n)
            m += '+' + QByteArray::number(n) + '+' + QByteArray::number(values[n - 1]) + "+3";
        deliver({"CMD_nextplayer+1+1+1+", m});
    }
    BoardKeys &keys() const { return *chat->board().findChild<BoardKeys *>(); }
    // The widgets the focus visits from the chat line on, pressing key until it is back.
    QList<QWidget *> walk(Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QList<QWidget *> seen;
        for (int i = 0; i < 40; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, mods);
            QWidget *now = QApplication::focusWidget();
            if (now == chat->board().mychat || now == nullptr)
                break;
            seen.append(now);
        }
        return seen;
    }
    QList<QWidget *> phraseButtons() const
    {
        QList<QWidget *> buttons;
        for (int n = 1; n <= 10; ++n)
            buttons.append(chat->board().b_phrase[n]);
        buttons.append(chat->board().button_smilies);
        return buttons;
    }
};

TEST_F(Focus, TabWalksTheDiceTheButtonsAndThePhrasesInPlaceOrder)
{
    loginActive();
    Board &board = chat->board();
    // Before a game: START GAME, then the phrase buttons; the blank dice take no focus.
    EXPECT_EQ(walk(), QList<QWidget *>{board.button_start} + phraseButtons());

    ownDice(Mixed);
    EXPECT_EQ(QApplication::focusWidget(), board.mychat) << "the dice never take it from the chat line";
    QTest::mouseClick(board.die(1), Qt::RightButton); // sorted: the order on screen changes
    QList<QWidget *> expected;
    for (int position = 1; position <= 10; ++position)
        expected.append(board.die(chat->session().model().diceorder[position]));
    ASSERT_EQ(expected.first(), board.die(2));
    QList<QWidget *> buttons = {board.button_roll, board.button_alldone};
    if (board.button_start->isVisible())
        buttons.prepend(board.button_start);
    expected += buttons + phraseButtons();
    EXPECT_EQ(walk(), expected);
    QList<QWidget *> backwards(expected.rbegin(), expected.rend());
    EXPECT_EQ(walk(Qt::ShiftModifier), backwards);

    deliver({"CMD_nextplayer+2+1+1+", "CMD_createdice+2+1+1+5+1"});
    const QList<QWidget *> otherTurn = walk();
    for (int n = 1; n <= 10; ++n)
        EXPECT_FALSE(otherTurn.contains(board.die(n))) << "another player's die " << n;
}

TEST_F(Focus, SpaceAndEnterActivateTheFocusedControl)
{
    loginActive();
    Board &board = chat->board();
    ownDice(Mixed);
    PictureBox *third = keys().diceOnScreen().at(2);
    third->setFocus();
    QTest::keyClick(third, Qt::Key_Space);
    EXPECT_TRUE(chat->session().model().dice[3].selected);
    QTest::keyClick(third, Qt::Key_Return);
    EXPECT_FALSE(chat->session().model().dice[3].selected) << "Enter frees it again";
    QTest::keyClick(third, Qt::Key_Enter);
    EXPECT_TRUE(chat->session().model().dice[3].selected);

    board.button_roll->setFocus();
    QTest::keyClick(board.button_roll, Qt::Key_Return);
    EXPECT_TRUE(host.waitForRequest("CMD_rollthedice+1+1+2+4+5+6+7+8+9+10"));
    ownDice(Mixed, 2);
    EXPECT_EQ(QApplication::focusWidget(), keys().diceOnScreen().first()) << "the new dice take the focus";
    board.button_alldone->setFocus();
    QTest::keyClick(board.button_alldone, Qt::Key_Space);
    EXPECT_TRUE(host.waitForRequest("CMD_alldone+1+none"));
}

TEST_F(Focus, TheMarkFollowsTheFocusedDieInTheBoardsColours)
{
    loginActive();
    Board &board = chat->board();
    auto *mark = board.findChild<FocusMark *>();
    ASSERT_NE(mark, nullptr);
    EXPECT_FALSE(mark->isVisible()) << "the chat line has the focus";
    ownDice(Mixed);
    PictureBox *die = board.die(4);
    die->setFocus();
    ASSERT_TRUE(mark->isVisible());
    const int m = FocusMark::Margin;
    EXPECT_EQ(mark->geometry(), die->geometry().adjusted(-m, -m, m, m));
    QTest::keyClick(die, Qt::Key_Space); // kept: it rises, the mark with it
    EXPECT_EQ(die->y(), Board::DieRaised);
    EXPECT_EQ(mark->geometry(), die->geometry().adjusted(-m, -m, m, m));

    const QImage shown = board.grab().toImage();
    screenshot("focus-mark");
    const QPoint edge(die->x() + die->width() / 2, die->y() + die->height() + 1);
    const QColor c = shown.pixelColor(edge);
    EXPECT_GT(c.red(), 200) << "gold below the die";
    EXPECT_GT(c.green(), 160);
    EXPECT_LT(c.blue(), 150);

    board.mychat->setFocus();
    EXPECT_FALSE(mark->isVisible());
}

TEST_F(Focus, ScreenReadersHearTheDiceTheButtonsAndTheSeats)
{
    loginActive();
    Board &board = chat->board();
    EXPECT_EQ(board.die(1)->accessibleName(), QStringLiteral("Die 1 of 10: not rolled"));
    ownDice(Mixed);
    QTest::keyClick(board.mychat, Qt::Key_2, Qt::AltModifier);
    EXPECT_EQ(board.die(1)->accessibleName(), QStringLiteral("Die 1 of 10: green 7, not kept"));
    EXPECT_EQ(board.die(2)->accessibleName(), QStringLiteral("Die 2 of 10: green wild, kept"));
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(board.die(2));
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->text(QAccessible::Name), board.die(2)->accessibleName());

    QTest::mouseClick(board.die(1), Qt::RightButton);
    EXPECT_EQ(board.die(2)->accessibleName(), QStringLiteral("Die 1 of 10: green wild, kept"))
        << "the place follows the sorting";
    EXPECT_EQ(board.die(5)->accessibleName(), QStringLiteral("Die 10 of 10: green 10, not kept"));
    EXPECT_EQ(board.button_roll->accessibleName(), QStringLiteral("Roll Again"));
    EXPECT_EQ(board.button_roll->accessibleDescription(), QStringLiteral("Ctrl+R"));
    EXPECT_EQ(board.button_alldone->accessibleName(), QStringLiteral("All Done"));
    EXPECT_EQ(board.playerName(1)->accessibleName(), QStringLiteral("Seat 1: You, phase 1, total 0, on turn"));
    EXPECT_EQ(board.playerName(3)->accessibleName(), QStringLiteral("Seat 3: <Waiting>"));
    EXPECT_TRUE(board.b_phrase[1]->accessibleName().startsWith(QStringLiteral("Phrase 1: ")));
}

TEST(BoardAccessibilityText, SeatsTellTheirPhaseTotalAndWatching)
{
    SeatModel seat{SeatOccupant::Player, QStringLiteral("Ann")};
    seat.total = 95;
    EXPECT_EQ(BoardAccessibility::seatText(2, seat, false), QStringLiteral("Seat 2: Ann, phase 1, total 95"));
    seat.sheet[1] = SheetCell::of(30);
    seat.sheet[2] = SheetCell::of(40);
    seat.watching = true;
    EXPECT_EQ(BoardAccessibility::seatText(2, seat, true),
              QStringLiteral("Seat 2: Ann, phase 3, total 95, on turn, just watching"));
    for (int phase = 3; phase <= 10; ++phase)
        seat.sheet[phase] = SheetCell::dash();
    EXPECT_EQ(BoardAccessibility::nextPhase(seat), 11);
    EXPECT_TRUE(BoardAccessibility::seatText(2, seat, false).contains(QStringLiteral(", finished")));
    EXPECT_EQ(BoardAccessibility::dieText(4, TDie{5, 4, true}, true),
              QStringLiteral("Die 4 of 10: magenta 5, kept"));
}

TEST_F(Focus, EscapeClosesTheHostAndJoinWindows)
{
    loginActive();
    for (QAction *opens : {chat->menu().hostGame(), chat->menu().joinGame()}) {
        opens->trigger();
        QDialog *dialog = nullptr;
        for (QDialog *d : chat->findChildren<QDialog *>())
            if (d->isVisible())
                dialog = d;
        ASSERT_NE(dialog, nullptr) << opens->text().toStdString();
        QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog->isVisible()) << opens->text().toStdString();
    }
}

} // namespace
