// dorvane-load against a real dorvane-host: a short chat load, each fault and each attack,
// mostly with the game timers a hundred times faster. The long runs are in bench/README.md.
#include <QProcess>
#include <cstdio>
#include <gtest/gtest.h>

#ifdef DORVANE_LOAD_EXE

namespace {

struct LoadCase
{
    const char *name;
    QStringList arguments;
    QString timeScale = QStringLiteral("0.01"); // the host's
    // The run judges the host's resident memory after the attack. Under AddressSanitizer
    // freed memory stays in the sanitizer's quarantine, so there the host's memory is not
    // given to the run (it then judges only that the players were served).
    bool judgesMemory = false;
};

#if defined(__SANITIZE_ADDRESS__)
constexpr bool MemoryMeansSomething = false;
#else
constexpr bool MemoryMeansSomething = true;
#endif

class DorvaneLoad : public ::testing::TestWithParam<LoadCase>
{
};

// Starts a host on an ephemeral port and returns its port, or 0.
quint16 startHost(QProcess &host, const QString &timeScale)
{
    host.start(QStringLiteral(DORVANE_HOST_EXE), {QStringLiteral("0"), QStringLiteral("--time-scale"), timeScale});
    if (!host.waitForStarted(5000) || !host.waitForReadyRead(10000))
        return 0;
    const QByteArray line = host.readLine().trimmed();
    return line.mid(line.lastIndexOf(' ') + 1).toUShort();
}

TEST_P(DorvaneLoad, NothingIsLostAndTheGameGoesOn)
{
    QProcess host;
    const quint16 port = startHost(host, GetParam().timeScale);
    ASSERT_NE(port, 0);
    QProcess load;
    load.setProcessChannelMode(QProcess::MergedChannels);
    QStringList arguments{QStringLiteral("--port"), QString::number(port)};
    if (MemoryMeansSomething || !GetParam().judgesMemory)
        arguments << QStringLiteral("--pid") << QString::number(host.processId());
    else
        std::printf("the host's memory is not judged under AddressSanitizer\n");
    load.start(QStringLiteral(DORVANE_LOAD_EXE), arguments + GetParam().arguments);
    ASSERT_TRUE(load.waitForFinished(60000));
    const QString output = QString::fromUtf8(load.readAll());
    EXPECT_EQ(load.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("PASS"))) << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("FAIL"))) << output.toStdString();
    EXPECT_EQ(host.state(), QProcess::Running) << "the host died";
    host.terminate();
    EXPECT_TRUE(host.waitForFinished(5000));
}

const LoadCase cases[] = {
    {"chat", {QStringLiteral("--clients"), QStringLiteral("9"), QStringLiteral("--lines"), QStringLiteral("5")}},
    {"killed", {QStringLiteral("--fault"), QStringLiteral("killed")}},
    {"halfsent", {QStringLiteral("--fault"), QStringLiteral("halfsent")}},
    {"nologin", {QStringLiteral("--fault"), QStringLiteral("nologin")}},
    {"flood", {QStringLiteral("--fault"), QStringLiteral("flood")}},
    // Attacks: each PASS line states what the attack could not do.
    {"unrolled_dice_and_long_die_lists",
     {QStringLiteral("--attack"), QStringLiteral("cheat"), QStringLiteral("--count"), QStringLiteral("20")}},
    {"relays_longer_than_clients_accept", {QStringLiteral("--attack"), QStringLiteral("oversize")}},
    {"chat_flood_served_in_turn",
     {QStringLiteral("--attack"), QStringLiteral("flood"), QStringLiteral("--count"), QStringLiteral("100"),
      QStringLiteral("--flooders"), QStringLiteral("2")},
     QStringLiteral("0.5")},
    {"connect_flood_close_rounds",
     {QStringLiteral("--attack"), QStringLiteral("churn"), QStringLiteral("--count"), QStringLiteral("3"),
      QStringLiteral("--flooders"), QStringLiteral("7"), QStringLiteral("--line-bytes"), QStringLiteral("60000")},
     QStringLiteral("1"),
     true},
    {"silent_connections",
     {QStringLiteral("--attack"), QStringLiteral("silent"), QStringLiteral("--wait-ms"), QStringLiteral("1000")}},
    {"one_byte_at_a_time_connections",
     {QStringLiteral("--attack"), QStringLiteral("silent"), QStringLiteral("--wait-ms"), QStringLiteral("1000"),
      QStringLiteral("--trickle")}},
    {"pause_between_turns",
     {QStringLiteral("--attack"), QStringLiteral("pause"), QStringLiteral("--count"), QStringLiteral("3"),
      QStringLiteral("--time-scale"), QStringLiteral("0.01")}},
};

INSTANTIATE_TEST_SUITE_P(Runs, DorvaneLoad, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<LoadCase> &info) {
                             return std::string(info.param.name);
                         });

} // namespace

#endif

// The parts of the table-server load run: answer-time statistics, source addresses,
// shards by code, the tally the load processes send, and the options.
#include "latencyhistogram.h"
#include "playertally.h"
#include "shardlist.h"
#include "tablecode.h"
#include "tableconnector.h"
#include "tablesoptions.h"

#include <QTemporaryFile>
#include <arpa/inet.h>
#include <map>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

TEST(LoadTables, LatencyPercentilesMergeAndTravelBetweenProcesses)
{
    LatencyHistogram low, high;
    for (int ms = 1; ms <= 50; ++ms)
        low.record(ms * 1000);
    for (int ms = 51; ms <= 99; ++ms)
        high.record(ms * 1000);
    high.record(1500123); // beyond the fine buckets
    LatencyHistogram all = low;
    all.merge(high);
    EXPECT_EQ(all.count(), 100u);
    EXPECT_NEAR(all.percentileMs(0.5), 50.0, 0.011);
    EXPECT_NEAR(all.percentileMs(0.99), 99.0, 0.011);
    EXPECT_NEAR(all.percentileMs(0.999), 1500.123, 0.001); // the largest bucket ends at the largest time
    EXPECT_DOUBLE_EQ(all.percentileMs(1), 1500.123);
    EXPECT_EQ(LatencyHistogram().percentileMs(0.99), 0.0);

    LatencyHistogram back;
    ASSERT_TRUE(LatencyHistogram::parse(all.serialize(), back));
    EXPECT_EQ(back.count(), all.count());
    EXPECT_EQ(back.maxMicros(), all.maxMicros());
    for (const double p : {0.01, 0.5, 0.9, 0.99})
        EXPECT_DOUBLE_EQ(back.percentileMs(p), all.percentileMs(p)) << p;
    LatencyHistogram untouched = low;
    for (const char *bad : {"", "7:1", "max:x", "max:5 7", "max:5 7:0", "max:5 7:", "max:5 99999999:1", "max:-1"})
        EXPECT_FALSE(LatencyHistogram::parse(bad, untouched)) << bad;
    EXPECT_EQ(untouched.count(), low.count());
}

TEST(LoadTables, TallyAddsUpOverProcesses)
{
    PlayerTally a, b;
    a.requests = 10;
    a.answers = 9;
    a.unanswered = 1;
    a.rolls.record(12000);
    b.requests = 5;
    b.answers = 5;
    b.refused = 2;
    b.allDone.record(30000);
    PlayerTally sent;
    ASSERT_TRUE(PlayerTally::parse(b.serialize(), sent));
    a.merge(sent);
    EXPECT_EQ(a.requests, 15);
    EXPECT_EQ(a.answers, 14);
    EXPECT_EQ(a.errors(), 3);
    EXPECT_EQ(a.rolls.count(), 1u);
    EXPECT_EQ(a.allDone.count(), 1u);
    EXPECT_EQ(a.allDone.maxMicros(), 30000);
    PlayerTally ignored;
    EXPECT_FALSE(PlayerTally::parse("counts 1 2 3\nmax:0\nmax:0\n", ignored));
    EXPECT_FALSE(PlayerTally::parse("counts 1 2 3 4 5 6 7 8 9 10\nmax:0\n", ignored));
    EXPECT_FALSE(PlayerTally::parse("counts 1 2 3 4 5 6 7 8 9 -10\nmax:0\nmax:0\n", ignored));
}

TEST(LoadTables, ConnectionsSpreadOverLoopbackSourceAddresses)
{
    const SourceSpread spread;
    // Ten thousand tables of four: no address holds more than the server admits from one.
    std::map<std::string, int> perAddress;
    for (long i = 0; i < 40000; ++i)
        ++perAddress[spread.addressFor(i)];
    EXPECT_EQ(int(perAddress.size()), spread.count);
    for (const auto &[address, n] : perAddress) {
        EXPECT_LE(n, 256) << address;
        EXPECT_EQ(address.rfind("127.0.0.", 0), 0u);
        EXPECT_NE(address, "127.0.0.1");
    }
    EXPECT_EQ(spread.mostPerAddress(40000), 160);
    EXPECT_NE(spread.addressFor(0), spread.addressFor(1)); // a table's seats come from different addresses

    // A connection made for the 6th address really comes from it.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length), 0);
    TableConnector connector;
    const int fd = connector.start(Endpoint{"127.0.0.1", ntohs(address.sin_port)}, spread.addressFor(5));
    ASSERT_GE(fd, 0);
    pollfd p{listener, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 5000), 1);
    sockaddr_in peer{};
    length = sizeof peer;
    const int accepted = ::accept(listener, reinterpret_cast<sockaddr *>(&peer), &length);
    ASSERT_GE(accepted, 0);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
    EXPECT_EQ(std::string(text), spread.addressFor(5));
    EXPECT_EQ(connector.start(Endpoint{"name.invalid", 7}, spread.addressFor(0)), -1);
    ::close(accepted);
    ::close(fd);
    ::close(listener);
}

TEST(LoadTables, ShardOfACodeAsTheServerComputesIt)
{
    // Every character stands where the code alphabet puts its capital.
    for (int c = 0; c < 128; ++c)
        EXPECT_EQ(ShardList::alphabetIndex(char(c)), tablecode::alphabetIndex(QChar(c).toUpper())) << c;
    std::string error;
    const std::optional<ShardList> three =
        ShardList::parse("# shards\n127.0.0.1:7801\n\n  [::1]:7802\nlocalhost:7803  \n", error);
    ASSERT_TRUE(three.has_value()) << error;
    ASSERT_EQ(three->size(), 3);
    EXPECT_EQ(three->at(1), (Endpoint{"::1", 7802}));
    EXPECT_EQ(three->shardOf("K7Q2M9XA"), 9 % 3);
    EXPECT_EQ(three->shardOf("k7q2-m9xa"), 9 % 3);
    EXPECT_EQ(three->shardOf("9AAAAAAA"), 31 % 3);
    EXPECT_EQ(three->shardOf("0AAAAAAA"), -1);
    EXPECT_EQ(three->shardOf(""), -1);
    EXPECT_EQ(ShardList(Endpoint{"127.0.0.1", 7772}).shardOf("Z2345678"), 0);
    for (const char *bad : {"127.0.0.1", "127.0.0.1:0", "127.0.0.1:70000", "::1:7772", "[::1:7772", ":7772"})
        EXPECT_FALSE(Endpoint::parse(bad).has_value()) << bad;
    EXPECT_FALSE(ShardList::parse("127.0.0.1:7801\nnonsense\n", error).has_value());
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    EXPECT_FALSE(ShardList::parse("# nothing\n", error).has_value());
}

TEST(LoadTables, OptionsNameOneKindOfServer)
{
    std::string error;
    auto options = parseTablesOptions({"--server", "127.0.0.1:7772", "--tables", "4500", "--pid", "12,13"}, error);
    ASSERT_TRUE(options.has_value()) << error;
    EXPECT_EQ(options->tables, 4500);
    EXPECT_EQ(options->servers->size(), 1);
    EXPECT_EQ(options->pids, (std::vector<int>{12, 13}));

    QTemporaryFile hosts;
    ASSERT_TRUE(hosts.open());
    hosts.write("101 127.0.0.1:4001\n102 127.0.0.1:4002\n");
    hosts.close();
    options = parseTablesOptions({"--hosts", hosts.fileName().toStdString(), "--tables", "1000"}, error);
    ASSERT_TRUE(options.has_value()) << error;
    EXPECT_EQ(options->tables, 2); // one table per game host
    EXPECT_EQ(options->pids, (std::vector<int>{101, 102}));

    const std::vector<std::vector<std::string>> refused = {
        {},
        {"--tables", "5"},
        {"--server", "127.0.0.1:7772", "--hosts", hosts.fileName().toStdString()},
        {"--server", "127.0.0.1:7772", "--tables"},
        {"--server", "127.0.0.1:7772", "--sources", "2:300"},
        {"--server", "127.0.0.1:7772", "--pid", "12,x"},
        {"--server", "127.0.0.1:7772", "--frobnicate", "1"},
        {"--hosts", hosts.fileName().toStdString(), "--churn", "10"},
        {"--shards", "/nonexistent/shards"},
    };
    for (const auto &words : refused) {
        error.clear();
        EXPECT_FALSE(parseTablesOptions(words, error).has_value()) << words.size();
        EXPECT_FALSE(error.empty());
    }
}

} // namespace

#if defined(DORVANE_LOAD_EXE) && defined(DORVANE_TABLE_SERVER_EXE)

namespace {

// A few tables played for a second on a real table server, with the server's timers and the
// players a hundred times faster: every table opens, seats its four players by code, and
// answers every request.
TEST(LoadTables, PlaysTablesOnARealTableServer)
{
    QProcess server;
    server.start(QStringLiteral(DORVANE_TABLE_SERVER_EXE),
                 {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--address"),
                  QStringLiteral("127.0.0.1"), QStringLiteral("--time-scale"), QStringLiteral("0.01")});
    ASSERT_TRUE(server.waitForStarted(5000));
    ASSERT_TRUE(server.waitForReadyRead(10000));
    const QByteArray line = server.readLine().trimmed();
    const QString port = QString::fromLatin1(line.mid(line.lastIndexOf(' ') + 1));
    QProcess load;
    load.setProcessChannelMode(QProcess::MergedChannels);
    load.start(QStringLiteral(DORVANE_LOAD_EXE),
               {QStringLiteral("tables"), QStringLiteral("--server"), QStringLiteral("127.0.0.1:") + port,
                QStringLiteral("--pid"), QString::number(server.processId()), QStringLiteral("--tables"),
                QStringLiteral("6"), QStringLiteral("--procs"), QStringLiteral("2"), QStringLiteral("--seconds"),
                QStringLiteral("1"), QStringLiteral("--idle-seconds"), QStringLiteral("1"),
                QStringLiteral("--pace-ms"), QStringLiteral("10"), QStringLiteral("--settle-ms"),
                QStringLiteral("200")});
    ASSERT_TRUE(load.waitForFinished(30000));
    const std::string output = QString::fromUtf8(load.readAll()).toStdString();
    EXPECT_EQ(load.exitCode(), 0) << output;
    EXPECT_NE(output.find("tables open (every seat logged in): 6\n"), std::string::npos) << output;
    EXPECT_NE(output.find("errors: 0 "), std::string::npos) << output;
    // The summary: tables, connections, servers, median, p99, max, requests a second, errors, ...
    const std::size_t summary = output.find("summary | 6 | 24 | 1 | ");
    ASSERT_NE(summary, std::string::npos) << output;
    double median = 0, p99 = 0, max = 0, rate = 0;
    long errors = -1;
    ASSERT_EQ(std::sscanf(output.c_str() + summary, "summary | 6 | 24 | 1 | %lf | %lf | %lf | %lf | %ld |",
                          &median, &p99, &max, &rate, &errors),
              5)
        << output;
    EXPECT_GT(rate, 0);
    EXPECT_EQ(errors, 0);
    EXPECT_GT(median, 0);
    EXPECT_LE(median, p99);
    EXPECT_LE(p99, max);
    server.terminate();
    EXPECT_TRUE(server.waitForFinished(5000));
}

} // namespace

#endif
