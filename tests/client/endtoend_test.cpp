// A whole solo game: a real host and a real main window in one process, played by Klot
// for both seats after the player starts the game and switches Just Watch on.
#include "board.h"
#include "chatform.h"
#include "clientgame.h"
#include "clientconnection.h"
#include "gamerandom.h"
#include "mainmenu.h"
#include "messageboxes.h"
#include "picturebox.h"
#include "picturebutton.h"
#include "serverform.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Saves the window as a PNG when DORVANE_SCREENSHOT_DIR is set (for looking at the board).
void screenshot(QWidget &window, const char *name)
{
    const QString dir = qEnvironmentVariable("DORVANE_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        window.grab().save(QDir(dir).filePath(QString::fromLatin1(name) + QStringLiteral(".png")));
}

TEST(EndToEnd, SoloGameAgainstKlotReachesGameOver)
{
    QApplication::setQuitOnLastWindowClosed(false);
    seedGameRandom(20261208);
    QTemporaryDir dir;
    RecordingMessageBoxes boxes;
    TServer server;
    server.setTimeScale(0.02);
    TchatOptions options;
    options.boxes = &boxes;
    options.port = 0; // the host picks a free port; the client follows it
    options.settingsPath = dir.filePath(QStringLiteral("vornlobby.ini"));
    options.mutexName = QStringLiteral("dorvane-e2e-%1").arg(QCoreApplication::applicationPid());
    Tchat chat(options);
    chat.setServer(&server);
    chat.show();
    Board &board = chat.board();

    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return chat.session().state().loggedin && board.playerName(1)->text() == "You"; }, 5000));
    screenshot(chat, "start");
    QTest::mouseClick(board.button_start, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !board.button_start->isVisible(); }, 5000)) << "the game started";
    chat.menu().justWatch()->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return chat.menu().justWatch()->isChecked(); }, 5000));
    EXPECT_TRUE(board.eyes(1)->isVisible());

    // A game that stops moving fails within StallMs of the board's last change, not at the
    // end of the whole game's allowance.
    constexpr int StallMs = 10000;
    int changes = 0;
    QObject::connect(&chat.session().game(), &ClientGame::modelChanged, [&changes] { ++changes; });
    QElapsedTimer whole;
    whole.start();
    const auto waitWhileMoving = [&](const std::function<bool()> &done) {
        while (!done()) {
            const int seen = changes;
            if (!QTest::qWaitFor([&] { return changes != seen || done(); }, StallMs)) {
                ADD_FAILURE() << "the game stopped at " << board.label_round->text().toStdString() << ", "
                              << board.label_status->text().toStdString();
                return false;
            }
            if (whole.elapsed() > 180000)
                return false;
        }
        return true;
    };
    ASSERT_TRUE(waitWhileMoving([&] { return board.label_round->text() == QStringLiteral("Round: 5"); }));
    (void)QTest::qWaitFor([&] { return !board.die(3)->isEmpty(); }, 2000);
    screenshot(chat, "midgame");

    ASSERT_TRUE(waitWhileMoving([&] { return board.label_status->text() == QStringLiteral("Game Over!"); }))
        << "no game over";
    EXPECT_TRUE(board.label_winner->isVisible());
    EXPECT_TRUE(board.label_winner->text().endsWith(QStringLiteral("Won the Game!")))
        << board.label_winner->text().toStdString();
    EXPECT_TRUE(board.button_start->isVisible()) << "the host may start again";
    EXPECT_TRUE(boxes.errors.isEmpty()) << boxes.errors.join(" | ").toStdString();
    EXPECT_EQ(board.playerName(2)->text(), QStringLiteral("Klot"));
    screenshot(chat, "gameover");
}

} // namespace
