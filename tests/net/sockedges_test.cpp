// TSock where it is given an address to listen on, used wrongly, or given a throwing handler.
#include "sock.h"
#include "socktestutil.h"

#include <gtest/gtest.h>

namespace {

// A listener given an address stays on it: a game on 127.0.0.1 is not reached over ::1, and
// one on ::1 is not reached over 127.0.0.1.
TEST(SockListenAddress, AGivenAddressIsTheOnlyOneListenedOn)
{
    if (!hasIPv6Loopback())
        GTEST_SKIP() << "this machine has no IPv6 loopback address (::1)";
    const struct
    {
        const char *listenOn, *reached, *refused;
    } rows[] = {
        {"127.0.0.1", "127.0.0.1", "::1"},
        {"::1", "::1", "127.0.0.1"},
        {"[::1]", "[::1]", "::ffff:127.0.0.1"},
    };
    for (const auto &row : rows) {
        TSock listener;
        TSock *accepted = nullptr;
        listener.OnAccept = [&](TSock *) { listener.Accept(accepted); };
        listener.setHostName(QString::fromLatin1(row.listenOn));
        listener.setPortName(QStringLiteral("0"));
        listener.setListen(true);
        const QString port = QString::number(listener.boundPort());
        ASSERT_NE(listener.boundPort(), 0) << row.listenOn;

        TSock refused;
        EventLog refusedLog;
        refusedLog.attach(refused);
        refused.setHostName(QString::fromLatin1(row.refused));
        refused.setPortName(port);
        refused.Open();
        ASSERT_TRUE(waitFor([&] { return !refusedLog.lines.filter(QStringLiteral("Error #")).isEmpty(); }))
            << row.listenOn << " reached over " << row.refused;
        EXPECT_EQ(refusedLog.lines.last(), infoLine(siError, "Error #10061 (WSAECONNREFUSED)")) << row.listenOn;
        EXPECT_EQ(accepted, nullptr) << row.listenOn;

        TSock reached;
        reached.setHostName(QString::fromLatin1(row.reached));
        reached.setPortName(port);
        reached.Open();
        EXPECT_TRUE(waitFor([&] { return reached.Connected() && accepted; })) << row.listenOn;
    }
}

TEST(SockListenAddress, AnIPv6AddressThatIsNoneRaisesTheLookupTexts)
{
    const std::pair<const char *, std::function<void()>> cases[] = {
        {"Host Lookup - Could Not Find Host Entry",
         [] {
             TSock s;
             s.setPortName("1");
             s.setHostName("2001:db8::zz");
             s.Open();
         }},
        {"Host Lookup - Could Not Find Host Entry",
         [] {
             TSock s;
             s.setPortName("1");
             s.setHostName("[:::]");
             s.Open();
         }},
        {"Listen - Error Binding Socket",
         [] {
             TSock s;
             s.setPortName("0");
             s.setHostName("::g");
             s.setListen(true);
         }},
    };
    for (const auto &[text, operation] : cases) {
        try {
            operation();
            ADD_FAILURE() << "no exception, expected " << text;
        } catch (const ESockException &e) {
            EXPECT_STREQ(e.what(), text);
        }
    }
}

TEST(SockMisuse, OperationsRaiseTheirTexts)
{
    TSock listener;
    listener.setPortName("0");
    listener.setListen(true);
    TSock closed;
    const std::pair<const char *, std::function<void()>> cases[] = {
        {"Send - Socket Not Connected", [&] { closed.Send("x"); }},
        {"Receive - Socket Not Connected", [&] { closed.Receive(); }},
        {"Accept - Socket Not In Listening Mode",
         [&] {
             TSock *s = nullptr;
             closed.Accept(s);
         }},
        {"Send - Cannot Send On A Listener Socket", [&] { listener.Send("x"); }},
        {"Receive - Cannot Receive On A Listener Socket", [&] { listener.Receive(); }},
        {"SocketType - Can't Assign Socket Type While Listening",
         [&] { listener.setSocketType(TSocketType::stDatagram); }},
        {"Listen - Cannot Listen On A Datagram Socket",
         [&] {
             TSock d;
             d.setSocketType(TSocketType::stDatagram);
             d.setListen(true);
         }},
        {"Port Lookup - Could Not Find Service Entry",
         [&] {
             TSock s;
             s.setPortName("no-such-service-here");
             s.Open();
         }},
        {"Port Lookup - Could Not Find Service Entry",
         [&] {
             TSock s;
             s.setPortName("99999");
             s.Open();
         }},
        {"Port Lookup - Could Not Find Service Entry",
         [&] {
             TSock s;
             s.setListen(true);
         }},
        {"Host Lookup - Could Not Find Host Entry",
         [&] {
             TSock s;
             s.setPortName("1");
             s.setHostName("999.1.2.3");
             s.Open();
         }},
    };
    for (const auto &[text, operation] : cases) {
        try {
            operation();
            ADD_FAILURE() << "no exception, expected " << text;
        } catch (const ESockException &e) {
            EXPECT_STREQ(e.what(), text);
        }
    }
}

TEST(SockMisuse, FailedLookupLeavesNoHandle)
{
    TSock sock;
    sock.setPortName("1");
    sock.setHostName("999.1.2.3");
    EXPECT_THROW(sock.Open(), ESockException);
    EXPECT_FALSE(sock.hasHandle());
}

TEST(SockInfo, ThrowingInfoHandlerBecomesErrorHereButCloseSwallowsIt)
{
    TSock sock;
    sock.OnInfo = [](TSock *, TSocketInfo, const QString &) { throw std::runtime_error("handler failed"); };
    EXPECT_NO_THROW(sock.Close());
    try {
        sock.setListen(false); // "Socket Closed" is swallowed, "Listening Stopped" is not
        ADD_FAILURE() << "expected Error here";
    } catch (const ESockException &e) {
        EXPECT_STREQ(e.what(), "Error here");
    }
}

TEST(SockInfo, CloseOnAClosedSockStillReportsAndDestructionReportsNothing)
{
    EventLog log;
    {
        TSock listener;
        log.attach(listener);
        listener.Close();
        EXPECT_EQ(log.lines, QStringList{infoLine(siClose, "Socket Closed")});
        listener.setPortName("0");
        listener.setListen(true);
        log.lines.clear();
    }
    EXPECT_TRUE(log.lines.isEmpty()) << "a dying component raises no events";
}

TEST(SockErrors, TextsUseWinSockCodesAndNames)
{
    const std::pair<int, const char *> texts[] = {
        {10061, "Error #10061 (WSAECONNREFUSED)"}, {10035, "Error #10035 (WSAEWOULDBLOCK)"},
        {10004, "Error #10004 (WSAEINTR)"},        {10093, "Error #10093 (WSANOTINITIALISED)"},
        {10101, "Error #10101 (WSAEDISCON)"},      {11001, "Error #11001 (WSAHOST_NOT_FOUND)"},
        {11004, "Error #11004 (WSANO_DATA)"},      {10072, "Error #10072 (UNKNOWN ERROR)"},
        {10000, "Error #10000 (UNKNOWN ERROR)"},   {111, "Error #111 (UNKNOWN ERROR)"},
    };
    for (const auto &[code, text] : texts)
        EXPECT_EQ(TSock::errorText(code), QString::fromLatin1(text)) << code;
    for (int code = 10035; code <= 10071; ++code)
        EXPECT_NE(TSock::errorName(code), QStringLiteral("UNKNOWN ERROR")) << code;
}

TEST(SockErrors, ErrnoMapsByNameNeverByNumber)
{
    const std::pair<int, int> map[] = {
        {EAGAIN, 10035},       {EWOULDBLOCK, 10035}, {EINPROGRESS, 10036},  {ECONNREFUSED, 10061},
        {ECONNRESET, 10054},   {ETIMEDOUT, 10060},   {ECONNABORTED, 10053}, {EADDRINUSE, 10048},
        {EHOSTUNREACH, 10065}, {ENOTCONN, 10057},    {EPIPE, 10054},        {EINTR, 10004},
        {EBADF, 10009},        {EINVAL, 10022},      {ENOENT, 0},
    };
    for (const auto &[err, code] : map)
        EXPECT_EQ(TSock::wsaCodeFromErrno(err), code) << "errno " << err;
}

} // namespace
