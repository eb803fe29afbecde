// Joining and leaving as a player meets them: a join that cannot be made leaves the running
// game alone, the end of a joined game keeps the window, and the windows remember only
// what worked. Real windows against real in-process hosts over loopback.
#include "clientconnection.h"
#include "netplayfixture.h"
#include "pendingjoin.h"
#include "picturebutton.h"
#include "scriptedhost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <vector>

namespace {

const QString Ended = QStringLiteral("The connection to the host has ended, so the game is over for you.");
const QString WhatNow = QStringLiteral("Host a game, join one or play solo from the File menu.");

class JoinAndLeave : public Netplay
{
protected:
    void TearDown() override
    {
        player.reset();
        Netplay::TearDown();
    }

    static QStringList linesOf(const Tchat &window)
    {
        QStringList lines = window.board().mainchat->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (QString &line : lines)
            line = line.simplified();
        return lines;
    }

    // Types name and address into the Join window and presses Enter.
    void joinFromTheWindow(const QString &name, const QString &address)
    {
        JoinGameDialog &join = openJoin();
        in<QLineEdit>(join, "edit_name")->setText(name);
        join.setAddress(address);
        QTest::keyClick(in<QLineEdit>(join, "edit_name"), Qt::Key_Return);
    }

    // The solo game of startSolo() still runs as it did.
    void expectTheSoloGameGoesOn(const char *row)
    {
        EXPECT_EQ(chat->server()->listeningPort(), soloPort) << row;
        EXPECT_FALSE(refusesConnections(soloPort)) << row << ": the solo host still listens";
        EXPECT_TRUE(chat->session().state().loggedin) << row;
        EXPECT_EQ(chat->session().state().playername, QStringLiteral("You")) << row;
        EXPECT_EQ(chat->board().playerName(1)->text(), QStringLiteral("You")) << row;
        EXPECT_TRUE(chat->menu().startGame()->isEnabled()) << row;
        EXPECT_TRUE(chat->board().button_start->isVisible()) << row;
        EXPECT_TRUE(ClientSettings(settingsPath()).readRecentHosts().isEmpty()) << row << ": nothing remembered";
    }

    std::unique_ptr<Tchat> player;
};

TEST_F(JoinAndLeave, AJoinThatCannotBeMadeIsReportedInTheWindowAndTheGameGoesOn)
{
    startSolo();
    sessions().setOfferWait(400);
    quint16 dead = 0;
    {
        ScriptedHost gone;
        dead = gone.port();
    }
    TServer full; // nine connections held: the tenth hears "CMD_full+" and is closed
    full.setPortName(QStringLiteral("0"));
    full.startListening();
    std::vector<std::unique_ptr<TSock>> seated;
    for (int n = 0; n < 9; ++n) {
        seated.push_back(std::make_unique<TSock>());
        seated.back()->setHostName(QStringLiteral("127.0.0.1"));
        seated.back()->setPortName(QString::number(full.listeningPort()));
        seated.back()->Open();
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return full.state().conncount == 9; }, 3000));
    ScriptedHost stranger; // answers with something that is not a game's message
    ScriptedHost silent;   // accepts and never speaks
    ScriptedHost hangsUp;  // accepts and closes at once
    const auto at = [](quint16 port) { return QStringLiteral("127.0.0.1:%1").arg(port); };

    struct Row
    {
        const char *name;
        QString address;
        std::function<void()> host;
        const char *says;
    };
    const Row rows[] = {
        {"nothing listens", at(dead), [] {}, "Could not connect to"},
        {"the game is full", at(full.listeningPort()), [] {}, "Game is full"},
        {"not a game", at(stranger.port()),
         [&] {
             ASSERT_TRUE(stranger.waitForClient());
             stranger.sendRaw("SSH-2.0-x\r\n\xff");
         },
         "did not answer as a Dorvane game"},
        {"says nothing", at(silent.port()), [&] { ASSERT_TRUE(silent.waitForClient()); }, "did not offer a seat"},
        {"hangs up", at(hangsUp.port()),
         [&] {
             ASSERT_TRUE(hangsUp.waitForClient());
             hangsUp.peer->Close();
         },
         "closed the connection without offering a seat"},
    };
    JoinGameDialog &join = sessions().joinDialog();
    for (const Row &row : rows) {
        joinFromTheWindow(QStringLiteral("Cy"), row.address);
        row.host();
        ASSERT_TRUE(QTest::qWaitFor([&] { return join.problem().contains(QLatin1String(row.says)); }, 5000))
            << row.name << ": " << join.problem().toStdString();
        EXPECT_TRUE(join.isVisible()) << row.name << ": the window stays to try again";
        EXPECT_TRUE(in<QPushButton>(join, "button_confirm")->isEnabled()) << row.name;
        EXPECT_EQ(sessions().pendingJoin(), nullptr) << row.name;
        expectTheSoloGameGoesOn(row.name);
        if (row.name == std::string("not a game"))
            screenshot(join, "join-failed");
    }
    EXPECT_EQ(full.state().conncount, 9) << "the full host's players stay";
    EXPECT_TRUE(boxes.messages.isEmpty()) << boxes.messages.join(" | ").toStdString();
    EXPECT_TRUE(boxes.errors.isEmpty()) << boxes.errors.join(" | ").toStdString();
    screenshot(*chat, "main-after-failed-joins");
}

TEST_F(JoinAndLeave, TheSwitchWaitsForTheNewHostsSeatOfferAndCancellingTheWindowDropsTheJoin)
{
    startSolo();
    ScriptedHost next;
    joinFromTheWindow(QStringLiteral("Cy"), QStringLiteral("127.0.0.1:%1").arg(next.port()));
    ASSERT_TRUE(next.waitForClient());
    QTest::qWait(100);
    expectTheSoloGameGoesOn("connected, no offer yet");
    EXPECT_TRUE(sessions().joinDialog().problem().contains(QLatin1String("Connecting to")));

    next.send("CMD_sendlogininfo+2");
    ASSERT_TRUE(next.waitForRequest("CMD_logininfo+2+1.0.9+Cy")) << "the offer is answered on the new connection";
    EXPECT_TRUE(refusesConnections(soloPort)) << "the solo host stopped once the seat was offered";
    EXPECT_FALSE(sessions().joinDialog().isVisible());
    EXPECT_FALSE(chat->session().state().amhost);
    EXPECT_EQ(chat->session().state().myid, 2);
    EXPECT_FALSE(chat->menu().startGame()->isEnabled());
    next.send("CMD_newplayerinfo+2+Cy");
    EXPECT_TRUE(QTest::qWaitFor([&] { return chat->board().playerName(2)->text() == QLatin1String("Cy"); }, 3000));
    EXPECT_EQ(ClientSettings(settingsPath()).readRecentHosts(),
              QStringList{QStringLiteral("127.0.0.1:%1").arg(next.port())})
        << "an address that offered a seat is remembered";

    // A join given up in its window: the running game stays, the other host sees the peer go.
    ScriptedHost other;
    joinFromTheWindow(QStringLiteral("Cy"), QStringLiteral("127.0.0.1:%1").arg(other.port()));
    ASSERT_TRUE(other.waitForClient());
    QTest::keyClick(&sessions().joinDialog(), Qt::Key_Escape);
    EXPECT_EQ(sessions().pendingJoin(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !other.peer->Connected(); }, 3000));
    EXPECT_TRUE(chat->session().connection().send("CMD_chat+2+still here|clBlack"));
    EXPECT_TRUE(next.waitForRequest("CMD_chat+2+still here|clBlack")) << "the joined game goes on";

    // Another game chosen while a join connects: the join is given up with its window.
    ScriptedHost third;
    joinFromTheWindow(QStringLiteral("Cy"), QStringLiteral("127.0.0.1:%1").arg(third.port()));
    ASSERT_TRUE(third.waitForClient());
    menuItem("SoloGame1")->trigger();
    EXPECT_EQ(sessions().pendingJoin(), nullptr);
    EXPECT_FALSE(sessions().joinDialog().isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !third.peer->Connected(); }, 3000));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return chat->session().state().amhost && chat->session().state().loggedin; }, 5000))
        << "the solo game runs";
}

TEST_F(JoinAndLeave, TheAddressFieldNeverCompletesWhatIsTyped)
{
    {
        ClientSettings settings(settingsPath());
        settings.addRecentHost(QStringLiteral("127.0.0.1:7773"));
        settings.addRecentHost(QStringLiteral("gamebox.lan"));
    }
    startSolo();
    JoinGameDialog &join = openJoin();
    QComboBox *combo = in<QComboBox>(join, "combo_address");
    EXPECT_EQ(combo->count(), 2) << "the recent addresses are in the drop-down";
    QApplication::setActiveWindow(&join); // the player has the window in front
    combo->setFocus();
    ASSERT_TRUE(combo->hasFocus());
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(join.address(), QStringLiteral("127.0.0.1"));
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo, QStringLiteral("game"));
    EXPECT_EQ(join.address(), QStringLiteral("game"));
}

TEST_F(JoinAndLeave, AJoinedPlayerKeepsTheWindowWhenTheHostLeavesRemovesThemOrHostsAnew)
{
    startSolo();
    sessions().switchTo({QStringLiteral("Hal"), QStringLiteral("127.0.0.1"), SwitchRequest::Mode::Host});
    ASSERT_TRUE(QTest::qWaitFor([&] { return chat->server()->state().seats[1].name == "Hal"; }, 5000));

    struct Row
    {
        const char *name;
        std::function<void()> end;
    };
    const Row rows[] = {
        {"the host removes the player", [&] { chat->server()->disconnectsock(2); }},
        {"the host hosts anew",
         [&] {
             sessions().switchTo({QStringLiteral("Hal"), QStringLiteral("127.0.0.1"), SwitchRequest::Mode::Host});
         }},
        {"the host leaves", [&] { chat.reset(); }},
    };
    player = makeWindow(QStringLiteral("player"));
    player->show();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return linesOf(*player).contains(QStringLiteral("You are Connected.")); }, 5000));
    for (const Row &row : rows) {
        ASSERT_TRUE(chat);
        const quint16 port = chat->server()->listeningPort();
        player->sessions().switchTo(
            {QStringLiteral("Pia"), QStringLiteral("127.0.0.1:%1").arg(port), SwitchRequest::Mode::Join});
        // Logged in to this host, and both names on the new board.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return player->session().state().loggedin
                       && player->board().playerName(1)->text() == QLatin1String("Hal")
                       && player->board().playerName(2)->text() == QLatin1String("Pia");
            },
            5000))
            << row.name;
        QSignalSpy closed(player.get(), &Tchat::closed);
        const qsizetype endedBefore = linesOf(*player).count(Ended);
        row.end();
        ASSERT_TRUE(QTest::qWaitFor([&] { return linesOf(*player).count(Ended) > endedBefore; }, 5000))
            << row.name;
        QTest::qWait(600);
        EXPECT_TRUE(player->isVisible()) << row.name;
        EXPECT_EQ(closed.count(), 0) << row.name;
        EXPECT_EQ(linesOf(*player).count(Ended), endedBefore + 1) << row.name;
        EXPECT_EQ(linesOf(*player).last(), WhatNow) << row.name << ": said once, last";
        EXPECT_EQ(player->board().playerName(1)->text(), QStringLiteral("Hal")) << row.name << ": the board stays";
        EXPECT_EQ(player->board().playerName(2)->text(), QStringLiteral("Pia")) << row.name;
        EXPECT_FALSE(player->session().state().loggedin) << row.name;
        if (row.name == std::string("the host leaves"))
            screenshot(*player, "main-after-the-host-left");
    }

    // File > Solo Game starts a solo game in the same window.
    QAction *solo = player->findChild<QAction *>(QStringLiteral("SoloGame1"));
    ASSERT_NE(solo, nullptr);
    const int connectedBefore = int(linesOf(*player).count(QStringLiteral("You are Connected.")));
    solo->trigger();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return linesOf(*player).count(QStringLiteral("You are Connected.")) > connectedBefore; }, 5000));
    EXPECT_TRUE(player->session().state().amhost);
    EXPECT_EQ(player->start().mode, SwitchRequest::Mode::Solo);
    EXPECT_EQ(player->board().playerName(1)->text(), QStringLiteral("You"));
    EXPECT_EQ(player->board().playerName(2)->text(), QStringLiteral("<Waiting>"));
    EXPECT_TRUE(player->menu().startGame()->isEnabled());
    EXPECT_TRUE(player->isVisible());
}

TEST_F(JoinAndLeave, TheHostWindowAsksAboutTheRouterPortAndRemembersTheAnswer)
{
    ClientSettings(settingsPath()).writeOpenPort(false);
    startSolo();
    EXPECT_FALSE(menuItem("OpenPortOnRouter1")->isChecked());
    menuItem("HostGame1")->trigger();
    HostGameDialog &host = sessions().hostDialog();
    QCheckBox *box = in<QCheckBox>(host, "check_openport");
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isChecked()) << "the remembered choice";
    screenshot(host, "host-router-choice");
    in<QLineEdit>(host, "edit_name")->setText(QStringLiteral("Bea"));
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    EXPECT_TRUE(box->isChecked());
    QTest::keyClick(in<QLineEdit>(host, "edit_name"), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !gateway.mappings().isEmpty(); }, 10000)) << "the router is asked";
    EXPECT_TRUE(menuItem("OpenPortOnRouter1")->isChecked());
    EXPECT_TRUE(ClientSettings(settingsPath()).readOpenPort());

    menuItem("HostGame1")->trigger();
    EXPECT_TRUE(box->isChecked());
    box->setChecked(false);
    QTest::keyClick(in<QLineEdit>(host, "edit_name"), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return chat->server()->state().seats[1].name == "Bea"; }, 5000));
    QTest::qWait(200);
    EXPECT_EQ(gateway.callsOf(QStringLiteral("AddPortMapping")).size(), 1) << "unticked: not asked again";
    EXPECT_FALSE(menuItem("OpenPortOnRouter1")->isChecked());
    EXPECT_FALSE(ClientSettings(settingsPath()).readOpenPort());
}

} // namespace
