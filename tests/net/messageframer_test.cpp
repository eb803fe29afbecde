// MessageFramer: reassembly across reads and the limit on an unfinished message.
#include "messageframer.h"
#include "protocol.h"

#include <gtest/gtest.h>

namespace {

// Several messages with awkward content: empty, "+" runs, every byte but the terminator.
QList<QByteArray> sampleMessages()
{
    QByteArray allBytes;
    for (int b = 0; b < 255; ++b)
        allBytes.append(char(b));
    return {"CMD_sendlogininfo+3", "", "CMD_chat+1+Ann chats: a+b++c|clBlue", allBytes, "x"};
}

QByteArray streamOf(const QList<QByteArray> &messages)
{
    QByteArray stream;
    for (const QByteArray &m : messages)
        stream += protocol::frame(m);
    return stream;
}

TEST(MessageFramer, SplitAtEveryByteBoundaryGivesTheSameMessages)
{
    const QList<QByteArray> messages = sampleMessages();
    const QByteArray stream = streamOf(messages);
    for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
        MessageFramer framer;
        QList<QByteArray> got = framer.feed(stream.left(cut));
        got += framer.feed(stream.mid(cut));
        EXPECT_EQ(got, messages) << "cut at " << cut;
        EXPECT_EQ(framer.pendingSize(), 0) << "cut at " << cut;
    }
}

TEST(MessageFramer, OneByteAtATimeGivesTheSameMessages)
{
    const QList<QByteArray> messages = sampleMessages();
    const QByteArray stream = streamOf(messages);
    MessageFramer framer;
    QList<QByteArray> got;
    for (char byte : stream)
        got += framer.feed(QByteArray(1, byte));
    EXPECT_EQ(got, messages);
}

TEST(MessageFramer, KeepsTheTailUntilItsTerminatorArrives)
{
    MessageFramer framer;
    EXPECT_EQ(framer.feed("CMD_full+"), QList<QByteArray>());
    EXPECT_EQ(framer.pendingSize(), 9);
    EXPECT_EQ(framer.feed(protocol::frame("") + "CMD_win"), QList<QByteArray>{"CMD_full+"});
    EXPECT_EQ(framer.pendingSize(), 7);
}

TEST(MessageFramer, UnfinishedMessagePastTheLimitOverflows)
{
    const qsizetype limit = MessageFramer::MaxPending;
    struct Case
    {
        const char *name;
        QList<QByteArray> reads;
        bool overflows;
    };
    const QByteArray atLimit(limit, 'a');
    const Case cases[] = {
        {"exactly the limit, then its terminator", {atLimit, protocol::frame("")}, false},
        {"one byte past the limit, unfinished", {atLimit, "b"}, true},
        {"past the limit in several reads", {QByteArray(limit / 2, 'a'), QByteArray(limit / 2 + 1, 'a')}, true},
        // Regression: a long message whose terminator came in the same read passed.
        {"past the limit, terminator in the same read", {protocol::frame(atLimit + "b")}, true},
    };
    for (const Case &c : cases) {
        MessageFramer framer;
        for (const QByteArray &read : c.reads)
            framer.feed(read);
        EXPECT_EQ(framer.overflowed(), c.overflows) << c.name;
    }
}

TEST(MessageFramer, AfterOverflowNothingMoreUntilCleared)
{
    MessageFramer framer;
    const QList<QByteArray> before =
        framer.feed(protocol::frame("ok") + QByteArray(MessageFramer::MaxPending + 1, 'z'));
    EXPECT_EQ(before, QList<QByteArray>{"ok"}) << "messages completed before the overflow still count";
    EXPECT_TRUE(framer.overflowed());
    EXPECT_EQ(framer.pendingSize(), 0) << "the oversized tail is not kept";
    EXPECT_TRUE(framer.feed(protocol::frame("later")).isEmpty());
    framer.clear();
    EXPECT_FALSE(framer.overflowed());
    EXPECT_EQ(framer.feed(protocol::frame("again")), QList<QByteArray>{"again"});
}

} // namespace
