// Games at tables on a table server: the command-line forms, the host and join windows'
// table fields, and the client's first messages against a scripted server over loopback.
#include "announcements.h"
#include "netplayfixture.h"
#include "requests.h"
#include "scriptedhost.h"
#include "switchrequest.h"
#include "tablepreamble.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

namespace {

SwitchRequest fromCommandLine(const char *where, const char *hosts)
{
    return SwitchRequest::fromCommandLine(
        {QStringLiteral("Ann"), QString::fromLatin1(where), QString::fromLatin1(hosts)});
}

TEST(TableCommandLine, AtServerOpensATableAndCodeAtServerJoinsOne)
{
    const SwitchRequest open = fromCommandLine("@tables.example.org", "true");
    EXPECT_EQ(open.mode, SwitchRequest::Mode::Host);
    EXPECT_TRUE(open.onTableServer);
    EXPECT_EQ(open.address, QStringLiteral("tables.example.org"));
    EXPECT_TRUE(open.table.isEmpty());
    EXPECT_EQ(open.name, QStringLiteral("Ann"));

    EXPECT_EQ(fromCommandLine("@10.0.0.5:7000", "true").address, QStringLiteral("10.0.0.5:7000"));

    const SwitchRequest join = fromCommandLine("K7Q2M9XA@tables.example.org", "false");
    EXPECT_EQ(join.mode, SwitchRequest::Mode::Join);
    EXPECT_TRUE(join.onTableServer);
    EXPECT_EQ(join.table, QStringLiteral("K7Q2M9XA"));
    EXPECT_EQ(join.address, QStringLiteral("tables.example.org"));

    // Case and the dash do not matter; the server part is kept as written for the connection.
    const SwitchRequest v6 = fromCommandLine("k7q2-m9xa@[::1]:7000", "false");
    EXPECT_EQ(v6.table, QStringLiteral("K7Q2M9XA"));
    EXPECT_EQ(v6.address, QStringLiteral("[::1]:7000"));
    EXPECT_TRUE(v6.problem.isEmpty());

    // Without "@" it is a host's address, even one that looks like a code.
    const SwitchRequest plain = fromCommandLine("K7Q2M9XA", "false");
    EXPECT_FALSE(plain.onTableServer);
    EXPECT_TRUE(plain.table.isEmpty());
    EXPECT_EQ(plain.address, QStringLiteral("K7Q2M9XA"));
}

TEST(TableCommandLine, FormsThatCannotBeStartedSayWhyAndStartNothing)
{
    const struct
    {
        const char *where;
        const char *hosts;
        const char *said;
    } refused[] = {
        {"@", "true", "No table server"},
        {"K7Q2M9XA@", "false", "No table server"},
        {"K7Q2M9XA@tables.example.org", "true", "opens a new table"},
        {"@tables.example.org", "false", "put its code before"},
        {"K7Q2-M9X0@tables.example.org", "false", "not a table code"}, // 0 is not used in codes
        {"K7Q2@tables.example.org", "false", "not a table code"},
    };
    for (const auto &row : refused) {
        const SwitchRequest request = fromCommandLine(row.where, row.hosts);
        EXPECT_EQ(request.mode, SwitchRequest::Mode::Incomplete) << row.where;
        EXPECT_TRUE(request.problem.contains(QLatin1String(row.said)))
            << row.where << ": " << request.problem.toStdString();
    }
}

class TableServer : public Netplay
{
protected:
    static QString addressOf(const ScriptedHost &server)
    {
        return QStringLiteral("127.0.0.1:%1").arg(server.port());
    }
    SwitchRequest openAt(const ScriptedHost &server) const
    {
        return {QStringLiteral("Ann"), addressOf(server), SwitchRequest::Mode::Host, true};
    }
    SwitchRequest joinAt(const ScriptedHost &server, const char *code) const
    {
        return {QStringLiteral("Bo"), addressOf(server), SwitchRequest::Mode::Join, true,
                QString::fromLatin1(code)};
    }
    bool chatSays(const QString &text) const
    {
        const bool said = QTest::qWaitFor([&] { return chatText().contains(text); }, 5000);
        if (!said)
            ADD_FAILURE() << "the chat says: " << chatText().toStdString();
        return said;
    }
};

TEST_F(TableServer, TheCommandLineOpensAndJoinsTablesAndExplainsFormsItCannotStart)
{
    ScriptedHost opener;
    chat = makeWindow(QStringLiteral("opener"));
    chat->setParameters({QStringLiteral("Ann"), QLatin1Char('@') + addressOf(opener), QStringLiteral("true")});
    chat->show();
    ASSERT_TRUE(opener.waitForRequest(protocol::OpenTable{}.build()));
    opener.send(protocol::TableOpened{"ZZ22ZZ22"}.build());
    opener.send(protocol::SendLoginInfo{1}.build());
    ASSERT_FALSE(opener.waitForPrefix(protocol::LoginInfo::Command).isEmpty());
    EXPECT_TRUE(chatSays(QStringLiteral("Its code: ZZ22-ZZ22 ")));
    EXPECT_TRUE(chat->session().state().amhost);
    EXPECT_EQ(chatText().count(QLatin1String("Loading Multi-player Game")), 1) << chatText().toStdString();

    ScriptedHost server;
    chat = makeWindow(QStringLiteral("joiner"));
    chat->setParameters(
        {QStringLiteral("Bo"), QStringLiteral("zz22-zz22@") + addressOf(server), QStringLiteral("false")});
    chat->show();
    ASSERT_TRUE(server.waitForRequest(protocol::JoinTable{"ZZ22ZZ22"}.build()));

    chat = makeWindow(QStringLiteral("refused"));
    chat->setParameters({QStringLiteral("Cy"), QStringLiteral("@") + addressOf(server), QStringLiteral("false")});
    chat->show();
    EXPECT_TRUE(chatSays(QStringLiteral("To join a table, put its code before")));
    QTest::qWait(50);
    EXPECT_EQ(server.accepted, 1) << "nothing connects";
}

TEST_F(TableServer, OpeningATableShowsItsCodeThenLogsInAsItsFirstEntry)
{
    ScriptedHost server;
    startSolo();
    sessions().switchTo(openAt(server));
    ASSERT_TRUE(server.waitForClient());
    ASSERT_TRUE(server.waitForRequest(protocol::OpenTable{}.build())) << "the first message asks for a table";
    EXPECT_EQ(server.received.size(), 1);
    EXPECT_FALSE(refusesConnections(soloPort)) << "the solo game goes on until the seat is offered";

    server.send(protocol::TableOpened{"K7Q2M9XA"}.build());
    server.send(protocol::SendLoginInfo{1}.build());
    const QByteArray login = server.waitForPrefix(protocol::LoginInfo::Command);
    ASSERT_FALSE(login.isEmpty());
    EXPECT_TRUE(login.contains("Ann"));
    ASSERT_TRUE(chatSays(QStringLiteral("Its code: K7Q2-M9XA (on the table server %1)").arg(addressOf(server))));
    EXPECT_TRUE(chatSays(QStringLiteral("\"Join a Game...\": address %1 and table code K7Q2-M9XA, or by starting "
                                        "Dorvane as dorvane NAME K7Q2-M9XA@%1 false")
                             .arg(addressOf(server))));

    const ClientState &state = chat->session().state();
    EXPECT_EQ(state.myid, 1);
    EXPECT_TRUE(state.amhost) << "the table's first entry starts the game";
    EXPECT_TRUE(menuItem("StartGame1")->isEnabled());
    EXPECT_TRUE(refusesConnections(soloPort)) << "the solo host stopped";
    EXPECT_FALSE(chat->server()->state().seats[1].connected) << "no game runs on this computer";
    QTest::qWait(100);
    EXPECT_TRUE(gateway.calls().isEmpty()) << "the router is not asked";

    ClientSettings settings(settingsPath());
    EXPECT_EQ(settings.readTableServer(), addressOf(server));
    EXPECT_EQ(settings.readPlayerName(), QStringLiteral("Ann"));
    EXPECT_FALSE(settings.readRecentHosts().contains(addressOf(server)));

    // The server goes away mid-game: the player is told as when a host goes, settings stay.
    server.peer->Close();
    ASSERT_TRUE(chatSays(QStringLiteral("The connection to the host has ended")));
    EXPECT_FALSE(chat->session().state().amhost);
    EXPECT_EQ(ClientSettings(settingsPath()).readTableServer(), addressOf(server));
}

TEST_F(TableServer, JoiningSendsTheCodeAndTakesTheOfferedSeat)
{
    ScriptedHost server;
    startSolo();
    sessions().switchTo(joinAt(server, "K7Q2M9XA"));
    ASSERT_TRUE(server.waitForRequest(protocol::JoinTable{"K7Q2M9XA"}.build()));
    server.send(protocol::SendLoginInfo{3}.build());
    ASSERT_FALSE(server.waitForPrefix(protocol::LoginInfo::Command).isEmpty());
    EXPECT_EQ(chat->session().state().myid, 3);
    EXPECT_FALSE(chat->session().state().amhost);
    EXPECT_FALSE(menuItem("StartGame1")->isEnabled());
    EXPECT_EQ(ClientSettings(settingsPath()).readTableServer(), addressOf(server));
}

TEST_F(TableServer, UnknownCodesFullTablesAndUnreachableServersAreExplainedAndChangeNothing)
{
    startSolo();
    {
        ScriptedHost server;
        sessions().switchTo(joinAt(server, "K7Q2M9XA"));
        ASSERT_TRUE(server.waitForRequest(protocol::JoinTable{"K7Q2M9XA"}.build()));
        server.send(protocol::NoTable{"K7Q2M9XA"}.build());
        EXPECT_TRUE(chatSays(QStringLiteral("No table with code K7Q2-M9XA is open on 127.0.0.1")));
    }
    {
        ScriptedHost server;
        sessions().switchTo(joinAt(server, "K7Q2M9XA"));
        ASSERT_TRUE(server.waitForRequest(protocol::JoinTable{"K7Q2M9XA"}.build()));
        server.send(protocol::Full{}.build());
        EXPECT_TRUE(chatSays(QStringLiteral("Game is full. The table K7Q2-M9XA on 127.0.0.1")));
        EXPECT_TRUE(chatSays(QStringLiteral("%1 has no free place.").arg(server.port())));
    }
    {
        ScriptedHost server;
        sessions().switchTo(openAt(server));
        ASSERT_TRUE(server.waitForRequest(protocol::OpenTable{}.build()));
        server.send(protocol::TableOpened{"IIII0000"}.build()); // not a code
        EXPECT_TRUE(chatSays(QStringLiteral("did not answer as a Dorvane table server")));
    }
    {
        // A hosting copy offers its seat at once: it opens no table.
        ScriptedHost player;
        player.listener.OnAccept = [&player](TSock *s) {
            TSock *client = nullptr;
            if (s->Accept(client)) {
                player.peer = client;
                client->Send(protocol::frame(protocol::SendLoginInfo{2}.build()));
            }
        };
        sessions().switchTo(openAt(player));
        EXPECT_TRUE(chatSays(QStringLiteral("is a game hosted by a player, not a table server")));
    }
    ScriptedHost gone;
    const SwitchRequest unreachable = openAt(gone);
    const quint16 gonePort = gone.port();
    gone.listener.Close();
    sessions().switchTo(unreachable);
    EXPECT_TRUE(chatSays(QStringLiteral("Could not connect to the table server at 127.0.0.1")));
    EXPECT_TRUE(chatSays(QStringLiteral("%1 (nothing answers on that port)").arg(gonePort)));

    EXPECT_EQ(chat->session().state().playername, QStringLiteral("You")) << "the solo game goes on";
    EXPECT_FALSE(refusesConnections(soloPort));
    EXPECT_TRUE(ClientSettings(settingsPath()).readTableServer().isEmpty()) << "only a table that seated counts";
}

TEST_F(TableServer, AJoinSentOnToAnotherServerIsFollowedOnce)
{
    ScriptedHost first;
    ScriptedHost second;
    ScriptedHost third;
    startSolo();
    sessions().switchTo(joinAt(first, "K7Q2M9XA"));
    ASSERT_TRUE(first.waitForRequest(protocol::JoinTable{"K7Q2M9XA"}.build()));
    first.send(protocol::TableAt{addressOf(second).toLatin1()}.build());
    ASSERT_TRUE(second.waitForRequest(protocol::JoinTable{"K7Q2M9XA"}.build())) << "the same join, there";
    second.send(protocol::TableAt{addressOf(third).toLatin1()}.build());
    EXPECT_TRUE(chatSays(QStringLiteral("could not be followed")));
    QTest::qWait(50);
    EXPECT_EQ(third.accepted, 0) << "a second redirection is not followed";

    // Followed once, the other server's seat is taken.
    sessions().switchTo(joinAt(first, "K7Q2M9XA"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.requestsStartingWith("CMD_jointable").size() == 2; }, 3000));
    first.send(protocol::TableAt{addressOf(third).toLatin1()}.build());
    ASSERT_TRUE(third.waitForRequest(protocol::JoinTable{"K7Q2M9XA"}.build()));
    third.send(protocol::SendLoginInfo{2}.build());
    ASSERT_FALSE(third.waitForPrefix(protocol::LoginInfo::Command).isEmpty());
    EXPECT_EQ(chat->session().state().myid, 2);
}

TEST_F(TableServer, TheHostWindowOpensATableAndShowsWhyOneCouldNotBeOpened)
{
    startSolo();
    menuItem("HostGame1")->trigger();
    HostGameDialog &host = sessions().hostDialog();
    ASSERT_TRUE(host.isVisible());
    EXPECT_FALSE(host.onTableServer()) << "this computer unless chosen";
    EXPECT_TRUE(
        in<QLabel>(host, "label_tableservernote")->text().contains(QLatin1String("Running a table server")))
        << "no table server known yet";
    in<QLineEdit>(host, "edit_name")->setText(QStringLiteral("Ann"));
    screenshot(host, "host-here");
    in<QRadioButton>(host, "radio_tableserver")->click();
    EXPECT_FALSE(in<QCheckBox>(host, "check_openport")->isEnabled());
    EXPECT_EQ(in<QPushButton>(host, "button_confirm")->text(), QStringLiteral("Open Table"));
    screenshot(host, "host-tableserver");
    in<QPushButton>(host, "button_confirm")->click();
    EXPECT_TRUE(host.problem().contains(QLatin1String("table server's address"))) << host.problem().toStdString();

    ScriptedHost gone;
    const QString unreachable = addressOf(gone);
    gone.listener.Close();
    QTest::keyClicks(in<QLineEdit>(host, "edit_tableserver"), unreachable);
    in<QPushButton>(host, "button_confirm")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.problem().contains(QLatin1String("Could not connect")); }, 5000))
        << host.problem().toStdString();
    EXPECT_TRUE(host.isVisible()) << "the reason is shown in the window";
    EXPECT_TRUE(host.problem().contains(unreachable));
    screenshot(host, "host-tableserver-failed");

    ScriptedHost server;
    in<QLineEdit>(host, "edit_tableserver")->setText(addressOf(server));
    in<QPushButton>(host, "button_confirm")->click();
    ASSERT_TRUE(server.waitForRequest(protocol::OpenTable{}.build()));
    EXPECT_TRUE(host.isVisible()) << "open until the table is there";
    server.send(protocol::TableOpened{"ABCD2345"}.build());
    server.send(protocol::SendLoginInfo{1}.build());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !host.isVisible(); }, 5000));
    EXPECT_TRUE(chatSays(QStringLiteral("Its code: ABCD-2345 ")));

    // Next time the server is offered, and the window no longer explains what one is.
    sessions().showHostDialog();
    EXPECT_EQ(in<QLineEdit>(host, "edit_tableserver")->text(), addressOf(server));
    EXPECT_FALSE(in<QLabel>(host, "label_tableservernote")->text().contains(QLatin1String("README")));
    host.reject();
}

TEST(TableJoinWindow, TheCodeComesFromItsOwnFieldOnly)
{
    QApplication::setQuitOnLastWindowClosed(false);
    JoinGameDialog join;
    join.setResolver([](const QString &, QObject *, std::function<void(QString)> done) { done(QString()); });
    QSignalSpy hosts(&join, &JoinGameDialog::joinRequested);
    QSignalSpy tables(&join, &JoinGameDialog::tableJoinRequested);
    join.setPlayerName(QStringLiteral("Bo"));
    join.showOver(QRect());
    auto *note = join.findChild<QLabel *>(QStringLiteral("label_tablecodenote"));
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->text().contains(QLatin1String("Running a table server"))) << "no table server known yet";
    auto *confirm = join.findChild<QPushButton *>(QStringLiteral("button_confirm"));
    auto *code = join.findChild<QLineEdit *>(QStringLiteral("edit_tablecode"));
    ASSERT_TRUE(confirm && code);

    // What looks like a code in the address field is an address.
    join.setAddress(QStringLiteral("K7Q2M9XA"));
    confirm->click();
    ASSERT_EQ(hosts.size(), 1);
    EXPECT_EQ(hosts.at(0).at(1).toString(), QStringLiteral("K7Q2M9XA"));
    EXPECT_EQ(tables.size(), 0);
    join.joinFailed(QStringLiteral("no such host"));

    // A code brings the last table server in place of a recent host's address.
    join.setRecentAddresses({QStringLiteral("friend.example")});
    EXPECT_EQ(join.address(), QStringLiteral("friend.example"));
    join.setTableServer(QStringLiteral("tables.example.org:7000"));
    EXPECT_FALSE(note->text().contains(QLatin1String("README")));
    QTest::keyClicks(code, QStringLiteral("k7q2-m9x0"));
    EXPECT_EQ(join.address(), QStringLiteral("tables.example.org:7000"));
    confirm->click();
    EXPECT_TRUE(join.problem().contains(QLatin1String("not a table code"))) << join.problem().toStdString();
    EXPECT_EQ(tables.size(), 0);

    join.setTableCode(QStringLiteral(" k7q2-m9xa "));
    confirm->click();
    ASSERT_EQ(tables.size(), 1);
    EXPECT_EQ(tables.at(0).at(1).toString(), QStringLiteral("tables.example.org:7000"));
    EXPECT_EQ(tables.at(0).at(2).toString(), QStringLiteral("K7Q2M9XA"));
    EXPECT_EQ(hosts.size(), 1);
    join.joinFailed(QStringLiteral("no table"));

    // An address the player typed stays when a code is typed after it.
    join.setTableCode(QString());
    QLineEdit *address = join.findChild<QComboBox *>(QStringLiteral("combo_address"))->lineEdit();
    address->clear();
    QTest::keyClicks(address, QStringLiteral("mine.example"));
    join.setTableCode(QStringLiteral("K7Q2M9XA"));
    EXPECT_EQ(join.address(), QStringLiteral("mine.example"));
    join.reject();
}

TEST_F(TableServer, AJoinWindowsTableThatIsNotThereIsExplainedInTheWindow)
{
    ScriptedHost server;
    startSolo();
    JoinGameDialog &join = openJoin();
    in<QLineEdit>(join, "edit_name")->setText(QStringLiteral("Bo"));
    join.setAddress(addressOf(server));
    join.setTableCode(QStringLiteral("K7Q2-M9XA"));
    screenshot(join, "join-tablecode");
    in<QPushButton>(join, "button_confirm")->click();
    ASSERT_TRUE(server.waitForRequest(protocol::JoinTable{"K7Q2M9XA"}.build()));
    server.send(protocol::NoTable{"K7Q2M9XA"}.build());
    ASSERT_TRUE(QTest::qWaitFor([&] { return join.problem().contains(QLatin1String("No table")); }, 5000));
    EXPECT_TRUE(join.isVisible()) << "the reason is shown in the window";
    EXPECT_FALSE(join.connecting());
    screenshot(join, "join-tablecode-failed");
    join.reject();
}

} // namespace
