// IPv6: where the router offers its IPv6 firewall over UPnP, hosting also lets the game's port
// in to this computer's global IPv6 address, names that address in the chat, and closes the
// pinhole again when hosting ends.
#include "localipv6.h"
#include "portmapper.h"
#include "routerwire.h"
#include "standingateway.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr quint16 GamePort = 47775;
const QString SharedAddress = QStringLiteral("2001:db8::7");

PortMapper::Options optionsFor(const StandInGateway &gateway)
{
    PortMapper::Options o;
    o.rootUrl = gateway.rootUrl();
    o.helperProgram = QStringLiteral(DORVANE_ROUTER_HELPER);
    o.ipv6Address = SharedAddress;
    return o;
}

StandInGateway::Script withFirewall()
{
    StandInGateway::Script script;
    script.ipv6FirewallControl = true;
    return script;
}

struct Hosting
{
    explicit Hosting(const StandInGateway &gateway, PortMapper::Options options)
        : mapper(options)
        , answered(&mapper, &PortMapper::answered)
        , removed(&mapper, &PortMapper::removed)
    {
        QObject::connect(&mapper, &PortMapper::statusLine, &mapper, [this](const QString &l) { lines.append(l); });
        Q_UNUSED(gateway);
    }
    explicit Hosting(const StandInGateway &gateway)
        : Hosting(gateway, optionsFor(gateway))
    {
    }
    bool start()
    {
        mapper.start(GamePort);
        return answered.count() > 0 || answered.wait(10000);
    }
    QString said() const { return lines.join(QLatin1Char('\n')); }

    PortMapper mapper;
    QSignalSpy answered;
    QSignalSpy removed;
    QStringList lines;
};

QList<StandInGateway::Call> pinholeCalls(const StandInGateway &gateway)
{
    QList<StandInGateway::Call> found;
    for (const StandInGateway::Call &call : gateway.calls()) {
        if (call.action.contains(QLatin1String("Pinhole")))
            found.append(call);
    }
    return found;
}

} // namespace

TEST(Pinhole, TheRouterLetsThePortInOverIPv6AndTheChatNamesTheAddressToShare)
{
    StandInGateway gateway;
    gateway.setScript(withFirewall());
    Hosting hosting(gateway);
    ASSERT_TRUE(hosting.start());
    EXPECT_TRUE(hosting.answered.at(0).at(0).toBool()) << hosting.said().toStdString();

    const auto adds = gateway.callsOf(QStringLiteral("AddPinhole"));
    ASSERT_EQ(adds.size(), 1) << hosting.said().toStdString();
    const QMap<QString, QString> expected{
        {QStringLiteral("RemoteHost"), QString()},
        {QStringLiteral("RemotePort"), QStringLiteral("0")},
        {QStringLiteral("InternalClient"), SharedAddress},
        {QStringLiteral("InternalPort"), QString::number(GamePort)},
        {QStringLiteral("Protocol"), QStringLiteral("6")},
        {QStringLiteral("LeaseTime"), QString::number(PortMapper::LeaseSeconds)},
    };
    EXPECT_EQ(adds.at(0).args, expected);
    EXPECT_EQ(gateway.pinholes().value(QStringLiteral("1")), SharedAddress);
    EXPECT_EQ(gateway.mappings().size(), 1) << "the IPv4 port is forwarded as before";
    EXPECT_TRUE(hosting.lines.contains(QStringLiteral("Others can join you at 203.0.113.7:%1 (players in this "
                                                      "house: 127.0.0.1).")
                                           .arg(GamePort)))
        << hosting.said().toStdString();
    const QStringList ipv6Lines = hosting.lines.filter(QStringLiteral("IPv6"));
    ASSERT_EQ(ipv6Lines.size(), 1) << hosting.said().toStdString();
    EXPECT_TRUE(ipv6Lines.at(0).contains(QStringLiteral("IPv6: 2001:db8::7 port %1").arg(GamePort)))
        << ipv6Lines.at(0).toStdString();
    EXPECT_TRUE(ipv6Lines.at(0).contains(QStringLiteral("[2001:db8::7]:%1").arg(GamePort)))
        << "the form to type, with the port";
    EXPECT_EQ(hosting.mapper.mapping().ipv6Address, SharedAddress);

    hosting.mapper.stop();
    ASSERT_TRUE(hosting.removed.wait(10000));
    EXPECT_EQ(hosting.removed.at(0).at(0).toString(), QString());
    const auto deletes = gateway.callsOf(QStringLiteral("DeletePinhole"));
    ASSERT_EQ(deletes.size(), 1);
    EXPECT_EQ(deletes.at(0).args.value(QStringLiteral("UniqueID")), QStringLiteral("1"));
    EXPECT_TRUE(gateway.pinholes().isEmpty());
    EXPECT_TRUE(gateway.mappings().isEmpty());
}

TEST(Pinhole, ARouterWithoutTheIPv6FirewallServiceIsAskedNothingNew)
{
    StandInGateway gateway;
    Hosting hosting(gateway);
    ASSERT_TRUE(hosting.start());
    EXPECT_TRUE(hosting.answered.at(0).at(0).toBool());
    hosting.mapper.stop();
    ASSERT_TRUE(hosting.removed.wait(10000));
    EXPECT_TRUE(pinholeCalls(gateway).isEmpty());
    EXPECT_TRUE(hosting.lines.filter(QStringLiteral("IPv6")).isEmpty()) << hosting.said().toStdString();
    QStringList actions;
    for (const StandInGateway::Call &call : gateway.calls())
        actions << call.action;
    EXPECT_EQ(actions, (QStringList{"GetExternalIPAddress", "GetSpecificPortMappingEntry", "AddPortMapping",
                                    "DeletePortMapping"}));
}

TEST(Pinhole, ThePinholeIsRenewedInPlaceAndNamedOnce)
{
    StandInGateway gateway;
    gateway.setScript(withFirewall());
    PortMapper::Options o = optionsFor(gateway);
    o.leaseSeconds = 1; // renewed after half a second
    Hosting hosting(gateway, o);
    ASSERT_TRUE(hosting.start());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return gateway.callsOf(QStringLiteral("UpdatePinhole")).size() >= 2; }, 5000))
        << hosting.said().toStdString();
    const auto updates = gateway.callsOf(QStringLiteral("UpdatePinhole"));
    EXPECT_EQ(updates.at(0).args.value(QStringLiteral("UniqueID")), QStringLiteral("1"));
    EXPECT_EQ(updates.at(0).args.value(QStringLiteral("NewLeaseTime")), QStringLiteral("1"));
    EXPECT_EQ(gateway.callsOf(QStringLiteral("AddPinhole")).size(), 1);
    EXPECT_EQ(gateway.pinholes().size(), 1);
    EXPECT_EQ(hosting.lines.filter(QStringLiteral("IPv6")).size(), 1) << hosting.said().toStdString();
}

TEST(Pinhole, WithTheIPv4PortRefusedThePinholeIsStillOpenedNamedAndClosed)
{
    StandInGateway gateway;
    StandInGateway::Script script = withFirewall();
    script.addError = 718;
    gateway.setScript(script);
    Hosting hosting(gateway);
    ASSERT_TRUE(hosting.start());
    EXPECT_FALSE(hosting.answered.at(0).at(0).toBool());
    EXPECT_TRUE(hosting.said().contains(QLatin1String("The router could not open the port")));
    EXPECT_EQ(hosting.lines.filter(QStringLiteral("IPv6: 2001:db8::7")).size(), 1) << hosting.said().toStdString();
    EXPECT_EQ(gateway.pinholes().size(), 1);
    hosting.mapper.stop();
    ASSERT_TRUE(hosting.removed.wait(10000)) << "the pinhole is held, so it is removed";
    EXPECT_TRUE(gateway.pinholes().isEmpty());
}

TEST(Pinhole, ARefusedPinholeIsSaidAndTheIPv4PortStillOpens)
{
    StandInGateway gateway;
    StandInGateway::Script script = withFirewall();
    script.pinholeError = 606;
    gateway.setScript(script);
    Hosting hosting(gateway);
    ASSERT_TRUE(hosting.start());
    EXPECT_TRUE(hosting.answered.at(0).at(0).toBool());
    const QStringList ipv6Lines = hosting.lines.filter(QStringLiteral("IPv6"));
    ASSERT_EQ(ipv6Lines.size(), 1) << hosting.said().toStdString();
    EXPECT_TRUE(ipv6Lines.at(0).contains(QLatin1String("did not let the game's port in over IPv6")));
    EXPECT_TRUE(ipv6Lines.at(0).contains(QLatin1String("(606)"))) << ipv6Lines.at(0).toStdString();
    EXPECT_TRUE(gateway.pinholes().isEmpty());
}

TEST(LocalIPv6, TheAddressToShareIsAStableGlobalOneBeforeATemporaryOne)
{
    // address, interface index, prefix length, scope, flags, name
    const QByteArray linkLocal = "fe8000000000000000fc00fffe000001 04 40 20 80 eth0\n";
    const QByteArray loopback = "00000000000000000000000000000001 01 80 10 80 lo\n";
    const QByteArray uniqueLocal = "fd000000000000000000000000000002 04 40 00 80 eth0\n";
    const QByteArray temporary = "20010db8000000001111222233334444 04 40 00 01 eth0\n";
    const QByteArray stable = "20010db8000000000000000000000007 04 40 00 80 eth0\n";
    const QByteArray deprecated = "20010db8000000000000000000000009 04 40 00 a0 eth0\n";
    const QByteArray tentative = "2001abcd000000000000000000000001 04 40 00 40 eth0\n";
    const struct
    {
        const char *name;
        QByteArray list;
        const char *picked;
    } rows[] = {
        {"stable after a temporary", linkLocal + temporary + stable, "2001:db8::7"},
        {"only a temporary", loopback + temporary, "2001:db8::1111:2222:3333:4444"},
        {"no global address", linkLocal + loopback + uniqueLocal, ""},
        {"deprecated and tentative skipped", deprecated + tentative + temporary, "2001:db8::1111:2222:3333:4444"},
        {"garbage", "zz\n\x01\x02\n2001 04\n" + QByteArray(40, 'f') + " 04 40 00 80 eth0\n", ""},
        {"nothing", "", ""},
    };
    for (const auto &row : rows)
        EXPECT_EQ(LocalIPv6::pick(row.list), QString::fromLatin1(row.picked)) << row.name;
    for (const char *text : {"2001:db8::7", "2a00:1450::1", "3fff::1"})
        EXPECT_TRUE(LocalIPv6::globalUnicast(QString::fromLatin1(text))) << text;
    for (const char *text :
         {"::1", "fe80::1", "fd00::2", "::ffff:1.2.3.4", "ff02::1", "1.2.3.4", "", "2001:db8::7%eth0"})
        EXPECT_FALSE(LocalIPv6::globalUnicast(QString::fromLatin1(text))) << text;
}

TEST(RouterWire, ThePinholeAddressAndItsProblemTravelToTheGame)
{
    RouterMapping mapping;
    mapping.opened = true;
    mapping.port = 7772;
    mapping.ipv6Address = SharedAddress;
    mapping.pinholeId = "12";
    RouterWire wire;
    const QList<RouterWire::Event> events = wire.feed(RouterWire::answer(mapping));
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events.at(0).mapping.ipv6Address, SharedAddress);
    EXPECT_TRUE(events.at(0).mapping.pinholeId.isEmpty()) << "the router's id stays in the router program";

    RouterMapping refused;
    refused.ipv6Problem = QStringLiteral("The router did not let the game's port in over IPv6: x\ny.");
    const QList<RouterWire::Event> more = wire.feed(RouterWire::answer(refused));
    ASSERT_EQ(more.size(), 1);
    EXPECT_EQ(more.at(0).mapping.ipv6Problem,
              QStringLiteral("The router did not let the game's port in over IPv6: x y."));
    EXPECT_TRUE(more.at(0).mapping.ipv6Address.isEmpty());
}
