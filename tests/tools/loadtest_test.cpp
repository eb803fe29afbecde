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
