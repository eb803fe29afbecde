// Announcing and finding games against a real avahi daemon that the test starts itself: its
// own system bus in a temporary folder, the daemon in a network namespace of its own (only
// loopback inside). Skipped, with the reason, where the machine does not allow that.
#include "lanannouncement.h"
#include "lanannouncer.h"
#include "lanbrowser.h"
#include "lansearch.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/address.h>

#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

namespace {

const char BusConfig[] = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_type="method_call"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
)";

const char DaemonConfig[] =
    "[server]\nuse-ipv4=yes\nuse-ipv6=no\nenable-dbus=yes\n[wide-area]\nenable-wide-area=no\n"
    "[publish]\npublish-hinfo=no\npublish-workstation=no\n";

// The bus and the daemon, started once for the suite; why not, when they could not be.
class LocalDaemon
{
public:
    QString skipReason;

    LocalDaemon()
    {
        if (geteuid() != 0) {
            skipReason = QStringLiteral("needs root to make a network namespace for the avahi daemon");
            return;
        }
        for (const char *tool : {"dbus-daemon", "avahi-daemon", "unshare", "ip"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
                skipReason =
                    QStringLiteral("%1 is not installed (scripts/deps installs it)").arg(QLatin1String(tool));
                return;
            }
        }
        if (!m_dir.isValid()) {
            skipReason = QStringLiteral("no temporary folder");
            return;
        }
        startBus() && startDaemon();
    }

    bool stopDaemon()
    {
        m_daemon.terminate();
        return m_daemon.waitForFinished(5000);
    }
    // Stops the daemon and starts it again, as a system update or a crash and restart does.
    bool restartDaemon() { return stopDaemon() && startDaemon(); }

    ~LocalDaemon()
    {
        for (QProcess *p : {&m_daemon, &m_bus}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(3000))
                    p->kill();
                p->waitForFinished(3000);
            }
        }
    }

private:
    bool startBus()
    {
        const QString socket = m_dir.filePath(QStringLiteral("bus"));
        QFile config(m_dir.filePath(QStringLiteral("bus.conf")));
        config.open(QIODevice::WriteOnly);
        config.write(QString::fromLatin1(BusConfig).arg(socket).toUtf8());
        config.close();
        m_bus.setProcessChannelMode(QProcess::MergedChannels);
        m_bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + config.fileName(),
                                                    QStringLiteral("--nofork"), QStringLiteral("--nopidfile")});
        if (!m_bus.waitForStarted(5000) || !QTest::qWaitFor([&] { return QFile::exists(socket); }, 5000)) {
            skipReason = QStringLiteral("dbus-daemon did not start: ") + QString::fromUtf8(m_bus.readAll());
            return false;
        }
        // libdbus reads this once per process, so it is set before any avahi client exists.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + socket).toUtf8());
        return true;
    }

public:
    bool startDaemon()
    {
        QFile config(m_dir.filePath(QStringLiteral("avahi.conf")));
        config.open(QIODevice::WriteOnly);
        config.write(DaemonConfig);
        config.close();
        // Its own network (loopback only) and its own /run/avahi-daemon for the pid file.
        const QString script =
            QStringLiteral(
                "ip link set lo up && mkdir -p /run/avahi-daemon && mount -t tmpfs none /run/avahi-daemon && "
                "exec avahi-daemon -f '%1' --no-drop-root --no-chroot --no-rlimits --no-proc-title")
                .arg(config.fileName());
        m_daemon.setProcessChannelMode(QProcess::MergedChannels);
        m_daemon.start(QStringLiteral("unshare"), {QStringLiteral("-n"), QStringLiteral("-m"),
                                                   QStringLiteral("sh"), QStringLiteral("-c"), script});
        QByteArray log;
        const bool up =
            m_daemon.waitForStarted(5000)
            && QTest::qWaitFor(
                [&] {
                    log += m_daemon.readAll();
                    return log.contains("Server startup complete") || m_daemon.state() == QProcess::NotRunning;
                },
                10000);
        if (!up || !log.contains("Server startup complete")) {
            skipReason = QStringLiteral("the avahi daemon did not start in its own network namespace: ")
                         + QString::fromUtf8(log.right(300)).simplified();
            return false;
        }
        return true;
    }

private:
    QTemporaryDir m_dir;
    QProcess m_bus;
    QProcess m_daemon;
};

LocalDaemon *daemonInstance = nullptr;

class LanService : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { daemonInstance = new LocalDaemon; }
    static void TearDownTestSuite()
    {
        delete daemonInstance;
        daemonInstance = nullptr;
    }
    void SetUp() override
    {
        if (!daemonInstance->skipReason.isEmpty())
            GTEST_SKIP() << daemonInstance->skipReason.toStdString();
    }
};

// The newest record the browser reported for each key.
struct Listing
{
    template <typename Browser>
    explicit Listing(Browser &browser)
    {
        QObject::connect(&browser, &Browser::gameFound, &browser, [this](const LanGame &g) { games[g.key] = g; });
        QObject::connect(&browser, &Browser::gameLost, &browser, [this](const QString &k) { games.remove(k); });
    }
    const LanGame *byPlayer(const QString &player) const
    {
        for (const LanGame &g : games) {
            if (g.player == player)
                return &g;
        }
        return nullptr;
    }
    QMap<QString, LanGame> games;
};

// Announces junk games through the daemon, as any device on the network can: many names on
// one host (with an address record, so they resolve), or on a host without any address (they
// never resolve).
class JunkAnnouncer
{
public:
    JunkAnnouncer()
    {
        int error = 0;
        m_client = avahi_client_new(m_poll.poll(), AvahiClientFlags(0), nullptr, nullptr, &error);
    }
    ~JunkAnnouncer()
    {
        withdraw();
        if (m_client)
            avahi_client_free(m_client);
    }

    // count games named "<prefix> N" on host, with an address record when address is set.
    bool announce(const char *prefix, const char *host, const char *address, int count)
    {
        if (!m_client)
            return false;
        constexpr int PerGroup = 20; // the daemon's limit per group is 32
        for (int first = 0; first < count; first += PerGroup) {
            AvahiEntryGroup *group = avahi_entry_group_new(
                m_client,
                [](AvahiEntryGroup *, AvahiEntryGroupState state, void *self) {
                    if (state == AVAHI_ENTRY_GROUP_ESTABLISHED)
                        ++static_cast<JunkAnnouncer *>(self)->m_established;
                },
                this);
            if (!group)
                return false;
            m_groups.push_back(group);
            AvahiAddress parsed;
            if (first == 0 && address
                && (!avahi_address_parse(address, AVAHI_PROTO_INET, &parsed)
                    || avahi_entry_group_add_address(group, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET,
                                                     AVAHI_PUBLISH_NO_REVERSE, host, &parsed)
                           < 0))
                return false;
            for (int i = first; i < std::min(count, first + PerGroup); ++i) {
                const QByteArray name = QByteArray(prefix) + ' ' + QByteArray::number(i);
                if (avahi_entry_group_add_service(group, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET, AvahiPublishFlags(0),
                                                  name.constData(), LanGame::ServiceType, nullptr, host,
                                                  quint16(20000 + i), "player=junk", nullptr)
                    < 0)
                    return false;
            }
            if (avahi_entry_group_commit(group) < 0)
                return false;
        }
        return true;
    }
    bool established() const { return m_established == int(m_groups.size()); }
    void withdraw()
    {
        for (AvahiEntryGroup *group : m_groups)
            avahi_entry_group_free(group);
        m_groups.clear();
        m_established = 0;
    }

private:
    AvahiQtPoll m_poll;
    AvahiClient *m_client = nullptr;
    std::vector<AvahiEntryGroup *> m_groups;
    int m_established = 0;
};

int listedFrom(const Listing &listing, const QString &address)
{
    int n = 0;
    for (const LanGame &g : listing.games)
        n += g.address == address ? 1 : 0;
    return n;
}

} // namespace

TEST_F(LanService, AHostedGameIsListedWithItsPlayerSeatsAndAddressAndLeavesTheListWhenItEnds)
{
    LanAnnouncer announcer;
    QSignalSpy failed(&announcer, &LanAnnouncer::failed);
    announcer.announce(QStringLiteral("Ann"), 7772, 3);
    LanBrowser browser;
    Listing listing(browser);
    browser.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return listing.byPlayer(QStringLiteral("Ann")) != nullptr; }, 10000))
        << "failures: " << failed.count();
    const LanGame ann = *listing.byPlayer(QStringLiteral("Ann"));
    EXPECT_EQ(ann.freeSeats, 3);
    EXPECT_EQ(ann.port, 7772);
    EXPECT_EQ(ann.address, QStringLiteral("127.0.0.1")) << "the daemon's only network is loopback";
    EXPECT_EQ(ann.joinText(), QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(announcer.announced());

    announcer.setFreeSeats(1);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const LanGame *g = listing.byPlayer(QStringLiteral("Ann"));
            return g && g->freeSeats == 1;
        },
        10000))
        << "a seat taken shows in the list";

    announcer.withdraw();
    EXPECT_TRUE(QTest::qWaitFor([&] { return listing.byPlayer(QStringLiteral("Ann")) == nullptr; }, 10000))
        << "an ended game leaves the list";
}

TEST_F(LanService, TwoGamesWithTheSameNameAreBothListed)
{
    LanAnnouncer first, second;
    first.announce(QStringLiteral("Twin"), 7772, 3);
    QSignalSpy firstUp(&first, &LanAnnouncer::established);
    ASSERT_TRUE(firstUp.wait(10000));
    second.announce(QStringLiteral("Twin"), 7773, 2);
    LanBrowser browser;
    Listing listing(browser);
    browser.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return listing.games.size() >= 2; }, 10000));
    EXPECT_NE(first.instanceName(), second.instanceName()) << "the second took another name";
    QList<quint16> ports;
    for (const LanGame &g : listing.games)
        ports.append(g.port);
    EXPECT_TRUE(ports.contains(7772) && ports.contains(7773));
}

TEST_F(LanService, AHostileRecordIsShownAsShortPlainText)
{
    LanAnnouncer announcer;
    const QString hostile = QStringLiteral("<a href=\"file:///etc\">x</a>\x01\n") + QString(180, QLatin1Char('W'));
    announcer.announce(hostile, 7790, 4);
    LanBrowser browser;
    Listing listing(browser);
    browser.start();
    const auto hostileGame = [&]() -> const LanGame * {
        for (const LanGame &g : listing.games) {
            if (g.port == 7790)
                return &g;
        }
        return nullptr;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return hostileGame() != nullptr; }, 10000));
    const LanGame game = *hostileGame();
    EXPECT_LE(game.player.size(), LanGame::MaxShownChars);
    EXPECT_TRUE(game.player.startsWith(QStringLiteral("<a href=\"file:///etc\">x</a>")))
        << "kept as text: " << game.player.toStdString();
    EXPECT_FALSE(game.player.contains(QLatin1Char('\n')) || game.player.contains(QChar(1)));
    EXPECT_LE(announcer.instanceName().size(), LanGame::MaxLabelBytes);
}

// What the program uses: the same announcement and list, reached through the network module.
TEST_F(LanService, TheProgramAnnouncesAndListsThroughTheNetworkModule)
{
    LanAnnouncement announcer;
    QSignalSpy failed(&announcer, &LanAnnouncement::failed);
    QSignalSpy established(&announcer, &LanAnnouncement::established);
    announcer.announce(QStringLiteral("Bea"), 7791, 2);
    LanSearch search;
    QSignalSpy notes(&search, &LanSearch::noteChanged);
    Listing listing(search);
    search.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return listing.byPlayer(QStringLiteral("Bea")) != nullptr; }, 10000))
        << "failures: " << failed.count();
    EXPECT_EQ(listing.byPlayer(QStringLiteral("Bea"))->freeSeats, 2);
    EXPECT_TRUE(search.browsing());
    ASSERT_FALSE(notes.isEmpty());
    EXPECT_EQ(notes.last().at(0).toString(), QString()) << "the search runs normally";
    EXPECT_TRUE(established.count() > 0 || established.wait(10000));
    EXPECT_TRUE(announcer.announced());

    announcer.setFreeSeats(0);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const LanGame *g = listing.byPlayer(QStringLiteral("Bea"));
            return g && g->freeSeats == 0;
        },
        10000));
    announcer.withdraw();
    EXPECT_TRUE(QTest::qWaitFor([&] { return listing.byPlayer(QStringLiteral("Bea")) == nullptr; }, 10000));
    search.stop();
    EXPECT_FALSE(search.browsing());
}

// One device announces 80 games that resolve and 40 that never do, before the Join window
// opens: a game hosted afterwards is still listed, that device gets its share only, the
// unresolved ones stop being followed, and once the junk is withdrawn new games appear.
TEST_F(LanService, JunkFromOneDeviceCannotHideOtherGames)
{
    const QString junkAddress = QStringLiteral("10.9.9.9");
    JunkAnnouncer junk;
    ASSERT_TRUE(junk.announce("Junk", "junk.local", "10.9.9.9", 80));
    ASSERT_TRUE(junk.announce("Ghost", "nowhere.local", nullptr, 40));
    ASSERT_TRUE(QTest::qWaitFor([&] { return junk.established(); }, 20000));

    LanBrowser browser;
    Listing listing(browser);
    browser.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return listedFrom(listing, junkAddress) >= 8; }, 15000));

    LanAnnouncer ann;
    ann.announce(QStringLiteral("Ann"), 7772, 3);
    EXPECT_TRUE(QTest::qWaitFor([&] { return listing.byPlayer(QStringLiteral("Ann")) != nullptr; }, 15000))
        << "listed: " << listing.games.size();
    EXPECT_EQ(listedFrom(listing, junkAddress), 8) << "one device's share";

    EXPECT_TRUE(QTest::qWaitFor([&] { return browser.followed() == browser.listed(); }, 30000))
        << "games that never resolve are not followed for ever: " << browser.followed() << " followed, "
        << browser.listed() << " listed";

    junk.withdraw();
    EXPECT_TRUE(QTest::qWaitFor([&] { return listedFrom(listing, junkAddress) == 0; }, 15000));
    EXPECT_NE(listing.byPlayer(QStringLiteral("Ann")), nullptr);
    LanAnnouncer bea;
    bea.announce(QStringLiteral("Bea"), 7773, 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return listing.byPlayer(QStringLiteral("Bea")) != nullptr; }, 15000))
        << "the list recovers";
}

// The daemon restarts while a game is hosted and the Join window is open: the game is
// announced again and the open window lists it again, without either being started anew.
TEST_F(LanService, AfterTheDaemonRestartsTheGameIsAnnouncedAndListedAgain)
{
    LanAnnouncer announcer;
    QSignalSpy failed(&announcer, &LanAnnouncer::failed);
    announcer.announce(QStringLiteral("Rea"), 7794, 3);
    LanBrowser browser;
    QSignalSpy notes(&browser, &LanBrowser::noteChanged);
    Listing listing(browser);
    browser.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return listing.byPlayer(QStringLiteral("Rea")) != nullptr; }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return announcer.announced(); }, 10000));

    ASSERT_TRUE(daemonInstance->restartDaemon()) << "the daemon came back";
    EXPECT_TRUE(QTest::qWaitFor([&] { return listing.byPlayer(QStringLiteral("Rea")) == nullptr; }, 10000))
        << "the list does not keep what the old daemon reported";
    EXPECT_EQ(failed.count(), 1) << "the host is told once";
    bool noted = false;
    for (const QList<QVariant> &note : notes)
        noted = noted || note.at(0).toString().contains(QLatin1String("not running"));
    EXPECT_TRUE(noted) << "the Join window said why the list emptied";

    EXPECT_TRUE(QTest::qWaitFor([&] { return listing.byPlayer(QStringLiteral("Rea")) != nullptr; }, 20000))
        << "announced and listed again";
    EXPECT_TRUE(announcer.announced());
    EXPECT_TRUE(browser.browsing());
    EXPECT_EQ(notes.last().at(0).toString().toStdString(), "");

    LanBrowser fresh;
    Listing freshListing(fresh);
    fresh.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return freshListing.byPlayer(QStringLiteral("Rea")) != nullptr; }, 10000));
}

// Hosting while the daemon is not running: the host is told at once, the Join window says
// why its list is empty, and both work by themselves once the daemon starts.
TEST_F(LanService, AGameHostedWhileTheDaemonIsDownIsAnnouncedOnceItStarts)
{
    ASSERT_TRUE(daemonInstance->stopDaemon());
    LanAnnouncer announcer;
    QSignalSpy failed(&announcer, &LanAnnouncer::failed);
    announcer.announce(QStringLiteral("Wes"), 7796, 4);
    ASSERT_EQ(failed.count(), 1);
    EXPECT_TRUE(failed.at(0).at(0).toString().contains(QLatin1String("does not appear in the Join window")))
        << failed.at(0).at(0).toString().toStdString();
    LanBrowser browser;
    QSignalSpy notes(&browser, &LanBrowser::noteChanged);
    Listing listing(browser);
    browser.start();
    ASSERT_FALSE(notes.isEmpty());
    EXPECT_TRUE(notes.last().at(0).toString().contains(QLatin1String("cannot be listed")));
    EXPECT_FALSE(browser.browsing());

    ASSERT_TRUE(daemonInstance->startDaemon());
    EXPECT_TRUE(QTest::qWaitFor([&] { return listing.byPlayer(QStringLiteral("Wes")) != nullptr; }, 20000));
    EXPECT_TRUE(announcer.announced());
    EXPECT_EQ(notes.last().at(0).toString().toStdString(), "");
    EXPECT_EQ(failed.count(), 1);
}
