// The spectator list: entries follow arrivals and departures, and "Remove From Game"
// kicks the spectator under the pointer, only for the hosting client.
#include "spylistform.h"

#include "spectatorlist.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

class SpyListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        list.setKicking([this](int seat) { kicked.push_back(seat); });
        list.addSpy(5, QStringLiteral("Bob"));
        list.addSpy(7, QStringLiteral("Ann"));
        list.addSpy(9, QStringLiteral("Carl"));
        list.show();
        QApplication::processEvents();
        box = list.findChild<QListWidget *>(QStringLiteral("listbox_spys"));
        kick = list.findChild<QAction *>(QStringLiteral("popup_kickhim"));
        ASSERT_NE(box, nullptr);
        ASSERT_NE(kick, nullptr);
    }

    QPoint rowCentre(int row) const { return box->visualItemRect(box->item(row)).center(); }
    QPoint belowLastRow() const { return rowCentre(box->count() - 1) + QPoint(0, 60); }

    void moveTo(const QPoint &pos)
    {
        QMouseEvent move(QEvent::MouseMove, pos, box->viewport()->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(box->viewport(), &move);
    }

    void rightClickAt(const QPoint &pos)
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, box->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(box->viewport(), &event);
    }

    Tspylist list;
    QListWidget *box = nullptr;
    QAction *kick = nullptr;
    std::vector<int> kicked;
};

TEST_F(SpyListTest, RemovalKicksTheEntryUnderThePointerNotTheSelectedOne)
{
    list.setHosting(true);
    const struct
    {
        int row;
        int seat;
    } cases[] = {{0, 5}, {1, 7}, {2, 9}};
    for (const auto &c : cases) {
        kicked.clear();
        box->setCurrentRow((c.row + 1) % 3); // another entry is the selected one
        moveTo(rowCentre(c.row));
        kick->trigger();
        EXPECT_EQ(kicked, std::vector<int>{c.seat}) << "row " << c.row;
    }
}

TEST_F(SpyListTest, ContextMenuOpensOverTheEntryItActsOn)
{
    list.setHosting(true);
    moveTo(rowCentre(0));
    rightClickAt(rowCentre(1)); // a right click without an earlier move event still counts
    auto *menu = list.findChild<QMenu *>(QStringLiteral("popup_kick"));
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    kick->trigger();
    menu->hide();
    EXPECT_EQ(kicked, std::vector<int>{7});
}

TEST_F(SpyListTest, NothingIsSentOverEmptySpace)
{
    list.setHosting(true);
    moveTo(rowCentre(1));
    moveTo(belowLastRow());
    kick->trigger();
    rightClickAt(belowLastRow());
    kick->trigger();
    EXPECT_TRUE(kicked.empty());
}

TEST_F(SpyListTest, JoinedClientCannotRemove)
{
    EXPECT_FALSE(kick->isEnabled()) << "disabled until the client hosts";
    moveTo(rowCentre(0));
    kick->trigger();
    list.kickPointedSeat();
    EXPECT_TRUE(kicked.empty());

    list.setHosting(true);
    EXPECT_TRUE(kick->isEnabled());
    list.setHosting(false);
    kick->trigger();
    EXPECT_TRUE(kicked.empty());
}

TEST_F(SpyListTest, ListChangedUnderTheMenuRemovesNobody)
{
    list.setHosting(true);
    moveTo(rowCentre(1)); // "7: Ann"
    ASSERT_TRUE(list.removeSpy(7, QStringLiteral("Ann")));
    kick->trigger(); // row 1 now holds Carl, who was not under the pointer
    moveTo(rowCentre(1));
    ASSERT_TRUE(list.removeSpy(9, QStringLiteral("Carl")));
    kick->trigger(); // row 1 no longer exists
    EXPECT_TRUE(kicked.empty());
}

TEST_F(SpyListTest, DepartureRemovesOnlyTheMatchingEntry)
{
    const struct
    {
        const char *name;
        int seat;
        const char *spyName;
        bool found;
        QStringList after;
    } cases[] = {
        {"unknown seat", 6, "Bob", false, {"5: Bob", "7: Ann", "9: Carl"}},
        {"name differs", 7, "Bob", false, {"5: Bob", "7: Ann", "9: Carl"}},
        {"letter case ignored", 7, "aNN", true, {"5: Bob", "9: Carl"}},
        {"last entry", 9, "Carl", true, {"5: Bob"}},
        {"already gone", 9, "Carl", false, {"5: Bob"}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(list.removeSpy(c.seat, QString::fromLatin1(c.spyName)), c.found) << c.name;
        EXPECT_EQ(list.entries(), c.after) << c.name;
        EXPECT_EQ(box->count(), c.after.size()) << c.name;
    }
}

TEST_F(SpyListTest, DoneHidesAndShowingCentresOnTheMainWindow)
{
    EXPECT_EQ(list.windowTitle(), QStringLiteral("Dorvane - Spys"));
    EXPECT_TRUE(list.windowFlags() & Qt::WindowStaysOnTopHint);
    auto *done = list.findChild<QPushButton *>(QStringLiteral("button_done"));
    ASSERT_NE(done, nullptr);
    done->click();
    EXPECT_FALSE(list.isVisible());

    const QRect mainFrame(200, 150, 700, 590);
    list.showOver(mainFrame);
    QApplication::processEvents();
    EXPECT_TRUE(list.isVisible());
    const QPoint offset = list.frameGeometry().center() - mainFrame.center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
    EXPECT_EQ(list.entries().size(), 3) << "the list outlives hiding";
}

// Desktops draw the caption in a bold face of about 11 points and centre it between the
// title bar's buttons; with up to three buttons of about 28 pixels on each side (window
// menu, minimise, maximise, close) the whole caption must still fit.
TEST_F(SpyListTest, WindowIsWideEnoughForItsWholeTitle)
{
    QFont titleFont = QApplication::font();
    titleFont.setPointSize(11);
    titleFont.setBold(true);
    const int caption = QFontMetrics(titleFont).horizontalAdvance(list.windowTitle());
    constexpr int ButtonsEachSide = 3 * 28;
    EXPECT_GE(list.width(), caption + 2 * ButtonsEachSide) << "caption " << caption << " px";
    auto *listBox = list.findChild<QListWidget *>(QStringLiteral("listbox_spys"));
    auto *done = list.findChild<QPushButton *>(QStringLiteral("button_done"));
    ASSERT_TRUE(listBox && done);
    EXPECT_EQ(listBox->geometry().center().x(), list.rect().center().x()) << "the list spans the wider window";
    EXPECT_EQ(done->geometry().center().x(), list.rect().center().x());
    const QString folder = qEnvironmentVariable("DORVANE_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        list.grab().save(folder + QStringLiteral("/spylist.png"));
}

// The list is kept without the window; a window built later shows what happened before it
// and follows every change after, and its removal acts on the shared list.
TEST(SpyListBuiltLater, ShowsAndFollowsTheSharedList)
{
    SpectatorList spectators;
    spectators.add(5, QStringLiteral("Bob"));
    spectators.add(7, QStringLiteral("Ann"));
    spectators.add(8, QStringLiteral("Cy"));
    EXPECT_TRUE(spectators.remove(5, QStringLiteral("BOB")));
    EXPECT_FALSE(spectators.remove(9, QStringLiteral("Ann")));

    std::vector<int> kicked;
    {
        Tspylist window(&spectators);
        window.setKicking([&kicked](int seat) { kicked.push_back(seat); });
        window.setHosting(true);
        EXPECT_EQ(window.entries(), (QStringList{"7: Ann", "8: Cy"})) << "what came before the window";

        spectators.add(9, QStringLiteral("Dee"));
        EXPECT_TRUE(window.removeSpy(7, QStringLiteral("ann")));
        EXPECT_EQ(window.entries(), (QStringList{"8: Cy", "9: Dee"}));
        EXPECT_EQ(spectators.entries(), window.entries()) << "one list, not two";

        window.show();
        auto *box = window.findChild<QListWidget *>(QStringLiteral("listbox_spys"));
        ASSERT_NE(box, nullptr);
        window.notePointedEntry(box->visualItemRect(box->item(1)).center());
        window.kickPointedSeat();
        EXPECT_EQ(kicked, std::vector<int>{9});

        spectators.clear();
        EXPECT_TRUE(window.entries().isEmpty());
        EXPECT_EQ(box->count(), 0);
    }
    spectators.add(6, QStringLiteral("Eve")); // the window is gone; the list goes on
    EXPECT_EQ(spectators.entries(), QStringList{"6: Eve"});
}

} // namespace
