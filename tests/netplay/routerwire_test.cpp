// The pieces between the router and the game: the rule for where the router's commands may
// go, the reading of HTTP answers, and the lines the router program writes to the game.
#include "boundedhttp.h"
#include "routerwire.h"
#include "upnpgateway.h"

#include <gtest/gtest.h>

TEST(UpnpGateway, CommandsGoOnlyToTheMachineAndPortTheDescriptionCameFrom)
{
    const QByteArray from = "http://192.168.1.1:5000/rootDesc.xml";
    const struct
    {
        const char *control;
        bool accepted;
    } rows[] = {
        {"http://192.168.1.1:5000/ctl/IPConn", true},   {"http://192.168.1.1:5000/other/path?x=1", true},
        {"http://192.168.1.2:5000/ctl/IPConn", false},  // another machine
        {"http://192.168.1.1:5001/ctl/IPConn", false},  // another port
        {"http://192.168.1.1/ctl/IPConn", false},       // port 80
        {"https://192.168.1.1:5000/ctl/IPConn", false}, // another scheme
        {"http://user@192.168.1.1:5000/ctl", false},    // credentials smuggled in
        {"http://192.168.1.1.evil:5000/ctl", false},    {"", false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(UpnpGateway::sameOrigin(from, row.control), row.accepted) << row.control;
    EXPECT_TRUE(UpnpGateway::sameOrigin("http://10.0.0.1/desc.xml", "http://10.0.0.1:80/ctl"))
        << "port 80 is the same port written or not";
}

TEST(BoundedHttp, AnswersAreReadOnlyWhenCompleteAndChunksOnlyWhenWellFormed)
{
    HttpAnswer answer;
    ASSERT_TRUE(BoundedHttp::parse("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhelloEXTRA", answer));
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body, QByteArray("hello"));
    EXPECT_FALSE(BoundedHttp::parse("HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nhello", answer))
        << "an answer cut short is no answer";
    EXPECT_FALSE(BoundedHttp::parse("SSH-2.0\r\n\r\n", answer));
    EXPECT_FALSE(BoundedHttp::parse("HTTP/1.1 9999 Odd\r\n\r\n", answer));
    ASSERT_TRUE(BoundedHttp::parse(
        "HTTP/1.1 500 Internal\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nabcd\r\n3;x=y\r\nefg\r\n0\r\n\r\n",
        answer));
    EXPECT_EQ(answer.status, 500);
    EXPECT_EQ(answer.body, QByteArray("abcdefg"));

    QByteArray body;
    EXPECT_FALSE(BoundedHttp::unchunk("ffffffffffffffff\r\nab", body)) << "a size beyond the answer";
    EXPECT_FALSE(BoundedHttp::unchunk("-5\r\nab", body));
    EXPECT_FALSE(BoundedHttp::unchunk("zz\r\nab", body));
    EXPECT_FALSE(BoundedHttp::unchunk("4\r\nab", body)) << "a chunk cut short";
    EXPECT_FALSE(BoundedHttp::unchunk("2\r\nab\r\n", body)) << "no last chunk";
}

TEST(BoundedHttp, OnlyNumericHttpAddressesAreFetched)
{
    for (const char *url : {"ftp://127.0.0.1/x", "http://router.example/x", "http:///x", "not a url"}) {
        const HttpAnswer answer = BoundedHttp::get(url, 500);
        EXPECT_EQ(answer.status, 0) << url;
        EXPECT_FALSE(answer.problem.isEmpty()) << url;
    }
}

TEST(RouterWire, TheGameReadsTheProgramsLinesAsTheyComeAndDropsOverlongOnes)
{
    RouterMapping opened;
    opened.opened = true;
    opened.port = 47772;
    opened.lanAddress = QStringLiteral("192.168.1.5");
    opened.externalAddress = QStringLiteral("100.64.0.9");
    opened.privateExternal = true;
    RouterMapping failed;
    failed.problem = QStringLiteral("Two\nlines");

    const QByteArray all = RouterWire::answer(opened) + "removefailed " + QByteArray(RouterWire::MaxLine * 3, 'x')
                           + "\n" + RouterWire::answer(failed) + RouterWire::removed(QStringLiteral("Not gone."))
                           + RouterWire::removed({}) + RouterWire::stopped(QStringLiteral("Too slow."));
    RouterWire wire;
    QList<RouterWire::Event> events;
    for (qsizetype at = 0; at < all.size(); at += 7) // a pipe delivers pieces
        events += wire.feed(all.mid(at, 7));
    ASSERT_EQ(events.size(), 5);
    EXPECT_EQ(events[0].kind, RouterWire::Event::Answer);
    EXPECT_TRUE(events[0].mapping.opened);
    EXPECT_EQ(events[0].mapping.port, 47772);
    EXPECT_EQ(events[0].mapping.lanAddress, QStringLiteral("192.168.1.5"));
    EXPECT_EQ(events[0].mapping.externalAddress, QStringLiteral("100.64.0.9"));
    EXPECT_TRUE(events[0].mapping.privateExternal);
    EXPECT_FALSE(events[1].mapping.opened);
    EXPECT_EQ(events[1].mapping.problem, QStringLiteral("Two lines"));
    EXPECT_TRUE(events[1].mapping.lanAddress.isEmpty()) << "one answer's fields do not leak into the next";
    EXPECT_EQ(events[2].kind, RouterWire::Event::Removed);
    EXPECT_EQ(events[2].text, QStringLiteral("Not gone."));
    EXPECT_EQ(events[3].text, QString());
    EXPECT_EQ(events[4].kind, RouterWire::Event::Stopped);
    EXPECT_EQ(events[4].text, QStringLiteral("Too slow."));
}
