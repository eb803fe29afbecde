// The network module as the program meets it: missing (a clear sentence, nothing else
// happens, the game goes on) and present (the router and host lookups work through it).
#include "joinaddress.h"
#include "lanannouncement.h"
#include "lansearch.h"
#include "netplaymodule.h"
#include "routerport.h"
#include "standingateway.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr quint16 GamePortForTest = 47773;

// A module folder list that holds no module.
class MissingModule : public ::testing::Test
{
protected:
    QStringList folders() const { return {m_dir.path()}; }
    // The sentence names the module file and where it was looked for.
    static void expectExplains(const QString &text, const char *what)
    {
        EXPECT_TRUE(text.startsWith(QLatin1String(what))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("libdorvanenetplay.so"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("was not found"))) << text.toStdString();
    }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(MissingModule, HostingSaysTheRouterCannotBeAskedAndGoesOn)
{
    RouterPort router(RouterOptions{}, folders());
    QSignalSpy lines(&router, &RouterPort::statusLine);
    QSignalSpy answered(&router, &RouterPort::answered);
    router.start(GamePortForTest);
    ASSERT_EQ(lines.count(), 1);
    expectExplains(lines.at(0).at(0).toString(), "The router cannot be asked to open TCP port 47773");
    EXPECT_TRUE(lines.at(0).at(0).toString().contains(QStringLiteral("by hand")));
    ASSERT_EQ(answered.count(), 1);
    EXPECT_FALSE(answered.at(0).at(0).toBool());
    EXPECT_FALSE(router.active());
    router.stop(); // leaving the game
    EXPECT_EQ(lines.count(), 1) << "stopping says nothing more";
}

TEST_F(MissingModule, TheAnnouncementFailsWithTheReasonAndWithdrawingIsHarmless)
{
    LanAnnouncement announcer(folders());
    QSignalSpy failed(&announcer, &LanAnnouncement::failed);
    announcer.withdraw(); // what every switch of games does first
    announcer.setFreeSeats(2);
    EXPECT_EQ(failed.count(), 0) << "only announcing opens the module";
    announcer.announce(QStringLiteral("Ann"), 7772, 3);
    ASSERT_EQ(failed.count(), 1);
    expectExplains(failed.at(0).at(0).toString(), "The game is not announced on the local network");
    EXPECT_FALSE(announcer.announced());
    announcer.setFreeSeats(1);
    announcer.withdraw();
    EXPECT_EQ(failed.count(), 1);
}

TEST_F(MissingModule, TheJoinWindowsListGetsANoteAndStaysEmpty)
{
    LanSearch search(folders());
    QSignalSpy notes(&search, &LanSearch::noteChanged);
    QSignalSpy found(&search, &LanSearch::gameFound);
    search.start();
    ASSERT_EQ(notes.count(), 1);
    expectExplains(notes.at(0).at(0).toString(), "Games on the local network cannot be listed");
    EXPECT_FALSE(search.browsing());
    search.stop();
    search.start(); // the window shown again: the same note, no retry of the module
    EXPECT_EQ(notes.count(), 2);
    EXPECT_EQ(notes.at(1).at(0).toString(), notes.at(0).at(0).toString());
    EXPECT_EQ(found.count(), 0);
}

TEST_F(MissingModule, ALookupAnswersAtOnceWithTheReason)
{
    NetplayModule module(folders());
    QObject context;
    QStringList answers;
    module.lookUpHost(QStringLiteral("localhost"), &context, [&](const QString &problem) { answers << problem; });
    ASSERT_EQ(answers.size(), 1);
    expectExplains(answers.at(0), "The address \"localhost\" cannot be looked up");
    EXPECT_EQ(module.entry(), nullptr);
}

TEST(NetplayModule, TheRouterIsAskedThroughTheModule)
{
    StandInGateway gateway;
    RouterOptions options;
    options.rootUrl = gateway.rootUrl();
    RouterPort router(options);
    QSignalSpy lines(&router, &RouterPort::statusLine);
    QSignalSpy answered(&router, &RouterPort::answered);
    router.start(GamePortForTest);
    ASSERT_TRUE(answered.count() > 0 || answered.wait(10000));
    QStringList said;
    for (const QList<QVariant> &line : std::as_const(lines))
        said << line.at(0).toString();
    ASSERT_TRUE(answered.at(0).at(0).toBool()) << said.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(router.active());
    EXPECT_EQ(gateway.mappings().size(), 1);
    EXPECT_TRUE(said.contains(QStringLiteral("Others can join you at 203.0.113.7:%1 (players in this house: "
                                             "127.0.0.1).")
                                  .arg(GamePortForTest)))
        << said.join(QLatin1Char('\n')).toStdString();

    QSignalSpy removed(&router, &RouterPort::removed);
    router.stop();
    ASSERT_TRUE(removed.wait(10000));
    EXPECT_EQ(removed.at(0).at(0).toString(), QString());
    EXPECT_TRUE(gateway.mappings().isEmpty());
}

TEST(NetplayModule, ANameIsLookedUpThroughTheModule)
{
    NetplayModule module;
    ASSERT_NE(module.entry(), nullptr) << module.problem(QStringLiteral("open")).toStdString();
    QObject context;
    QStringList answers;
    module.lookUpHost(QStringLiteral("localhost"), &context, [&](const QString &problem) { answers << problem; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.isEmpty(); }, 10000));
    EXPECT_EQ(answers, QStringList{QString()}) << "localhost has an IPv4 address";
}

TEST(JoinAddress, OnlyFourDecimalPartsUpTo255AreADottedAddress)
{
    const struct
    {
        const char *typed;
        bool dotted;
    } rows[] = {
        {"192.168.1.20", true}, {"127.0.0.1:7000", true}, {"0.0.0.0", true},    {"255.255.255.255", true},
        {"256.1.1.1", false},   {"1.2.3", false},         {"1.2.3.4.5", false}, {"1..2.3", false},
        {"01234.1.1.1", false}, {"a.b.c.d", false},       {"1.2.3.4a", false},  {"game.example", false},
        {"+1.2.3.4", false},
    };
    for (const auto &row : rows) {
        const JoinAddress address = JoinAddress::parse(QString::fromLatin1(row.typed));
        EXPECT_EQ(address.valid() && address.dottedIPv4(), row.dotted) << row.typed;
    }
}

TEST(JoinAddress, ReadsNamesAndIPv4AndIPv6AddressesWithOrWithoutAPort)
{
    const struct
    {
        const char *typed;
        const char *host; // nullptr: refused
        quint16 port;
        const char *text; // what a join starts with; parse() reads it back
    } rows[] = {
        {"game.example", "game.example", 7772, "game.example"},
        {"  game.example:7000 ", "game.example", 7000, "game.example:7000"},
        {"192.168.1.20", "192.168.1.20", 7772, "192.168.1.20"},
        {"192.168.1.20:7772", "192.168.1.20", 7772, "192.168.1.20"},
        {"2001:db8::7", "2001:db8::7", 7772, "2001:db8::7"},
        {"[2001:db8::7]:7772", "2001:db8::7", 7772, "2001:db8::7"},
        {"[2001:db8::7]:7000", "2001:db8::7", 7000, "[2001:db8::7]:7000"},
        {"[::1]", "::1", 7772, "::1"},
        {"::1", "::1", 7772, "::1"},
        {"::ffff:192.0.2.1", "::ffff:192.0.2.1", 7772, "::ffff:192.0.2.1"},
        {"[fe80::1%eth0]:7001", "fe80::1%eth0", 7001, "[fe80::1%eth0]:7001"},
        {"2001:db8::7:7000", "2001:db8::7:7000", 7772, "2001:db8::7:7000"}, // all of it is the address
        {"[2001:db8::7]:0", nullptr, 0, nullptr},
        {"[2001:db8::7]:70000", nullptr, 0, nullptr},
        {"[2001:db8::7]7000", nullptr, 0, nullptr},
        {"[2001:db8::7", nullptr, 0, nullptr},
        {"[game.example]:7000", nullptr, 0, nullptr},
        {"[]", nullptr, 0, nullptr},
        {"2001:db8::7::8", nullptr, 0, nullptr},
        {"2001:db8:::7", nullptr, 0, nullptr},
        {"gg::1", nullptr, 0, nullptr},
        {"[fe80::1%]", nullptr, 0, nullptr},
        {"[fe80::1%e/h]", nullptr, 0, nullptr},
        {"host:port", nullptr, 0, nullptr},
        {"http://[2001:db8::7]", nullptr, 0, nullptr},
        {"", nullptr, 0, nullptr},
    };
    for (const auto &row : rows) {
        const JoinAddress address = JoinAddress::parse(QString::fromUtf8(row.typed));
        if (!row.host) {
            EXPECT_FALSE(address.valid()) << row.typed << " was taken as " << address.host.toStdString();
            EXPECT_FALSE(address.problem.isEmpty()) << row.typed;
            continue;
        }
        ASSERT_TRUE(address.valid()) << row.typed << ": " << address.problem.toStdString();
        EXPECT_EQ(address.host, QString::fromLatin1(row.host)) << row.typed;
        EXPECT_EQ(address.port, row.port) << row.typed;
        EXPECT_EQ(address.text(), QString::fromLatin1(row.text)) << row.typed;
        EXPECT_EQ(address.ipv6(), QString::fromLatin1(row.host).contains(QLatin1Char(':'))) << row.typed;
        const JoinAddress again = JoinAddress::parse(address.text());
        EXPECT_TRUE(again.valid() && again.host == address.host && again.port == address.port) << row.typed;
    }
}

TEST(NetplayModule, AnIPv6AddressNeedsNoIPv4ToBeJoined)
{
    NetplayModule module;
    ASSERT_NE(module.entry(), nullptr) << module.problem(QStringLiteral("open")).toStdString();
    QObject context;
    QStringList answers;
    module.lookUpHost(QStringLiteral("2001:db8::7"), &context,
                      [&](const QString &problem) { answers << problem; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.isEmpty(); }, 10000));
    EXPECT_EQ(answers, QStringList{QString()});
}
