// Two main windows and a real host in one process: chat, phrases and chatter sounds
// travel through the host to both players.
#include "board.h"
#include "chatform.h"
#include "clientoptions.h"
#include "chatinput.h"
#include "chatview.h"
#include "clientconnection.h"
#include "colorchooser.h"
#include "messageboxes.h"
#include "playerwindow.h"
#include "scriptedhost.h"
#include "serverform.h"
#include "shellopen.h"
#include "soundplayer.h"
#include "workarea.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

TEST(ChatGame, TwoPlayersTalkThroughTheHost)
{
    QApplication::setQuitOnLastWindowClosed(false);
    ScriptedHost lobby;
    TServer server;
    const QString pid = QString::number(QCoreApplication::applicationPid());
    Player you;
    you.create(0, lobby.port(), QStringLiteral("dorvane-chat-a-") + pid);
    you.chat->setServer(&server);
    you.chat->show();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return you.chat->session().state().loggedin && you.chat->options().values().botSpeed; }, 5000));

    Player ann;
    ann.create(server.listeningPort(), lobby.port(), QStringLiteral("dorvane-chat-b-") + pid);
    ann.chat->setParameters({QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("false")});
    ann.chat->show();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return ann.chat->session().state().loggedin && ann.chat->options().values().botSpeed; }, 5000));
    ASSERT_EQ(ann.chat->session().state().myid, 2);

    QLineEdit *box = you.chat->board().mychat;
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("hello :)#15 www.example.org"));
    QTest::keyClick(box, Qt::Key_Return);
    const QString hello = QStringLiteral("You chats: hello ") + QChar::ObjectReplacementCharacter
                          + QStringLiteral(" www.example.org");
    EXPECT_TRUE(you.waitForLine(hello)) << you.lastLine().toStdString();
    EXPECT_TRUE(ann.waitForLine(hello)) << ann.lastLine().toStdString();
    ann.chat->session().chatView().mainchatJump(0);
    EXPECT_EQ(ann.shell.urls, QStringList{QStringLiteral("http://www.example.org")});

    ann.chat->board().b_phrase[7]->click();
    EXPECT_TRUE(you.waitForLine(QStringLiteral("Ann says: Thanks!"))) << you.lastLine().toStdString();

    ann.chat->session().chatInput().popup_sounds()->findChild<QAction *>(QStringLiteral("wave13"))->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return you.sounds.played.contains(QStringLiteral("wave13")); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return ann.sounds.played.contains(QStringLiteral("wave13")); }, 5000));
    EXPECT_TRUE(you.boxes.errors.isEmpty());
    EXPECT_TRUE(ann.boxes.errors.isEmpty());
    ann.chat.reset();
    you.chat.reset();
}

} // namespace
