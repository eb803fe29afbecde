// The router's port: mapping and removal against a stand-in gateway on loopback.
#include "portmapper.h"
#include "standingateway.h"
#include "upnpgateway.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

constexpr quint16 GamePortForTest = 47772;

PortMapper::Options options(const StandInGateway &gateway, int deadlineMs = PortMapper::AnswerDeadlineMs)
{
    PortMapper::Options o;
    o.rootUrl = gateway.rootUrl();
    o.answerDeadlineMs = deadlineMs;
    o.helperProgram = QStringLiteral(DORVANE_ROUTER_HELPER);
    return o;
}

// Collects the mapper's chat lines.
struct Lines
{
    explicit Lines(PortMapper &mapper)
    {
        QObject::connect(&mapper, &PortMapper::statusLine, &mapper, [this](const QString &l) { all.append(l); });
    }
    QString joined() const { return all.join(QLatin1Char('\n')); }
    QStringList all;
};

bool waitForAnswer(PortMapper &mapper, QSignalSpy &answered)
{
    Q_UNUSED(mapper);
    return answered.count() > 0 || answered.wait(10000);
}

} // namespace

TEST(PortMapper, ForwardsThePortToThisComputerWhileHostingAndRemovesItAfter)
{
    StandInGateway gateway;
    PortMapper mapper(options(gateway));
    Lines lines(mapper);
    QSignalSpy answered(&mapper, &PortMapper::answered);
    mapper.start(GamePortForTest);
    ASSERT_TRUE(waitForAnswer(mapper, answered));
    EXPECT_TRUE(answered.at(0).at(0).toBool()) << lines.joined().toStdString();

    const auto adds = gateway.callsOf(QStringLiteral("AddPortMapping"));
    ASSERT_EQ(adds.size(), 1);
    const auto &args = adds.at(0).args;
    EXPECT_EQ(args.value(QStringLiteral("NewExternalPort")), QString::number(GamePortForTest));
    EXPECT_EQ(args.value(QStringLiteral("NewInternalPort")), QString::number(GamePortForTest));
    EXPECT_EQ(args.value(QStringLiteral("NewInternalClient")), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(args.value(QStringLiteral("NewProtocol")), QStringLiteral("TCP"));
    EXPECT_EQ(args.value(QStringLiteral("NewLeaseDuration")), QString::number(PortMapper::LeaseSeconds))
        << "a copy that is killed must not leave the port open for ever";
    EXPECT_TRUE(lines.all.contains(QStringLiteral("Others can join you at 203.0.113.7:%1 (players in this house: "
                                                  "127.0.0.1).")
                                       .arg(GamePortForTest)))
        << lines.joined().toStdString();

    QSignalSpy removed(&mapper, &PortMapper::removed);
    mapper.stop();
    ASSERT_TRUE(removed.wait(10000));
    EXPECT_EQ(removed.at(0).at(0).toString(), QString());
    const auto deletes = gateway.callsOf(QStringLiteral("DeletePortMapping"));
    ASSERT_EQ(deletes.size(), 1);
    EXPECT_EQ(deletes.at(0).args.value(QStringLiteral("NewExternalPort")), QString::number(GamePortForTest));
    EXPECT_EQ(deletes.at(0).args.value(QStringLiteral("NewProtocol")), QStringLiteral("TCP"));
    EXPECT_TRUE(gateway.mappings().isEmpty());
}

TEST(PortMapper, EndingTheProgramRemovesTheMapping)
{
    StandInGateway gateway;
    {
        PortMapper mapper(options(gateway));
        QSignalSpy answered(&mapper, &PortMapper::answered);
        mapper.start(GamePortForTest);
        ASSERT_TRUE(waitForAnswer(mapper, answered));
        ASSERT_EQ(gateway.mappings().size(), 1);
    } // destroyed while hosting, as at exit
    EXPECT_TRUE(gateway.mappings().isEmpty());
}

TEST(PortMapper, AMappingAnsweredAfterHostingEndedIsRemovedAgain)
{
    StandInGateway gateway;
    PortMapper mapper(options(gateway));
    QSignalSpy removed(&mapper, &PortMapper::removed);
    mapper.start(GamePortForTest);
    mapper.stop(); // left before the router answered
    ASSERT_TRUE(removed.wait(10000));
    EXPECT_TRUE(gateway.mappings().isEmpty());
    EXPECT_EQ(gateway.callsOf(QStringLiteral("DeletePortMapping")).size(), 1);
}

TEST(PortMapper, ARouterThatTakesOnlyPermanentMappingsGetsOne)
{
    StandInGateway gateway;
    StandInGateway::Script script;
    script.permanentOnly = true;
    gateway.setScript(script);
    PortMapper mapper(options(gateway));
    QSignalSpy answered(&mapper, &PortMapper::answered);
    mapper.start(GamePortForTest);
    ASSERT_TRUE(waitForAnswer(mapper, answered));
    EXPECT_TRUE(answered.at(0).at(0).toBool());
    EXPECT_TRUE(mapper.mapping().permanent);
    EXPECT_EQ(gateway.mappings().size(), 1);
}

struct RouterFault
{
    const char *name;
    StandInGateway::Script script;
    QByteArray rootUrl;       // replaces the gateway's when set
    const char *lineContains; // the status line names the fault
    int addCalls;             // AddPortMapping requests the router saw
};

class PortMapperFaults : public ::testing::TestWithParam<RouterFault>
{
};

TEST_P(PortMapperFaults, EachFaultBecomesAStatusLineWithTheWayOut)
{
    const RouterFault &fault = GetParam();
    StandInGateway gateway;
    gateway.setScript(fault.script);
    PortMapper::Options o = options(gateway);
    if (!fault.rootUrl.isEmpty())
        o.rootUrl = fault.rootUrl;
    PortMapper mapper(o);
    Lines lines(mapper);
    QSignalSpy answered(&mapper, &PortMapper::answered);
    mapper.start(GamePortForTest);
    ASSERT_TRUE(waitForAnswer(mapper, answered)) << fault.name;
    EXPECT_FALSE(answered.at(0).at(0).toBool()) << fault.name;
    EXPECT_TRUE(lines.joined().contains(QLatin1String(fault.lineContains)))
        << fault.name << ": " << lines.joined().toStdString();
    EXPECT_TRUE(lines.joined().contains(QStringLiteral("forward TCP port %1").arg(GamePortForTest)))
        << fault.name << ": the line says what to do instead";
    EXPECT_EQ(gateway.callsOf(QStringLiteral("AddPortMapping")).size(), fault.addCalls) << fault.name;
    EXPECT_TRUE(gateway.mappings().isEmpty()) << fault.name << ": nothing is left forwarded";
}

StandInGateway::Script scripted(void (*change)(StandInGateway::Script &))
{
    StandInGateway::Script s;
    change(s);
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Router, PortMapperFaults,
    ::testing::Values(
        RouterFault{"refused", scripted([](auto &s) { s.addError = 718; }), {}, "ConflictInMappingEntry (718)", 1},
        RouterFault{"not authorised", scripted([](auto &s) { s.addError = 606; }), {}, "refused", 1},
        RouterFault{"external address not an address",
                    scripted([](auto &s) { s.externalAddress = QStringLiteral("<b>x</b>"); }),
                    {},
                    "did not tell its internet address",
                    1},
        RouterFault{"external address 0.0.0.0",
                    scripted([](auto &s) { s.externalAddress = QStringLiteral("0.0.0.0"); }),
                    {},
                    "did not tell its internet address",
                    1},
        RouterFault{"port forwarded to someone else",
                    scripted([](auto &s) { s.existingClient = QStringLiteral("10.0.0.9"); }),
                    {},
                    "another computer (10.0.0.9)",
                    0},
        RouterFault{"garbage description",
                    scripted([](auto &s) { s.behaviour = StandInGateway::Behaviour::GarbageDescription; }),
                    {},
                    "does not offer the port-forwarding service",
                    0},
        RouterFault{"garbage answers",
                    scripted([](auto &s) { s.behaviour = StandInGateway::Behaviour::GarbageAnswers; }),
                    {},
                    "did not tell its internet address",
                    1},
        RouterFault{"root description not http", {}, "ftp://127.0.0.1/rootDesc.xml", "not an http:// address", 0},
        RouterFault{"nobody listening", {}, "http://127.0.0.1:1/rootDesc.xml", "usable description", 0}),
    [](const auto &info) {
        std::string n = info.param.name;
        for (char &c : n)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return n;
    });

TEST(PortMapper, TheMappingIsRenewedBeforeItsLeaseRunsOut)
{
    StandInGateway gateway;
    PortMapper::Options o = options(gateway);
    o.leaseSeconds = 1; // renewed after half a second
    PortMapper mapper(o);
    Lines lines(mapper);
    mapper.start(GamePortForTest);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return gateway.callsOf(QStringLiteral("AddPortMapping")).size() >= 2; }, 5000));
    EXPECT_EQ(lines.all.filter(QStringLiteral("Others can join you")).size(), 1) << "renewing says nothing new";
}

TEST(PortMapper, APrivateRouterAddressAddsAWarning)
{
    StandInGateway gateway;
    StandInGateway::Script script;
    script.externalAddress = QStringLiteral("100.64.3.4");
    gateway.setScript(script);
    PortMapper mapper(options(gateway));
    Lines lines(mapper);
    QSignalSpy answered(&mapper, &PortMapper::answered);
    mapper.start(GamePortForTest);
    ASSERT_TRUE(waitForAnswer(mapper, answered));
    EXPECT_TRUE(lines.joined().contains(QLatin1String("is private"))) << lines.joined().toStdString();
}

TEST(PortMapper, ASilentRouterNeverHoldsTheEventLoop)
{
    StandInGateway gateway;
    StandInGateway::Script script;
    script.behaviour = StandInGateway::Behaviour::Silent;
    gateway.setScript(script);
    PortMapper mapper(options(gateway, 300));
    Lines lines(mapper);
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(10);
    QElapsedTimer clock;
    clock.start();
    mapper.start(GamePortForTest);
    const qint64 startMs = clock.elapsed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lines.joined().contains(QLatin1String("has not answered")); }, 5000))
        << lines.joined().toStdString();
    EXPECT_GT(ticks, 0) << "the event loop went on while the router said nothing";
    std::printf("start() against a silent router returned after %lld ms; %d ticks of 10 ms ran meanwhile\n",
                static_cast<long long>(startMs), ticks);
}

TEST(UpnpGateway, OnlyAFullDottedAddressOfARealHostIsAnExternalAddress)
{
    const struct
    {
        const char *text;
        bool usable;
    } rows[] = {{"203.0.113.7", true},      {"10.1.2.3", true},         {"", false},
                {"1.2.3", false},           {"300.1.1.1", false},       {"0.0.0.0", false},
                {"255.255.255.255", false}, {"224.0.0.251", false},     {"<b>1.2.3.4</b>", false},
                {"1.2.3.4 ", false},        {"01.2.3.4", false},        {"::1", false},
                {"1.2.3.4.5", false},       {"1234567890123456", false}};
    for (const auto &row : rows)
        EXPECT_EQ(UpnpGateway::usableAddress(QString::fromLatin1(row.text)), row.usable) << row.text;
    EXPECT_TRUE(UpnpGateway::privateAddress(QStringLiteral("192.168.1.1")));
    EXPECT_TRUE(UpnpGateway::privateAddress(QStringLiteral("172.31.255.1")));
    EXPECT_FALSE(UpnpGateway::privateAddress(QStringLiteral("172.32.0.1")));
    EXPECT_TRUE(UpnpGateway::privateAddress(QStringLiteral("100.127.0.1")));
    EXPECT_FALSE(UpnpGateway::privateAddress(QStringLiteral("100.128.0.1")));
}
