// A whole hosted game: a real host, the hosting player's window and a joined player's window
// in one process, both played by Klot after the host starts the game and both switch Just
// Watch on. Both windows must reach the game's end with the same winner.
#include "board.h"
#include "chatform.h"
#include "chatinput.h"
#include "clientgame.h"
#include "clientoptions.h"
#include "gamesession.h"
#include "gamerandom.h"
#include "mainmenu.h"
#include "messageboxes.h"
#include "picturebutton.h"
#include "playerwindow.h"
#include "scriptedhost.h"
#include "serverform.h"
#include "soundplayer.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTextBrowser>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

namespace {

// A player's window started with a command line.
struct Window : Player
{
    Window(quint16 port, quint16 lobbyPort, const QString &mutex, const QStringList &parameters)
    {
        create(port, lobbyPort, mutex);
        chat->setParameters(parameters);
    }
    Board &board() const { return chat->board(); }
    // The chat as plain text, without the invisible isolates around peers' names and text.
    QString chatLines() const
    {
        return board().mainchat->toPlainText().remove(QChar(0x2068)).remove(QChar(0x2069)).simplified();
    }
    bool over() const { return board().label_status->text() == QStringLiteral("Game Over!"); }
};

TEST(HostedGame, TwoWindowsPlayToTheSameWinner)
{
    QApplication::setQuitOnLastWindowClosed(false);
    seedGameRandom(20261209);
    ScriptedHost lobby;
    TServer server;
    server.setTimeScale(0.02);
    const QString pid = QString::number(QCoreApplication::applicationPid());

    Window ann(0, lobby.port(), QStringLiteral("dorvane-hosted-a-") + pid,
               {QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("true")});
    ann.chat->setServer(&server);
    ann.chat->show();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return ann.chat->session().state().loggedin && ann.chat->options().values().botSpeed; }, 5000));
    ASSERT_TRUE(server.listening());

    Window bob(server.listeningPort(), lobby.port(), QStringLiteral("dorvane-hosted-b-") + pid,
               {QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("false")});
    bob.chat->show();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return bob.chat->session().state().loggedin && bob.chat->options().values().botSpeed; }, 5000));
    ASSERT_EQ(bob.chat->session().state().myid, 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ann.board().playerName(2)->text() == QStringLiteral("Bob"); }, 5000));

    // Chat, a phrase and a chatter sound travel through the host before the game.
    QLineEdit *box = bob.board().mychat;
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("good luck :)#15 a+b www.example.org"));
    QTest::keyClick(box, Qt::Key_Return);
    ann.board().b_phrase[7]->click();
    bob.chat->session().chatInput().popup_sounds()->findChild<QAction *>(QStringLiteral("wave13"))->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ann.sounds.played.contains(QStringLiteral("wave13")); }, 5000));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return bob.chatLines().contains(QStringLiteral("Ann says: Thanks!")); }, 5000));
    EXPECT_TRUE(bob.chatLines().contains(QStringLiteral("a+b www.example.org"))) << bob.chatLines().toStdString();

    QTest::mouseClick(ann.board().button_start, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !bob.board().button_start->isVisible(); }, 5000));
    ann.chat->menu().justWatch()->trigger();
    bob.chat->menu().justWatch()->trigger();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return ann.chat->menu().justWatch()->isChecked() && bob.chat->menu().justWatch()->isChecked(); },
        5000));

    // The game fails within StallMs of its last change instead of at the end of the allowance.
    constexpr int StallMs = 10000;
    int changes = 0;
    QObject::connect(&bob.chat->session().game(), &ClientGame::modelChanged, [&changes] { ++changes; });
    QElapsedTimer whole;
    whole.start();
    while (!(ann.over() && bob.over()) && whole.elapsed() < 180000) {
        const int seen = changes;
        ASSERT_TRUE(QTest::qWaitFor([&] { return changes != seen || (ann.over() && bob.over()); }, StallMs))
            << "the game stopped at " << bob.board().label_round->text().toStdString();
    }
    ASSERT_TRUE(ann.over() && bob.over()) << "no game over";
    // Each window names the winner from its own side: "You have ..." in the winner's.
    const QString annSees = ann.board().label_winner->text();
    const QString bobSees = bob.board().label_winner->text();
    EXPECT_TRUE(annSees.endsWith(QStringLiteral("Won the Game!"))) << annSees.toStdString();
    EXPECT_EQ(annSees.startsWith(QStringLiteral("You have")), bobSees.startsWith(QStringLiteral("Ann has")))
        << annSees.toStdString() << " / " << bobSees.toStdString();
    EXPECT_EQ(bobSees.startsWith(QStringLiteral("You have")), annSees.startsWith(QStringLiteral("Bob has")))
        << annSees.toStdString() << " / " << bobSees.toStdString();
    EXPECT_TRUE(ann.board().button_start->isVisible()) << "the hosting player may start again";
    EXPECT_FALSE(bob.board().button_start->isVisible());
    EXPECT_TRUE(ann.boxes.errors.isEmpty()) << ann.boxes.errors.join(" | ").toStdString();
    EXPECT_TRUE(bob.boxes.errors.isEmpty()) << bob.boxes.errors.join(" | ").toStdString();
    bob.chat.reset();
    ann.chat.reset();
}

} // namespace
