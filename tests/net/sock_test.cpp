// TSock over real loopback connections on ephemeral ports.
#include "sock.h"
#include "socktestutil.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QByteArray everyByteValue(int rounds)
{
    QByteArray bytes;
    for (int r = 0; r < rounds; ++r) {
        for (int b = 0; b < 256; ++b)
            bytes.append(char(b));
    }
    return bytes;
}

class SockTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        listenerLog.attach(listener);
        listener.OnAccept = [this](TSock *) {
            TSock *sock = nullptr;
            if (listener.Accept(sock)) {
                accepted = sock;
                serverLog.attach(*accepted);
            }
        };
        listener.setPortName(QStringLiteral("0"));
        listener.setListen(true);
        port = listener.boundPort();
        ASSERT_NE(port, 0);
    }

    void connectClient()
    {
        clientLog.attach(client);
        client.setHostName(QStringLiteral("127.0.0.1"));
        client.setPortName(QString::number(port));
        EXPECT_FALSE(client.Open());
        ASSERT_TRUE(waitFor([&] { return client.Connected() && accepted; }));
    }

    // Everything the server side has received so far, taken with Receive as it arrives.
    void collectOnServer()
    {
        accepted->OnRead = [this](TSock *sender, int) { serverData += sender->Receive(); };
    }

    TSock listener;
    TSock client;
    TSock *accepted = nullptr;
    quint16 port = 0;
    EventLog listenerLog, serverLog, clientLog;
    QByteArray serverData;
};

TEST_F(SockTest, AcceptCreatesOwnedConnectedSockWithCopiedHandlersAndInfos)
{
    connectClient();
    EXPECT_EQ(accepted->parent(), &listener);
    EXPECT_TRUE(accepted->Connected());
    EXPECT_EQ(accepted->HostName(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(accepted->PortName(), QStringLiteral("0"));
    // The two setter infos went through the copied OnInfo, i.e. into the listener's log.
    const QStringList expectedListener{
        infoLine(siLookup, "Lookup Of Port 0"),
        infoLine(siListen, "Listening Started"),
        infoLine(siLookup, "Setting PortName While Connected Has No Effect"),
        infoLine(siLookup, "Setting HostName While Connected Has No Effect"),
        infoLine(siAccept, "Created New TSock Structure"),
    };
    EXPECT_EQ(listenerLog.lines, expectedListener);
    const QStringList expectedClient{
        infoLine(siLookup, "Lookup Of Port " + QString::number(port)),
        infoLine(siLookup, "Lookup Of Host 127.0.0.1"),
        infoLine(siConnect, "Non-Blocking Socket Connected"),
        "connect",
    };
    EXPECT_EQ(clientLog.lines, expectedClient);
}

TEST_F(SockTest, EveryByteValuePassesBothWays)
{
    connectClient();
    collectOnServer();
    QByteArray clientData;
    client.OnRead = [&](TSock *sender, int) { clientData += sender->Receive(); };
    const QByteArray bytes = everyByteValue(4);
    client.Send(bytes);
    accepted->Send(bytes);
    ASSERT_TRUE(waitFor([&] { return serverData.size() >= bytes.size() && clientData.size() >= bytes.size(); }));
    EXPECT_EQ(serverData, bytes);
    EXPECT_EQ(clientData, bytes);
}

TEST_F(SockTest, ReadCountIsWholeBufferAndReceiveTakesFromFront)
{
    connectClient();
    QList<int> counts;
    accepted->OnRead = [&](TSock *, int count) { counts << count; };
    client.Send("abc");
    ASSERT_TRUE(waitFor([&] { return !counts.isEmpty(); }));
    client.Send("defg");
    ASSERT_TRUE(waitFor([&] { return counts.size() == 2; }));
    EXPECT_EQ(counts, (QList<int>{3, 7})) << "Count is the buffer length, not the new piece";
    EXPECT_EQ(accepted->Receive(2), QByteArray("ab"));
    EXPECT_EQ(accepted->Receive(0), QByteArray());
    EXPECT_EQ(accepted->Receive(99), QByteArray("cdefg"));
    EXPECT_EQ(accepted->Receive(), QByteArray());
}

TEST_F(SockTest, SendBeforeConnectedIsDeliveredOnceUp)
{
    clientLog.attach(client);
    client.setHostName(QStringLiteral("127.0.0.1"));
    client.setPortName(QString::number(port));
    client.Open();
    ASSERT_FALSE(client.Connected());
    client.Send("early+bird");
    ASSERT_TRUE(waitFor([&] { return accepted != nullptr; }));
    collectOnServer();
    ASSERT_TRUE(waitFor([&] { return serverData == "early+bird"; })) << serverData.constData();
    EXPECT_EQ(client.sendBufferSize(), 0);
}

TEST_F(SockTest, RefusedConnectGivesOnlyTheErrorInfoAndThenSilence)
{
    clientLog.attach(client);
    const QString closedPort = QString::number(unusedPort());
    client.setHostName(QStringLiteral("127.0.0.1"));
    client.setPortName(closedPort);
    client.Open();
    ASSERT_TRUE(waitFor([&] { return clientLog.lines.size() >= 3; }));
    settle();
    const QStringList expected{
        infoLine(siLookup, "Lookup Of Port " + closedPort),
        infoLine(siLookup, "Lookup Of Host 127.0.0.1"),
        infoLine(siError, "Error #10061 (WSAECONNREFUSED)"),
    };
    EXPECT_EQ(clientLog.lines, expected);
    EXPECT_FALSE(client.Connected());
    EXPECT_TRUE(client.hasHandle()) << "the owner decides when to close";
    EXPECT_EQ(client.Open(), false) << "Open on an existing handle only reports the flag";
    client.Close();
    EXPECT_EQ(clientLog.lines.last(), infoLine(siClose, "Socket Closed"));
}

TEST_F(SockTest, OrderlyCloseDeliversLastDataThenDisconnectThenSocketClosed)
{
    connectClient();
    accepted->Send("last words");
    accepted->Close();
    ASSERT_TRUE(waitFor([&] { return clientLog.contains(infoLine(siClose, "Socket Closed")); }));
    const QStringList expected{
        infoLine(siReceive, "Non-Blocking Incoming Data"),
        "read 10",
        "disconnect",
        infoLine(siClose, "Socket Closed"),
    };
    EXPECT_EQ(clientLog.lines.mid(4), expected);
    EXPECT_FALSE(client.Connected());
    EXPECT_FALSE(client.hasHandle());
    EXPECT_EQ(client.Receive(), QByteArray("last words")) << "buffered data outlives the close";
    try {
        client.Receive();
        ADD_FAILURE() << "Receive on a closed, drained socket must raise";
    } catch (const ESockException &e) {
        EXPECT_STREQ(e.what(), "Receive - Socket Not Connected");
    }
}

TEST_F(SockTest, CloseInsideOnDisconnectGivesSocketClosedTwice)
{
    connectClient();
    client.OnDisconnect = [&](TSock *sender) {
        clientLog.lines << "disconnect";
        sender->Close();
    };
    accepted->Close();
    ASSERT_TRUE(waitFor([&] { return !client.hasHandle(); }));
    settle(50);
    EXPECT_EQ(clientLog.lines.mid(4),
              (QStringList{"disconnect", infoLine(siClose, "Socket Closed"), infoLine(siClose, "Socket Closed")}));
}

// Each role a handle is in refuses the others: what listening, setting the type and sending
// say in every state.
TEST_F(SockTest, EachStateRefusesWhatItCannotDo)
{
    connectClient();
    TSock connecting;
    connecting.setHostName(QStringLiteral("127.0.0.1"));
    connecting.setPortName(QString::number(unusedPort()));
    connecting.Open(); // refused later, as an event: until then it is connecting
    TSock idle;
    const struct
    {
        const char *name;
        TSock *sock;
        const char *listen;  // setListen(true): the error, or "" for none
        const char *setType; // setSocketType: the error, or ""
        bool connected, listening;
    } rows[] = {
        {"listener", &listener, "", "SocketType - Can't Assign Socket Type While Listening", false, true},
        {"connected client", &client, "Listen - Socket Already In Use",
         "SocketType - Can't Assign Socket Type While Connected", true, false},
        {"accepted socket", accepted, "Listen - Socket Already In Use",
         "SocketType - Can't Assign Socket Type While Connected", true, false},
        {"connecting client", &connecting, "Listen - Socket Already In Use", "", false, false},
        {"closed socket", &idle, "", "", false, false},
    };
    for (const auto &r : rows) {
        EXPECT_EQ(r.sock->Connected(), r.connected) << r.name;
        EXPECT_EQ(r.sock->Listen(), r.listening) << r.name;
        std::string typeError;
        try {
            r.sock->setSocketType(TSocketType::stStream);
        } catch (const ESockException &e) {
            typeError = e.what();
        }
        EXPECT_EQ(typeError, r.setType) << r.name;
        if (r.sock == &idle)
            continue; // listening on it would succeed and bind a port
        std::string listenError;
        try {
            r.sock->setListen(true);
        } catch (const ESockException &e) {
            listenError = e.what();
        }
        EXPECT_EQ(listenError, r.listen) << r.name;
        EXPECT_EQ(r.sock->Listen(), r.listening) << r.name << ": still in its state";
    }
    EXPECT_THROW(listener.Send("x"), ESockException) << "a listener sends nothing";
    EXPECT_THROW(idle.Send("x"), ESockException) << "a closed socket sends nothing";
}

TEST_F(SockTest, BindingAUsedPortFailsThenReportsSocketInUse)
{
    TSock second;
    EventLog log;
    log.attach(second);
    second.setPortName(QString::number(port));
    const char *expected[] = {"Listen - Error Binding Socket", "Listen - Socket Already In Use"};
    for (const char *text : expected) {
        try {
            second.setListen(true);
            ADD_FAILURE() << "expected " << text;
        } catch (const ESockException &e) {
            EXPECT_STREQ(e.what(), text);
        }
        EXPECT_FALSE(second.Listen());
        EXPECT_TRUE(second.hasHandle());
    }
    second.setListen(false);
    EXPECT_FALSE(second.hasHandle());
    EXPECT_EQ(log.lines.mid(log.lines.size() - 2),
              (QStringList{infoLine(siClose, "Socket Closed"), infoLine(siListen, "Listening Stopped")}));
}

TEST_F(SockTest, StoppingAListenerGivesSocketClosedThenListeningStopped)
{
    listener.setListen(true);
    listener.setListen(false);
    EXPECT_EQ(listenerLog.lines.mid(2),
              (QStringList{infoLine(siListen, "Listening Already Running"), infoLine(siClose, "Socket Closed"),
                           infoLine(siListen, "Listening Stopped")}));
    EXPECT_FALSE(listener.Listen());
    EXPECT_EQ(listener.boundPort(), 0);
    // The port is free again at once (SO_REUSEADDR), so the same port listens again.
    listener.setPortName(QString::number(port));
    listener.setListen(true);
    EXPECT_EQ(listener.boundPort(), port);
}

TEST_F(SockTest, AcceptWithNothingPendingFailsAndLeavesTheVariable)
{
    TSock *untouched = reinterpret_cast<TSock *>(0x1234);
    EXPECT_FALSE(listener.Accept(untouched));
    EXPECT_EQ(untouched, reinterpret_cast<TSock *>(0x1234));
    EXPECT_EQ(listenerLog.lines.last(), infoLine(siAccept, "Could Not Accept Connection"));
}

TEST_F(SockTest, HostNamesAreResolved)
{
    clientLog.attach(client);
    client.setHostName(QStringLiteral("LocalHost"));
    client.setPortName(QString::number(port));
    client.Open();
    ASSERT_TRUE(waitFor([&] { return client.Connected(); }));
    EXPECT_TRUE(clientLog.contains(infoLine(siLookup, "Lookup Of Host LocalHost")));
}

TEST_F(SockTest, PendingConnectionIsAnnouncedOnceUntilAccepted)
{
    int announcements = 0;
    listener.OnAccept = [&](TSock *) { ++announcements; };
    TSock clients[3];
    for (TSock &c : clients) {
        c.setHostName(QStringLiteral("127.0.0.1"));
        c.setPortName(QString::number(port));
        c.Open();
    }
    ASSERT_TRUE(waitFor([&] { return announcements == 1; }));
    settle();
    EXPECT_EQ(announcements, 1) << "an unanswered announcement is not repeated";
    QList<TSock *> taken;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(waitFor([&] { return announcements == i + 1; })) << i;
        TSock *sock = nullptr;
        ASSERT_TRUE(listener.Accept(sock)) << i;
        taken << sock;
    }
    EXPECT_EQ(listener.findChildren<TSock *>().size(), 3);
    EXPECT_TRUE(
        waitFor([&] { return clients[0].Connected() && clients[1].Connected() && clients[2].Connected(); }));
}

TEST_F(SockTest, LargeSendArrivesWholeAndTheWriteWatchEndsWithTheBuffer)
{
    connectClient();
    QByteArray big(6 * 1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char((i * 131 + i / 7) & 0xFF);
    int reads = 0;
    accepted->OnRead = [&](TSock *sender, int) {
        if (++reads % 4 == 0) // a slow reader: takes its data only now and then
            serverData += sender->Receive();
        QThread::usleep(300);
    };
    int writes = 0;
    client.OnWrite = [&](TSock *) { ++writes; };
    client.Send(big);
    EXPECT_GT(client.sendBufferSize(), 0) << "one send cannot take 6 MB";
    ASSERT_TRUE(waitFor(
        [&] {
            if (reads % 4 != 0) // what the slow reader left behind
                serverData += accepted->Receive();
            return serverData.size() >= big.size();
        },
        30000));
    EXPECT_TRUE(serverData == big) << "data differs";
    EXPECT_GT(writes, 0) << "the leftovers went out with write events";
    EXPECT_EQ(client.sendBufferSize(), 0);
    QSocketNotifier *writeWatch = notifierOf(client, QSocketNotifier::Write);
    ASSERT_NE(writeWatch, nullptr);
    EXPECT_FALSE(writeWatch->isEnabled());
    const int writesBefore = writes;
    settle();
    EXPECT_EQ(writes, writesBefore) << "no write events with an empty buffer";
}

TEST_F(SockTest, SendToAResetPeerGivesErrorInfoNotSigpipe)
{
    // The peer is a plain socket that aborts its connection (RST).
    const int peer = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(peer, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_TRUE(waitFor([&] { return accepted != nullptr; }));
    const linger abort{1, 0};
    ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    ::close(peer);
    ASSERT_TRUE(waitFor([&] { return serverLog.lines.filter("Error #").size() >= 1; }));
    for (int i = 0; i < 5; ++i)
        accepted->Send(QByteArray(1000, 'x'));
    settle();
    EXPECT_GE(serverLog.lines.filter("Error #").size(), 2) << "the sends failed too, and we are still alive";
    for (const QString &line : serverLog.lines.filter("Error #"))
        EXPECT_EQ(line, infoLine(siError, "Error #10054 (WSAECONNRESET)"));
    EXPECT_FALSE(serverLog.contains("disconnect"));
    EXPECT_FALSE(serverLog.contains(infoLine(siClose, "Socket Closed"))) << "the owner closes, not the component";
    EXPECT_TRUE(accepted->hasHandle());
    const qsizetype seen = serverLog.lines.size();
    settle();
    EXPECT_EQ(serverLog.lines.size(), seen) << "an errored connection raises nothing more";
    accepted->Close();
    EXPECT_EQ(serverLog.lines.last(), infoLine(siClose, "Socket Closed"));
}

TEST_F(SockTest, EmptySendWithEmptyBufferDoesNothing)
{
    connectClient();
    const qsizetype seen = clientLog.lines.size();
    EXPECT_TRUE(client.Send(QByteArray()));
    EXPECT_EQ(clientLog.lines.size(), seen);
    EXPECT_TRUE(client.Send("x"));
    EXPECT_EQ(clientLog.lines.last(), infoLine(siSend, "Non-Blocking Outgoing Data"));
}

// A listener without a host name takes IPv4 and IPv6 on one handle; the peer's address
// reads as plain IPv4 also when it came mapped into IPv6.
TEST_F(SockTest, ListenerOnEveryAddressTakesIPv6AndReportsMappedPeersAsIPv4)
{
    if (!hasIPv6Loopback())
        GTEST_SKIP() << "this machine has no IPv6 loopback address (::1)";
    const struct
    {
        const char *host;     // what the client connects to
        const char *reported; // the accepted socket's HostName
    } rows[] = {
        {"::1", "::1"},
        {"[::1]", "::1"},
        {"::ffff:127.0.0.1", "127.0.0.1"},
        {"127.0.0.1", "127.0.0.1"},
    };
    for (const auto &row : rows) {
        accepted = nullptr;
        TSock peer;
        EventLog log;
        log.attach(peer);
        peer.setHostName(QString::fromLatin1(row.host));
        peer.setPortName(QString::number(port));
        peer.Open();
        ASSERT_TRUE(waitFor([&] { return peer.Connected() && accepted; }))
            << row.host << log.lines.join(' ').toStdString();
        EXPECT_EQ(accepted->HostName(), QString::fromLatin1(row.reported)) << row.host;
        collectOnServer();
        serverData.clear();
        peer.Send("over " + QByteArray(row.host));
        EXPECT_TRUE(waitFor([&] { return serverData == "over " + QByteArray(row.host); })) << row.host;
        EXPECT_TRUE(log.contains(infoLine(siLookup, QStringLiteral("Lookup Of Host ") + row.host))) << row.host;
        delete accepted;
    }
}

} // namespace
