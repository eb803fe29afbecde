// The command-line programs run as separate processes, the way a user or a script runs them.
#include <QByteArray>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Reads from a connected socket until `expected` has arrived or the timeout passes.
QByteArray readUntil(int fd, const QByteArray &expected, int timeoutMs)
{
    QByteArray got;
    while (!got.contains(expected)) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            break;
        char buf[4096];
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        got.append(buf, n);
    }
    return got;
}

int connectTo(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

QByteArray frame(const QByteArray &message)
{
    return message + char(0xFF);
}

} // namespace

TEST(DorvaneHost, ListensOnAnEphemeralPortServesClientsAndStopsOnSigterm)
{
    QProcess host;
    host.start(QStringLiteral(DORVANE_HOST_EXE),
               {QStringLiteral("0"), QStringLiteral("--time-scale"), QStringLiteral("0.01")});
    ASSERT_TRUE(host.waitForStarted(5000));
    ASSERT_TRUE(host.waitForReadyRead(10000));
    const QByteArray line = host.readLine().trimmed();
    ASSERT_TRUE(line.startsWith("dorvane-host listening on port ")) << line.constData();
    const quint16 port = line.mid(line.lastIndexOf(' ') + 1).toUShort();
    ASSERT_NE(port, 0);

    const int alice = connectTo(port);
    ASSERT_GE(alice, 0);
    EXPECT_TRUE(readUntil(alice, frame("CMD_sendlogininfo+1"), 5000).contains(frame("CMD_sendlogininfo+1")));
    const QByteArray login = frame("CMD_logininfo+1+1.0.9+alice") + frame("CMD_chat+1+hi + bye|clBlue");
    ASSERT_EQ(::send(alice, login.constData(), login.size(), MSG_NOSIGNAL), login.size());
    const QByteArray got = readUntil(alice, "chats:", 5000);
    EXPECT_TRUE(got.contains(frame("CMD_newplayerinfo+1+alice"))) << got.constData();
    EXPECT_TRUE(got.contains("CMD_chat+1+alice chats: hi + bye|clBlue")) << got.constData();
    ::close(alice);

    host.terminate(); // SIGTERM
    ASSERT_TRUE(host.waitForFinished(5000));
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(host.exitCode(), 0);
}

TEST(DorvaneHost, PortInUseExitsWithTheSocketErrorText)
{
    QProcess first;
    first.start(QStringLiteral(DORVANE_HOST_EXE), {QStringLiteral("0")});
    ASSERT_TRUE(first.waitForReadyRead(10000));
    const QByteArray line = first.readLine().trimmed();
    const QString port = QString::fromLatin1(line.mid(line.lastIndexOf(' ') + 1));

    QProcess second;
    second.start(QStringLiteral(DORVANE_HOST_EXE), {port});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_NE(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().contains("Listen - Error Binding Socket"));

    first.terminate();
    first.waitForFinished(5000);
}

TEST(DorvaneHost, ListensOnIPv6AsWellAsIPv4)
{
    const int probe = ::socket(AF_INET6, SOCK_STREAM, 0);
    if (probe < 0)
        GTEST_SKIP() << "this machine has no IPv6";
    ::close(probe);
    QProcess host;
    host.start(QStringLiteral(DORVANE_HOST_EXE), {QStringLiteral("0")});
    ASSERT_TRUE(host.waitForReadyRead(10000));
    const QByteArray line = host.readLine().trimmed();
    const quint16 port = line.mid(line.lastIndexOf(' ') + 1).toUShort();
    ASSERT_NE(port, 0) << line.constData();
    const int v6 = ::socket(AF_INET6, SOCK_STREAM, 0);
    sockaddr_in6 addr{};
    addr.sin6_family = AF_INET6;
    addr.sin6_port = htons(port);
    addr.sin6_addr = in6addr_loopback;
    if (::connect(v6, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        ::close(v6);
        host.terminate();
        host.waitForFinished(5000);
        GTEST_SKIP() << "this machine has no IPv6 loopback address (::1)";
    }
    EXPECT_TRUE(readUntil(v6, frame("CMD_sendlogininfo+1"), 5000).contains(frame("CMD_sendlogininfo+1")));
    const int v4 = connectTo(port);
    ASSERT_GE(v4, 0);
    EXPECT_TRUE(readUntil(v4, frame("CMD_sendlogininfo+2"), 5000).contains(frame("CMD_sendlogininfo+2")));
    ::close(v4);
    ::close(v6);
    host.terminate();
    ASSERT_TRUE(host.waitForFinished(5000));
}

TEST(DorvaneSim, SameSeedGivesTheSameGames)
{
    auto run = [](const QString &seed) {
        QProcess sim;
        sim.start(QStringLiteral(DORVANE_SIM_EXE),
                  {QStringLiteral("--games"), QStringLiteral("50"), QStringLiteral("--seats"), QStringLiteral("4"),
                   QStringLiteral("--seed"), seed});
        sim.waitForFinished(60000);
        EXPECT_EQ(sim.exitCode(), 0);
        QList<QByteArray> lines = sim.readAllStandardOutput().split('\n');
        lines.removeIf([](const QByteArray &l) { return l.startsWith("games per second"); });
        return lines;
    };
    const auto a = run(QStringLiteral("5"));
    EXPECT_EQ(a, run(QStringLiteral("5")));
    EXPECT_NE(a, run(QStringLiteral("6")));
    EXPECT_TRUE(a.size() > 4);
}

TEST(DorvaneLzrw1, RoundTripsAFileAndReportsADamagedOne)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.txt"));
    const QString packed = dir.filePath(QStringLiteral("packed.tld"));
    const QString back = dir.filePath(QStringLiteral("back.txt"));
    QByteArray text;
    for (int i = 0; i < 2000; ++i)
        text += "line " + QByteArray::number(i % 37) + "\r\n";
    {
        QFile f(plain);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    auto tool = [](const QStringList &args) {
        QProcess p;
        p.start(QStringLiteral(DORVANE_LZRW1_EXE), args);
        p.waitForFinished(30000);
        return std::make_pair(p.exitCode(), p.readAllStandardError());
    };
    EXPECT_EQ(tool({QStringLiteral("compress"), plain, packed}).first, 0);
    EXPECT_EQ(tool({QStringLiteral("decompress"), packed, back}).first, 0);
    QFile b(back);
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    EXPECT_EQ(b.readAll(), text);

    const auto [code, err] = tool({QStringLiteral("decompress"), plain, dir.filePath(QStringLiteral("x"))});
    EXPECT_NE(code, 0);
    EXPECT_TRUE(err.contains("this file has no valid header !")) << err.constData();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("x"))));
}
