// A router, or anything on the network that answers like one, that misbehaves: answers without
// end, answers too slowly, or points the game's requests elsewhere. The game must stay small
// and responsive, say why the port is not open, and leave nothing forwarded behind it.
#include "portmapper.h"
#include "standingateway.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <cstdio>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

namespace {

constexpr quint16 GamePort = 47774;

PortMapper::Options optionsFor(const QByteArray &rootUrl)
{
    PortMapper::Options o;
    o.rootUrl = rootUrl;
    o.helperProgram = QStringLiteral(DORVANE_ROUTER_HELPER);
    return o;
}

// This process's peak resident memory, from /proc (kB).
qint64 peakKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

struct Hosting
{
    explicit Hosting(const StandInGateway &gateway)
        : Hosting(gateway.rootUrl())
    {
    }
    explicit Hosting(const QByteArray &rootUrl)
        : mapper(optionsFor(rootUrl))
        , answered(&mapper, &PortMapper::answered)
    {
        QObject::connect(&mapper, &PortMapper::statusLine, &mapper, [this](const QString &l) { lines.append(l); });
    }
    // Starts hosting and waits for the router's answer at most ms; the time it took, -1 if none.
    qint64 hostAndWait(int ms)
    {
        QElapsedTimer clock;
        clock.start();
        mapper.start(GamePort);
        if (!answered.wait(ms))
            return -1;
        return clock.elapsed();
    }
    std::string said() const { return lines.join(QLatin1Char('\n')).toStdString(); }

    PortMapper mapper;
    QSignalSpy answered;
    QStringList lines;
};

} // namespace

TEST(HostileRouter, AnswersWithoutEndAreCutOffAndTheGameStaysSmall)
{
    const struct
    {
        const char *name;
        StandInGateway::Behaviour behaviour;
        const char *reason;
    } rows[] = {
        {"endless description", StandInGateway::Behaviour::EndlessDescription, "too long"},
        {"endless external address", StandInGateway::Behaviour::EndlessExternalAddress, "too long"},
    };
    for (const auto &row : rows) {
        StandInGateway gateway;
        StandInGateway::Script script;
        script.behaviour = row.behaviour;
        gateway.setScript(script);
        const qint64 before = peakKilobytes();
        Hosting hosting(gateway);
        const qint64 ms = hosting.hostAndWait(30000);
        ASSERT_GE(ms, 0) << row.name << ": no answer within 30 s; " << hosting.said();
        EXPECT_FALSE(hosting.answered.at(0).at(0).toBool()) << row.name;
        const QString said = hosting.lines.join(QLatin1Char('\n'));
        EXPECT_TRUE(said.contains(QLatin1String("The router could not open the port")))
            << row.name << hosting.said();
        EXPECT_TRUE(said.contains(QLatin1String(row.reason))) << row.name << hosting.said();
        const qint64 grownKb = peakKilobytes() - before;
        EXPECT_LT(grownKb, 64 * 1024) << row.name << ": the game grew by " << grownKb << " kB";
        EXPECT_TRUE(gateway.mappings().isEmpty()) << row.name;
        std::printf("%s: answered after %lld ms, the game's peak grew by %lld kB\n", row.name,
                    static_cast<long long>(ms), static_cast<long long>(grownKb));
    }
}

TEST(HostileRouter, ARouterThatAnswersAByteAtATimeIsGivenUpOnInBoundedTime)
{
    StandInGateway gateway;
    StandInGateway::Script script;
    script.behaviour = StandInGateway::Behaviour::Trickle;
    gateway.setScript(script);
    Hosting hosting(gateway);
    const qint64 ms = hosting.hostAndWait(25000);
    ASSERT_GE(ms, 0) << "still waiting after 25 s: " << hosting.said();
    EXPECT_FALSE(hosting.answered.at(0).at(0).toBool());
    EXPECT_TRUE(hosting.lines.join(QLatin1Char('\n')).contains(QLatin1String("took too long"))) << hosting.said();
    std::printf("a trickling router was given up on after %lld ms\n", static_cast<long long>(ms));
}

TEST(HostileRouter, AControlAddressOnAnotherPortOrMachineReceivesNothing)
{
    for (const bool otherMachine : {false, true}) {
        StandInGateway gateway;
        // Stands for another machine (127.0.0.2, the router's port) or another service on the
        // router's machine (another port); it must get none of the game's requests.
        StandInGateway elsewhere(
            QHostAddress(otherMachine ? QStringLiteral("127.0.0.2") : QStringLiteral("127.0.0.1")),
            otherMachine ? gateway.port() : 0);
        const QByteArray target = "http://" + QUrl(QString::fromLatin1(elsewhere.rootUrl())).host().toLatin1()
                                  + ":" + QByteArray::number(elsewhere.port()) + "/ctl/IPConn";
        ASSERT_NE(elsewhere.port(), 0) << "cannot listen on " << target.constData();
        StandInGateway::Script script;
        script.controlUrl = target;
        gateway.setScript(script);
        Hosting hosting(gateway);
        ASSERT_GE(hosting.hostAndWait(15000), 0) << target.constData();
        EXPECT_FALSE(hosting.answered.at(0).at(0).toBool()) << target.constData();
        EXPECT_TRUE(elsewhere.calls().isEmpty()) << target.constData() << ": the other machine was asked";
        EXPECT_TRUE(gateway.calls().isEmpty()) << target.constData();
        EXPECT_TRUE(hosting.lines.join(QLatin1Char('\n')).contains(QLatin1String("another machine or port")))
            << hosting.said();
    }
}

TEST(HostileRouter, QuittingWhileThePortIsBeingOpenedLeavesNothingForwarded)
{
    StandInGateway gateway;
    StandInGateway::Script script;
    script.addDelayMs = 1500; // the router holds the mapping before it answers
    gateway.setScript(script);
    QElapsedTimer clock;
    {
        Hosting hosting(gateway);
        hosting.mapper.start(GamePort);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !gateway.callsOf(QStringLiteral("AddPortMapping")).isEmpty(); }, 10000));
        ASSERT_EQ(gateway.mappings().size(), 1);
        clock.start();
    } // the program ends while the request is out
    const qint64 quitMs = clock.elapsed();
    EXPECT_LT(quitMs, PortMapper::ExitWaitMs + 1000) << "quitting waits only briefly";
    EXPECT_TRUE(QTest::qWaitFor([&] { return gateway.mappings().isEmpty(); }, 10000))
        << "the forwarding was left on the router";
    EXPECT_EQ(gateway.callsOf(QStringLiteral("DeletePortMapping")).size(), 1);
    std::printf("quitting took %lld ms\n", static_cast<long long>(quitMs));
}

TEST(HostileRouter, WhenThePortStaysClosedTheChatStillGivesThisComputersAddresses)
{
    StandInGateway gateway;
    StandInGateway::Script script;
    script.addError = 718;
    gateway.setScript(script);
    Hosting hosting(gateway);
    ASSERT_GE(hosting.hostAndWait(15000), 0);
    const QString said = hosting.lines.join(QLatin1Char('\n'));
    EXPECT_TRUE(
        said.contains(QStringLiteral("Players on this network can join you at 127.0.0.1:%1").arg(GamePort)))
        << hosting.said();
    EXPECT_TRUE(said.contains(QStringLiteral("203.0.113.7:%1").arg(GamePort))) << hosting.said();

    Hosting unreachable(QByteArrayLiteral("http://127.0.0.1:1/rootDesc.xml"));
    ASSERT_GE(unreachable.hostAndWait(15000), 0);
    // Without a router the line still names this computer's addresses (or says it has none).
    const QStringList withAddresses = unreachable.lines.filter(
        QRegularExpression(QStringLiteral("^(Players on this network can join you at \\d|This computer has no "
                                          "address on a local network)")));
    EXPECT_EQ(withAddresses.size(), 1) << unreachable.said();
}

TEST(HostileRouter, AFaultWhileTalkingToTheRouterEndsOnlyThatConversation)
{
    StandInGateway gateway;
    StandInGateway::Script script;
    script.behaviour = StandInGateway::Behaviour::Silent;
    gateway.setScript(script);
    Hosting hosting(gateway);
    hosting.mapper.start(GamePort);
    // The conversation runs in a process of its own; a fault there (here a segmentation
    // fault sent from outside) must end it with a line in the chat and nothing more.
    QList<int> talkers;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            talkers.clear();
            const QString self = QStringLiteral("/proc/%1/task").arg(getpid());
            for (const QString &task : QDir(self).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                QFile children(self + QLatin1Char('/') + task + QStringLiteral("/children"));
                if (!children.open(QIODevice::ReadOnly))
                    continue;
                for (const QByteArray &child : children.readAll().simplified().split(' ')) {
                    QFile grand(QStringLiteral("/proc/%1/task/%1/children").arg(QString::fromLatin1(child)));
                    if (!child.isEmpty() && grand.open(QIODevice::ReadOnly)) {
                        for (const QByteArray &g : grand.readAll().simplified().split(' '))
                            if (!g.isEmpty())
                                talkers << g.toInt();
                    }
                }
            }
            return !talkers.isEmpty();
        },
        5000))
        << "no process talks to the router";
    for (int pid : talkers)
        ::kill(pid, SIGSEGV);
    ASSERT_TRUE(hosting.answered.wait(10000)) << hosting.said();
    EXPECT_FALSE(hosting.answered.at(0).at(0).toBool());
    EXPECT_TRUE(
        hosting.lines.join(QLatin1Char('\n')).contains(QLatin1String("The router could not open the port")))
        << hosting.said();
}

TEST(HostileRouter, TheRouterProgramRemovesTheMappingWhenTheGameVanishesWithoutAWord)
{
    StandInGateway gateway;
    QProcess program;
    program.start(QStringLiteral(DORVANE_ROUTER_HELPER),
                  {QString::number(GamePort), QStringLiteral("3600"), QString::fromLatin1(gateway.rootUrl())});
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            program.waitForReadyRead(50);
            return program.peek(4096).contains("opened");
        },
        10000))
        << program.readAllStandardOutput().constData();
    ASSERT_EQ(gateway.mappings().size(), 1);
    program.closeWriteChannel(); // what the pipes see when the game crashes
    EXPECT_TRUE(QTest::qWaitFor([&] { return gateway.mappings().isEmpty(); }, 10000));
    EXPECT_TRUE(program.state() == QProcess::NotRunning || program.waitForFinished(5000)) << "it ends after";
}

TEST(HostileRouter, AMissingRouterProgramIsReportedAndHostingGoesOn)
{
    StandInGateway gateway;
    PortMapper::Options o = optionsFor(gateway.rootUrl());
    o.helperProgram = QStringLiteral("/nonexistent/dorvane-router");
    PortMapper mapper(o);
    QSignalSpy answered(&mapper, &PortMapper::answered);
    QStringList lines;
    QObject::connect(&mapper, &PortMapper::statusLine, &mapper, [&](const QString &l) { lines.append(l); });
    mapper.start(GamePort);
    ASSERT_TRUE(answered.count() > 0 || answered.wait(5000));
    EXPECT_FALSE(answered.at(0).at(0).toBool());
    EXPECT_TRUE(lines.join(QLatin1Char('\n')).contains(QLatin1String("/nonexistent/dorvane-router")))
        << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(mapper.active()) << "the game still hosts";
    mapper.stop();
    EXPECT_FALSE(mapper.active());
}

TEST(HostileRouter, ARouterThatAnswersInChunksAndKeepsTheConnectionOpenIsUnderstood)
{
    StandInGateway gateway;
    StandInGateway::Script script;
    script.behaviour = StandInGateway::Behaviour::ChunkedKeptOpen;
    gateway.setScript(script);
    Hosting hosting(gateway);
    const qint64 ms = hosting.hostAndWait(20000);
    ASSERT_GE(ms, 0) << hosting.said();
    EXPECT_TRUE(hosting.answered.at(0).at(0).toBool()) << hosting.said();
    EXPECT_LT(ms, 3000) << "each answer is taken when its last chunk has come";
    EXPECT_EQ(gateway.mappings().size(), 1);
}

TEST(HostileRouter, AnswersToOpeningAnIPv6PinholeThatAreNoAnswerLeaveOnlyASentence)
{
    const QByteArray answerHead = "<?xml version=\"1.0\"?><s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/"
                                  "envelope/\"><s:Body><u:AddPinholeResponse>";
    const QByteArray answerTail = "</u:AddPinholeResponse></s:Body></s:Envelope>";
    const struct
    {
        const char *name;
        QByteArray body;
    } rows[] = {
        {"not xml", "\x01\x02 not xml at all <<<" + QByteArray(5000, 'z')},
        {"no id", answerHead + answerTail},
        {"id not a number", answerHead + "<UniqueID>abc</UniqueID>" + answerTail},
        {"id out of range", answerHead + "<UniqueID>99999999</UniqueID>" + answerTail},
        {"negative id", answerHead + "<UniqueID>-1</UniqueID>" + answerTail},
        {"huge id", answerHead + "<UniqueID>" + QByteArray(60000, '1') + "</UniqueID>" + answerTail},
        {"answer too long", answerHead + "<UniqueID>1</UniqueID>" + QByteArray(70000, ' ') + answerTail},
    };
    for (const auto &row : rows) {
        StandInGateway gateway;
        StandInGateway::Script script;
        script.ipv6FirewallControl = true;
        script.pinholeAnswer = row.body;
        gateway.setScript(script);
        PortMapper::Options o = optionsFor(gateway.rootUrl());
        o.ipv6Address = QStringLiteral("2001:db8::7");
        PortMapper mapper(o);
        QSignalSpy answered(&mapper, &PortMapper::answered);
        QStringList lines;
        QObject::connect(&mapper, &PortMapper::statusLine, &mapper, [&](const QString &l) { lines.append(l); });
        mapper.start(GamePort);
        ASSERT_TRUE(answered.count() > 0 || answered.wait(15000)) << row.name;
        EXPECT_TRUE(answered.at(0).at(0).toBool()) << row.name << ": the IPv4 port opens all the same";
        const QStringList ipv6 = lines.filter(QStringLiteral("IPv6"));
        ASSERT_EQ(ipv6.size(), 1) << row.name << ": " << lines.join('\n').toStdString();
        EXPECT_TRUE(ipv6.at(0).startsWith(QLatin1String("The router did not")))
            << row.name << ipv6.at(0).toStdString();
        EXPECT_LT(ipv6.at(0).size(), 200) << row.name << ": nothing of the answer is shown";
        EXPECT_TRUE(mapper.mapping().ipv6Address.isEmpty()) << row.name;
        QSignalSpy removed(&mapper, &PortMapper::removed);
        mapper.stop();
        ASSERT_TRUE(removed.wait(10000)) << row.name;
        EXPECT_TRUE(gateway.callsOf(QStringLiteral("DeletePinhole")).isEmpty())
            << row.name << ": no id was confirmed, so none is sent back";
        EXPECT_TRUE(gateway.mappings().isEmpty()) << row.name;
    }
}

TEST(HostileRouter, AnIPv6FirewallServiceOnAnotherPortIsNeverAsked)
{
    StandInGateway gateway;
    StandInGateway elsewhere;
    StandInGateway::Script script;
    script.ipv6FirewallControl = true;
    script.pinholeControlUrl = "http://127.0.0.1:" + QByteArray::number(elsewhere.port()) + "/ctl/IP6FCtl";
    gateway.setScript(script);
    StandInGateway::Script listening;
    listening.ipv6FirewallControl = true;
    elsewhere.setScript(listening);
    PortMapper::Options o = optionsFor(gateway.rootUrl());
    o.ipv6Address = QStringLiteral("2001:db8::7");
    PortMapper mapper(o);
    QSignalSpy answered(&mapper, &PortMapper::answered);
    QStringList lines;
    QObject::connect(&mapper, &PortMapper::statusLine, &mapper, [&](const QString &l) { lines.append(l); });
    mapper.start(GamePort);
    ASSERT_TRUE(answered.wait(15000));
    EXPECT_TRUE(answered.at(0).at(0).toBool()) << "the port-forwarding service itself is where it should be";
    EXPECT_TRUE(elsewhere.calls().isEmpty()) << "the other port was asked";
    EXPECT_TRUE(lines.filter(QStringLiteral("IPv6")).isEmpty()) << lines.join('\n').toStdString();
}
