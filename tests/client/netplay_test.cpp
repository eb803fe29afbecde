// Hosting and joining from the game itself: the two windows' checks, and the switch from a
// solo game to hosting and to joining against real in-process hosts over loopback.
#include "netplayfixture.h"
#include "inifile.h"
#include "langame.h"

#include "windowstyle.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpSocket>

namespace {

TEST_F(Netplay, TheFileMenuOffersHostingAndJoiningAboveStartGame)
{
    startSolo();
    QAction *host = menuItem("HostGame1");
    QAction *join = menuItem("JoinGame1");
    ASSERT_TRUE(host && join);
    EXPECT_EQ(host->text(), QStringLiteral("Host a Game..."));
    EXPECT_EQ(join->text(), QStringLiteral("Join a Game..."));
    EXPECT_EQ(host->shortcut(), QKeySequence(QStringLiteral("Ctrl+H")));
    EXPECT_EQ(join->shortcut(), QKeySequence(QStringLiteral("Ctrl+J")));
    const QList<QAction *> file =
        menuItem("StartGame1")->associatedObjects().isEmpty()
            ? QList<QAction *>{}
            : qobject_cast<QWidget *>(menuItem("StartGame1")->associatedObjects().first())->actions();
    ASSERT_GE(file.size(), 4);
    EXPECT_EQ(file.indexOf(host), 0);
    EXPECT_EQ(file.indexOf(join), 1);
    QAction *solo = menuItem("SoloGame1");
    ASSERT_NE(solo, nullptr);
    EXPECT_EQ(solo->text(), QStringLiteral("Solo Game"));
    EXPECT_EQ(file.indexOf(solo), 2);
    EXPECT_EQ(file.indexOf(menuItem("StartGame1")), 3);
    QAction *router = menuItem("OpenPortOnRouter1");
    ASSERT_NE(router, nullptr);
    EXPECT_EQ(router->text(), QStringLiteral("Open Port on Router"));
    EXPECT_TRUE(router->isChecked()) << "on by default";
}

TEST_F(Netplay, TheWindowsStartInTheNameFieldAndEscapeChangesNothing)
{
    startSolo();
    QTest::keyClick(chat.get(), Qt::Key_J, Qt::ControlModifier);
    JoinGameDialog &join = sessions().joinDialog();
    ASSERT_TRUE(QTest::qWaitFor([&] { return join.isVisible(); }, 2000)) << "Ctrl+J opens it";
    EXPECT_EQ(join.windowTitle(), QStringLiteral("Dorvane - Join a Game"));
    EXPECT_EQ(join.focusWidget(), in<QLineEdit>(join, "edit_name"));
    QTest::keyClicks(join.focusWidget(), QStringLiteral("Zed"));
    QTest::keyClick(&join, Qt::Key_Escape);
    EXPECT_FALSE(join.isVisible());

    menuItem("HostGame1")->trigger();
    HostGameDialog &host = sessions().hostDialog();
    EXPECT_EQ(host.windowTitle(), QStringLiteral("Dorvane - Host a Game"));
    EXPECT_EQ(host.focusWidget(), in<QLineEdit>(host, "edit_name"));
    QTest::keyClick(&host, Qt::Key_Escape);
    EXPECT_FALSE(host.isVisible());

    EXPECT_EQ(chat->session().state().playername, QStringLiteral("You"));
    EXPECT_EQ(chat->server()->listeningPort(), soloPort) << "the solo game goes on";
    EXPECT_TRUE(ClientSettings(settingsPath()).readPlayerName().isEmpty()) << "nothing stored on cancel";
}

struct Refusal
{
    const char *name;
    QString player;
    QString address;
    const char *problemContains;
};

TEST_F(Netplay, RefusedEntriesSayWhyAndChangeNothing)
{
    startSolo();
    const Refusal rows[] = {
        {"empty name", QStringLiteral("   "), QStringLiteral("127.0.0.1"), "type the name"},
        {"name over 64 bytes", QString(33, QChar(0xe9)), QStringLiteral("127.0.0.1"), "too long"},
        {"name with a tab", QStringLiteral("a\tb"), QStringLiteral("127.0.0.1"), "control characters"},
        {"no address", QStringLiteral("Ann"), QString(), "address of the computer"},
        {"port zero", QStringLiteral("Ann"), QStringLiteral("127.0.0.1:0"), "1 to 65535"},
        {"port too high", QStringLiteral("Ann"), QStringLiteral("127.0.0.1:70000"), "1 to 65535"},
        {"port not a number", QStringLiteral("Ann"), QStringLiteral("127.0.0.1:x"), "1 to 65535"},
        {"a web address", QStringLiteral("Ann"), QStringLiteral("http://127.0.0.1"), "without \"http://\""},
        {"not an IPv6 address", QStringLiteral("Ann"), QStringLiteral("2001:db8::zz"), "not an IPv6 address"},
        {"a space inside", QStringLiteral("Ann"), QStringLiteral("my host"), "is not an address"},
        {"does not resolve", QStringLiteral("Ann"), QStringLiteral("nowhere.invalid"), "could not be found"},
    };
    JoinGameDialog &join = openJoin();
    // Name look-ups stay on this machine: the one name here is answered as unknown.
    join.setResolver([](const QString &host, QObject *, std::function<void(QString)> done) {
        done(QStringLiteral("The address \"%1\" could not be found: Host not found").arg(host));
    });
    for (const Refusal &row : rows) {
        if (!join.isVisible())
            openJoin();
        in<QLineEdit>(join, "edit_name")->setText(row.player);
        join.setAddress(row.address);
        QTest::keyClick(in<QLineEdit>(join, "edit_name"), Qt::Key_Return);
        EXPECT_TRUE(join.isVisible()) << row.name;
        EXPECT_TRUE(join.problem().contains(QLatin1String(row.problemContains)))
            << row.name << ": " << join.problem().toStdString();
    }
    screenshot(join, "join-refused");
    HostGameDialog &host = sessions().hostDialog();
    menuItem("HostGame1")->trigger();
    in<QLineEdit>(host, "edit_name")->setText(QString(65, QLatin1Char('n')));
    QTest::keyClick(in<QLineEdit>(host, "edit_name"), Qt::Key_Return);
    EXPECT_TRUE(host.isVisible());
    EXPECT_TRUE(host.problem().contains(QLatin1String("at most 64 bytes"))) << host.problem().toStdString();
    screenshot(host, "host-refused");

    EXPECT_EQ(chat->session().state().playername, QStringLiteral("You"));
    EXPECT_EQ(chat->server()->listeningPort(), soloPort);
    EXPECT_FALSE(refusesConnections(soloPort)) << "the solo host still runs";
    EXPECT_TRUE(gateway.calls().isEmpty()) << "nobody asked the router";
    EXPECT_TRUE(boxes.messages.isEmpty());
}

TEST_F(Netplay, HostingFromASoloGameReplacesItsHostOpensTheRouterPortAndClosesItOnExit)
{
    startSolo();
    QTcpSocket spectator; // a client of the solo host, who must see it leave
    spectator.connectToHost(QHostAddress::LocalHost, soloPort);
    ASSERT_TRUE(spectator.waitForConnected(2000));
    TServer *soloHost = chat->server();

    QTest::keyClick(chat.get(), Qt::Key_H, Qt::ControlModifier);
    HostGameDialog &dialog = sessions().hostDialog();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isVisible(); }, 2000)) << "Ctrl+H opens it";
    screenshot(dialog, "host");
    QTest::keyClicks(in<QLineEdit>(dialog, "edit_name"), QStringLiteral("Bea"));
    QTest::keyClick(in<QLineEdit>(dialog, "edit_name"), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());

    EXPECT_NE(chat->server(), soloHost) << "a new host";
    EXPECT_TRUE(spectator.state() == QAbstractSocket::UnconnectedState || spectator.waitForDisconnected(3000))
        << "the old host's clients see it leave";
    EXPECT_TRUE(refusesConnections(soloPort)) << "the solo host stopped listening";
    const quint16 port = chat->server()->listeningPort();
    ASSERT_NE(port, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return chat->server()->state().seats[1].name == "Bea"; }, 5000))
        << "the new connection logs in with the typed name";
    EXPECT_TRUE(chat->session().state().amhost);
    EXPECT_EQ(chat->start().mode, SwitchRequest::Mode::Host);
    EXPECT_EQ(chat->start().name, QStringLiteral("Bea"));
    EXPECT_EQ(chat->start().address, QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(chat->isVisible()) << "the same window";
    EXPECT_TRUE(chatText().contains(QLatin1String("Loading Multi-player Game.. Please Wait.")));
    EXPECT_EQ(ClientSettings(settingsPath()).readPlayerName(), QStringLiteral("Bea"));

    ASSERT_TRUE(QTest::qWaitFor([&] { return !gateway.mappings().isEmpty(); }, 10000));
    const auto adds = gateway.callsOf(QStringLiteral("AddPortMapping"));
    ASSERT_EQ(adds.size(), 1);
    EXPECT_EQ(adds[0].args.value(QStringLiteral("NewInternalPort")), QString::number(port));
    EXPECT_EQ(adds[0].args.value(QStringLiteral("NewInternalClient")), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(adds[0].args.value(QStringLiteral("NewProtocol")), QStringLiteral("TCP"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return chatText().contains(QLatin1String("Others can join you at 203.0.113.7")); }, 5000));
    EXPECT_TRUE(chatText().contains(QLatin1String("not announced on the local network")))
        << "without a daemon the local-network line says so";

    chat->close();
    chat.reset();
    EXPECT_TRUE(gateway.mappings().isEmpty()) << "the mapping ends with the game";
    EXPECT_EQ(gateway.callsOf(QStringLiteral("DeletePortMapping")).size(), 1);
}

// The host tells when its seats change; the announced free seats follow each change.
TEST_F(Netplay, TheAnnouncedFreeSeatsFollowTheHostsSeats)
{
    startSolo();
    QSignalSpy announced(&sessions(), &SessionSwitcher::freeSeatsAnnounced);
    sessions().switchTo({QStringLiteral("Bea"), QStringLiteral("127.0.0.1"), SwitchRequest::Mode::Host});
    const auto lastAnnounced = [&] { return announced.isEmpty() ? -1 : announced.last().at(0).toInt(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return lastAnnounced() == 3; }, 5000)) << "Bea sits at seat 1";
    auto guest = std::make_unique<QTcpSocket>();
    guest->connectToHost(QHostAddress::LocalHost, chat->server()->listeningPort());
    ASSERT_TRUE(guest->waitForConnected(2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return lastAnnounced() == 2; }, 5000)) << "a guest takes seat 2";
    EXPECT_EQ(sessions().freeSeats(), 2);
    guest.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return lastAnnounced() == 3; }, 5000)) << "the guest left";
}

TEST_F(Netplay, SwitchingThePortOptionOffClosesTheRouterPortAndIsRemembered)
{
    startSolo();
    sessions().switchTo({QStringLiteral("Bea"), QStringLiteral("127.0.0.1"), SwitchRequest::Mode::Host});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !gateway.mappings().isEmpty(); }, 10000));
    menuItem("OpenPortOnRouter1")->trigger();
    EXPECT_FALSE(menuItem("OpenPortOnRouter1")->isChecked());
    ASSERT_TRUE(QTest::qWaitFor([&] { return gateway.mappings().isEmpty(); }, 10000));
    EXPECT_FALSE(ClientSettings(settingsPath()).readOpenPort());

    sessions().switchTo({QStringLiteral("Bea"), QStringLiteral("127.0.0.1"), SwitchRequest::Mode::Host});
    QTest::qWait(200);
    EXPECT_EQ(gateway.callsOf(QStringLiteral("AddPortMapping")).size(), 1)
        << "switched off: the router is not asked";
    // The host is still told where others can reach this computer.
    const auto toldAddresses = [&] {
        const QString text = chatText();
        const qsizetype lastHosting = text.lastIndexOf(QLatin1String("Loading Multi-player Game"));
        const QString since = text.mid(lastHosting);
        return since.contains(QLatin1String("Players on this network can join you at"))
               || since.contains(QLatin1String("This computer has no address on a local network now"));
    };
    EXPECT_TRUE(QTest::qWaitFor(toldAddresses, 5000)) << chatText().toStdString();
}

TEST_F(Netplay, JoiningFromASoloGameLogsInToTheOtherHostAndRemembersTheAddress)
{
    TServer remote;
    remote.setPortName(QStringLiteral("0"));
    remote.startListening();
    const QString address = QStringLiteral("127.0.0.1:%1").arg(remote.listeningPort());
    {
        IniFile ini(settingsPath());
        ini.writeString(QStringLiteral("Other Program"), QStringLiteral("Key"), QStringLiteral("kept"));
        ClientSettings settings(settingsPath());
        for (int n = 1; n <= 5; ++n)
            settings.addRecentHost(QStringLiteral("old%1.example").arg(n));
    }
    startSolo();
    JoinGameDialog &join = openJoin();
    QComboBox *combo = in<QComboBox>(join, "combo_address");
    EXPECT_EQ(combo->count(), 5);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("old5.example")) << "the most recent first";
    in<QLineEdit>(join, "edit_name")->setText(QStringLiteral("Cy"));
    join.setAddress(address);
    screenshot(join, "join");
    QTest::keyClick(in<QLineEdit>(join, "edit_name"), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !join.isVisible(); }, 5000)) << "closed once the seat is offered";

    ASSERT_TRUE(QTest::qWaitFor([&] { return remote.state().seats[1].name == "Cy"; }, 5000))
        << "logged in with the typed name";
    EXPECT_TRUE(refusesConnections(soloPort)) << "the solo host stopped";
    EXPECT_FALSE(chat->session().state().amhost);
    EXPECT_FALSE(menuItem("StartGame1")->isEnabled());
    EXPECT_TRUE(gateway.calls().isEmpty()) << "joining asks no router";

    ClientSettings settings(settingsPath());
    const QStringList recent = settings.readRecentHosts();
    ASSERT_EQ(recent.size(), 5);
    EXPECT_EQ(recent.first(), address);
    EXPECT_FALSE(recent.contains(QStringLiteral("old1.example"))) << "five kept";
    EXPECT_EQ(IniFile(settingsPath()).readString(QStringLiteral("Other Program"), QStringLiteral("Key")),
              QStringLiteral("kept"));

    // Back to hosting from a joined game: the joined host sees this player leave.
    sessions().switchTo({QStringLiteral("Cy"), QStringLiteral("127.0.0.1"), SwitchRequest::Mode::Host});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !remote.state().seats[1].connected; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return chat->server()->state().seats[1].name == "Cy"; }, 5000));
}

TEST_F(Netplay, TheBoardIsClearedWhenTheGameIsLeft)
{
    startSolo();
    chat->board().score(1)->setText(QStringLiteral("120"));
    chat->board().playerName(3)->setText(QStringLiteral("Old Friend"));
    chat->board().label_status->setText(QStringLiteral("Old Friend's turn"));
    sessions().switchTo({QStringLiteral("Dee"), QStringLiteral("127.0.0.1"), SwitchRequest::Mode::Host});
    EXPECT_EQ(chat->board().score(1)->text(), QStringLiteral("0"));
    EXPECT_EQ(chat->board().playerName(3)->text(), QStringLiteral("<Waiting>"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return chat->board().playerName(1)->text() == QLatin1String("Dee"); }, 5000));
    EXPECT_FALSE(chat->isHidden());
}

TEST_F(Netplay, TheJoinWindowListsLocalGamesAndChoosingOneFillsTheAddress)
{
    startSolo();
    JoinGameDialog &join = openJoin();
    EXPECT_TRUE(join.listedGames().isEmpty());
    EXPECT_TRUE(join.lanNote().contains(QLatin1String("cannot be listed"))) << "no daemon: one note";
    LanGame game;
    game.key = QStringLiteral("k1");
    game.player = QStringLiteral("<b>Eve</b>");
    game.freeSeats = 2;
    game.address = QStringLiteral("192.168.1.20");
    game.port = 7772;
    join.showGame(game);
    game.freeSeats = 1;
    join.showGame(game); // the same game, a seat taken
    ASSERT_EQ(join.listedGames(), QStringList{QStringLiteral("<b>Eve</b> - 1 free seat - 192.168.1.20")});
    QListWidget *list = in<QListWidget>(join, "list_games");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(join.address(), QStringLiteral("192.168.1.20"));
    screenshot(join, "join-listed");
    join.dropGame(QStringLiteral("k1"));
    EXPECT_TRUE(join.listedGames().isEmpty());
}

// The application font for one test: the game's Arial at a size in pixels.
class ApplicationFont
{
public:
    explicit ApplicationFont(int pixels)
        : m_saved(QApplication::font())
    {
        QFont font = windowstyle::arial();
        font.setPixelSize(pixels);
        QApplication::setFont(font);
    }
    ~ApplicationFont() { QApplication::setFont(m_saved); }

private:
    QFont m_saved;
};

// The host window asked to host without a name, and the join window with its local-network
// note: every text of the two windows is showing.
void showWithTheirTexts(HostGameDialog &host, JoinGameDialog &join)
{
    host.setPlayerName(QString());
    host.showOver(QRect());
    QTest::keyClick(&host, Qt::Key_Return);
    join.setPlayerName(QStringLiteral("Bea"));
    join.showOver(QRect());
    QCoreApplication::processEvents(); // the layouts follow the texts
}

TEST(NetplayWindows, AtTheDefaultFontTheWindowsKeepTheirDesignedPlaces)
{
    const ApplicationFont font(NetplayDialog::DesignedFontPixels);
    HostGameDialog host;
    JoinGameDialog join;
    showWithTheirTexts(host, join);
    ASSERT_FALSE(host.problem().isEmpty());
    ASSERT_FALSE(join.lanNote().isEmpty());
    EXPECT_EQ(host.size(), QSize(380, 446));
    EXPECT_EQ(join.size(), QSize(440, 466));
    const struct
    {
        QWidget *window;
        const char *name;
        QRect place;
    } places[] = {
        {&host, "edit_name", {112, 94, 256, 21}},         {&host, "radio_here", {12, 126, 356, 22}},
        {&host, "check_openport", {12, 148, 356, 22}},    {&host, "radio_tableserver", {12, 238, 356, 22}},
        {&host, "edit_tableserver", {112, 262, 256, 21}}, {&host, "label_problem", {12, 355, 356, 48}},
        {&host, "button_confirm", {90, 409, 96, 25}},     {&host, "button_cancel", {194, 409, 96, 25}},
        {&join, "edit_name", {112, 42, 316, 21}},         {&join, "combo_address", {112, 70, 316, 22}},
        {&join, "edit_tablecode", {112, 124, 316, 21}},   {&join, "list_games", {12, 225, 416, 112}},
        {&join, "label_lannote", {12, 339, 416, 30}},     {&join, "label_problem", {12, 375, 416, 48}},
        {&join, "button_confirm", {120, 429, 96, 25}},
    };
    for (const auto &row : places) {
        auto *control = row.window->findChild<QWidget *>(QString::fromLatin1(row.name));
        ASSERT_NE(control, nullptr) << row.name;
        EXPECT_EQ(control->geometry(), row.place) << row.window->objectName().toStdString() << " " << row.name;
    }
}

// What a control needs to show its text whole at its width.
QSize needed(const QWidget &control)
{
    if (control.hasHeightForWidth())
        return QSize(0, control.heightForWidth(control.width()));
    if (qobject_cast<const QListWidget *>(&control))
        return QSize(); // scrolls
    return control.sizeHint();
}

TEST(NetplayWindows, AtALargerFontTheWindowsGrowAndClipNoText)
{
    for (int pixels : {16, 20, 24}) {
        const ApplicationFont font(pixels);
        HostGameDialog host;
        JoinGameDialog join;
        showWithTheirTexts(host, join);
        for (NetplayDialog *window : std::initializer_list<NetplayDialog *>{&host, &join}) {
            const std::string name = window->objectName().toStdString() + " at " + std::to_string(pixels) + " px";
            EXPECT_GT(window->height(), window == &host ? 318 : 392) << name;
            QList<QWidget *> controls;
            for (QWidget *control : window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                if (control->isWindow() || !control->isVisible())
                    continue;
                const QString what = control->objectName().isEmpty()
                                         ? QString::fromLatin1(control->metaObject()->className())
                                         : control->objectName();
                const QSize need = needed(*control);
                EXPECT_LE(need.width(), control->width()) << name << ": " << what.toStdString();
                EXPECT_LE(need.height(), control->height()) << name << ": " << what.toStdString();
                EXPECT_TRUE(window->rect().contains(control->geometry())) << name << ": " << what.toStdString();
                for (QWidget *other : controls)
                    EXPECT_FALSE(other->geometry().intersects(control->geometry()))
                        << name << ": " << what.toStdString() << " overlaps " << other->objectName().toStdString();
                controls.append(control);
            }
        }
    }
}

} // namespace
