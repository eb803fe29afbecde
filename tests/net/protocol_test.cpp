// Protocol helpers: framing, command split and the field cursor.
#include "protocol.h"

#include <gtest/gtest.h>

namespace {

using protocol::FieldCursor;
using protocol::ProtocolError;

TEST(Protocol, FrameAppendsTheTerminatorOnly)
{
    EXPECT_EQ(protocol::frame("CMD_full+"), QByteArray("CMD_full+\xFF"));
    EXPECT_EQ(protocol::frame(""), QByteArray("\xFF"));
}

TEST(Protocol, SplitCommandCutsAtTheFirstPlus)
{
    struct Case
    {
        QByteArray line, command, rest;
    };
    const Case cases[] = {
        {"CMD_chat+1+Ann chats: a+b|clBlue", "CMD_chat", "1+Ann chats: a+b|clBlue"},
        {"CMD_full+", "CMD_full", ""},
        {"no separator here", "", ""},
        {"", "", ""},
        {"+leading", "", "leading"},
    };
    for (const Case &c : cases) {
        const auto [command, rest] = protocol::splitCommand(c.line);
        EXPECT_EQ(command, c.command) << c.line.constData();
        EXPECT_EQ(rest, c.rest) << c.line.constData();
    }
}

TEST(FieldCursor, TakesFieldsAndTheLastFieldKeepsItsPluses)
{
    FieldCursor cursor("2+Bob chats: 1+1=2 ++|$00FF0000");
    EXPECT_EQ(cursor.takeInt(), 2);
    EXPECT_EQ(cursor.takeRest(), QByteArray("Bob chats: 1+1=2 ++|$00FF0000"));
    EXPECT_TRUE(cursor.rest().isEmpty());

    FieldCursor fields("a++c");
    EXPECT_EQ(fields.take(), QByteArray("a"));
    EXPECT_EQ(fields.take(), QByteArray("")) << "an empty field between two separators";
    EXPECT_FALSE(fields.hasSeparator());
    EXPECT_EQ(fields.take(), QByteArray("c"));
    EXPECT_EQ(fields.take(), QByteArray("")) << "taking past the end gives empty fields";
}

TEST(FieldCursor, TakeIntAcceptsDecimalsOnly)
{
    const std::pair<QByteArray, int> good[] = {
        {"0", 0}, {"42", 42}, {"007", 7}, {"2147483647", 2147483647}, {"-5", -5}};
    for (const auto &[text, value] : good)
        EXPECT_EQ(FieldCursor(text).takeInt(), value) << text.constData();
    const QByteArray bad[] = {"", "abc", "1x", " 1", "1 ", "-", "2147483648", "99999999999999999999", "0x10"};
    for (const QByteArray &text : bad)
        EXPECT_THROW(FieldCursor(text).takeInt(), ProtocolError) << text.constData();
}

TEST(FieldCursor, ListReadsUntilTheSentinel)
{
    FieldCursor cursor("7+1+10+3");
    EXPECT_EQ(cursor.takeInt(), 7);
    EXPECT_EQ(cursor.takeList(), (QList<QByteArray>{"1", "10", "3"}));
    EXPECT_TRUE(cursor.rest().isEmpty());
    // An "@" inside the list is an element, not the end.
    EXPECT_EQ(FieldCursor("a+@+b").takeList(), (QList<QByteArray>{"a", "@", "b"}));
}

TEST(FieldCursor, DieListsAndTheirErrors)
{
    EXPECT_EQ(FieldCursor("none").takeDieList(), QList<int>{});
    EXPECT_EQ(FieldCursor("2+5+6+7+8+9").takeDieList(), (QList<int>{2, 5, 6, 7, 8, 9}));
    EXPECT_EQ(FieldCursor("1+10").takeDieList(), (QList<int>{1, 10}));
    const QByteArray bad[] = {"0", "11", "-1", "3+x", "none+1", "", "4+"};
    for (const QByteArray &text : bad)
        EXPECT_THROW(FieldCursor(text).takeDieList(), ProtocolError) << text.constData();
}

TEST(FieldCursor, ReadsTheScoresExample)
{
    const auto [command, rest] = protocol::splitCommand("CMD_scores+1+1+29+29+0+none+2+5+6+7+8+9");
    EXPECT_EQ(command, QByteArray("CMD_scores"));
    FieldCursor cursor(rest);
    int numbers[5];
    for (int &n : numbers)
        n = cursor.takeInt();
    EXPECT_EQ(QList<int>(std::begin(numbers), std::end(numbers)), (QList<int>{1, 1, 29, 29, 0}));
    EXPECT_EQ(cursor.take(), QByteArray("none"));
    EXPECT_EQ(cursor.takeDieList(), (QList<int>{2, 5, 6, 7, 8, 9}));
}

} // namespace
