// Chat and action lines as the host relays them, and the payload a chat request carries.
#include "relayedchat.h"

#include <gtest/gtest.h>

namespace {

TEST(RelayedChat, ColourAfterTheFirstBarSeatBeforeTheFirstPlus)
{
    struct Case
    {
        QByteArray body;
        int seat;
        QString text;
        QColor color;
    };
    const QColor red(255, 0, 0);
    const Case cases[] = {
        {"2+Bob chats: hi|clBlue", 2, QStringLiteral("Bob chats: hi"), QColor(0, 0, 255)},
        {"2+Bob chats: a|b|clBlue", 2, QStringLiteral("Bob chats: a"), red},
        {"2+Bob chats: no colour", 2, QStringLiteral("Bob chats: no colour"), red},
        {"2+Bob x|$00FF8040", 2, QStringLiteral("Bob x"), QColor(64, 128, 255)},
        {"2+Bob x|", 2, QStringLiteral("Bob x"), red},
        {"2+a+b|clBlack", 2, QStringLiteral("a+b"), QColor(0, 0, 0)},
        {"12+far|clBlack", 12, QStringLiteral("far"), QColor(0, 0, 0)},
        // The host's own status lines, and lines without a seat number, come from seat 0.
        {"0+Waiting for the host.|clBlue", 0, QStringLiteral("Waiting for the host."), QColor(0, 0, 255)},
        {"x+text|clBlue", 0, QStringLiteral("text"), QColor(0, 0, 255)},
        {"no seat|clBlue", 0, QStringLiteral("no seat"), QColor(0, 0, 255)},
        {"0|clBlue+late", 0, QStringLiteral("0"), red},
        {"", 0, QString(), red},
        {"0+\xE2\x80\xAEturned\xE2\x80\xAC|clBlue", 0, QStringLiteral("turned"), QColor(0, 0, 255)},
    };
    for (const Case &c : cases) {
        const RelayedChat relayed = RelayedChat::parse(c.body);
        EXPECT_EQ(relayed.seat, c.seat) << c.body.toStdString();
        EXPECT_EQ(relayed.payload.text, c.text) << c.body.toStdString();
        EXPECT_EQ(relayed.payload.color, c.color) << c.body.toStdString();
    }
}

TEST(ChatPayload, BuildsTextBarAndColourName)
{
    EXPECT_EQ((ChatPayload{QStringLiteral("h\u00e9 | x"), QColor(0, 0, 0)}.build()), "h\xc3\xa9 | x|clBlack");
    EXPECT_EQ((ChatPayload{QStringLiteral("hi"), QColor(64, 128, 255)}.build()), "hi|$00FF8040");
    const ChatPayload sent{QStringLiteral("hello"), QColor(1, 2, 3)};
    EXPECT_EQ(ChatPayload::parse(QString::fromUtf8(sent.build())), sent) << "a text without a bar comes back";
}

} // namespace
