// QtMessageBoxes: reports belong to the main window, come after it, never pile up, show plain text.
#include "qtmessageboxes.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

QList<QMessageBox *> visibleBoxes()
{
    QList<QMessageBox *> boxes;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
            boxes << box;
    }
    return boxes;
}

class MessageBoxesTest : public ::testing::Test
{
protected:
    void SetUp() override { QApplication::setQuitOnLastWindowClosed(false); }
    void TearDown() override
    {
        for (QMessageBox *box : visibleBoxes())
            box->close();
        QCoreApplication::processEvents();
    }
};

TEST_F(MessageBoxesTest, ReportsRaisedDuringStartWaitForTheMainWindowAndStayAboveIt)
{
    auto window = std::make_unique<QWidget>();
    QtMessageBoxes boxes(window.get());
    boxes.showError(QStringLiteral("The tally file is damaged"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(visibleBoxes().isEmpty()) << "nothing shows before the main window";
    window->show();
    boxes.windowShown();
    ASSERT_TRUE(QTest::qWaitFor([] { return visibleBoxes().size() == 1; }, 1000));
    QMessageBox *box = visibleBoxes().constFirst();
    EXPECT_EQ(box->parentWidget(), window.get()) << "the box belongs to the main window";
    EXPECT_TRUE(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(box->text(), QStringLiteral("The tally file is damaged"));

    // Closing the main window ends the program: no box of its own outlives it.
    QPointer<QMessageBox> watched = box;
    window.reset();
    EXPECT_TRUE(watched.isNull());
    boxes.showError(QStringLiteral("after the end"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(visibleBoxes().isEmpty());
}

TEST_F(MessageBoxesTest, AtMostOneReportIsOpenAndLaterOnesAreCounted)
{
    QWidget window;
    window.show();
    QtMessageBoxes boxes(&window);
    boxes.windowShown();
    QCoreApplication::processEvents();
    for (int n = 1; n <= 1000; ++n)
        boxes.showError(QStringLiteral("Malformed message %1").arg(n));
    EXPECT_EQ(visibleBoxes().size(), 1);
    ASSERT_NE(boxes.openReport(), nullptr);
    EXPECT_EQ(boxes.moreReports(), 999);
    EXPECT_TRUE(boxes.openReport()->text().startsWith(QStringLiteral("Malformed message 1\n")));
    EXPECT_TRUE(boxes.openReport()->text().contains(QStringLiteral("999 more errors since this one")));
    EXPECT_TRUE(boxes.openReport()->text().endsWith(QStringLiteral("Malformed message 1000)")));

    boxes.openReport()->close();
    QCoreApplication::processEvents();
    boxes.showError(QStringLiteral("Next"));
    ASSERT_NE(boxes.openReport(), nullptr) << "a closed report makes room for the next one";
    EXPECT_EQ(boxes.openReport()->text(), QStringLiteral("Next"));
    EXPECT_EQ(boxes.moreReports(), 0);
    boxes.showMessage(QStringLiteral("Cannot open Webpage"));
    EXPECT_EQ(visibleBoxes().size(), 2) << "messages are not reports";
}

TEST_F(MessageBoxesTest, MarkupFromAHostOrPeerIsShownAsPlainText)
{
    QtMessageBoxes boxes; // no main window: shown at once
    const QString markup = QStringLiteral("<img src=\"/tmp/x.png\"><b>bold</b> & <i>more</i>");
    boxes.showError(markup);
    boxes.showMessage(markup);
    const QList<QMessageBox *> shown = visibleBoxes();
    ASSERT_EQ(shown.size(), 2);
    for (QMessageBox *box : shown) {
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        bool labelShowsTheRawText = false;
        for (QLabel *label : box->findChildren<QLabel *>()) {
            labelShowsTheRawText =
                labelShowsTheRawText || (label->text() == markup && label->textFormat() == Qt::PlainText);
        }
        EXPECT_TRUE(labelShowsTheRawText);
    }
}

TEST_F(MessageBoxesTest, AMessageTellsWhenItWasClosed)
{
    QtMessageBoxes boxes;
    int closed = 0;
    boxes.showMessage(QStringLiteral("Game is full"), [&] { ++closed; });
    ASSERT_EQ(visibleBoxes().size(), 1);
    EXPECT_EQ(closed, 0) << "the box is still open";
    QTest::keyClick(visibleBoxes().constFirst(), Qt::Key_Return);
    EXPECT_EQ(closed, 1);

    RecordingMessageBoxes recorded;
    recorded.showMessage(QStringLiteral("Game is full"), [&] { ++closed; });
    EXPECT_EQ(closed, 2) << "nothing to wait for where nothing shows";
    EXPECT_EQ(recorded.messages, QStringList{QStringLiteral("Game is full")});
}

} // namespace
