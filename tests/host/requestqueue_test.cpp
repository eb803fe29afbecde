// RequestQueue: connections served in turn, per-connection caps, and what a close forgets.
#include "requestqueue.h"

#include <gtest/gtest.h>

namespace {

QByteArray lines(const QByteArray &prefix, int count)
{
    QByteArray bytes;
    for (int n = 0; n < count; ++n)
        bytes += prefix + QByteArray::number(n) + '\xff';
    return bytes;
}

QList<QByteArray> drain(RequestQueue &queue)
{
    QList<QByteArray> served;
    while (!queue.isEmpty())
        served.append(queue.takeFirst().line);
    return served;
}

TEST(RequestQueue, ServesEntriesInTurnEachInItsOwnOrder)
{
    RequestQueue queue;
    queue.feed(5, 50, lines("e", 3));
    queue.feed(2, 20, lines("b", 1));
    queue.feed(9, 90, lines("i", 2));
    EXPECT_EQ(drain(queue), (QList<QByteArray>{"b0", "e0", "i0", "e1", "i1", "e2"}));
    EXPECT_EQ(queue.takeFirst().entry, 0) << "an empty queue gives an empty request";
    EXPECT_EQ(queue.bytes(), 0);
}

TEST(RequestQueue, CapsEachConnectionAndSparesOneThatMayNotBeClosed)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        RequestQueue::FeedResult closable, kept;
    } cases[] = {
        {"too many lines", lines("x", RequestQueue::MaxWaitingPerConnection + 1),
         RequestQueue::FeedResult::Flooded, RequestQueue::FeedResult::Trimmed},
        {"too many bytes", lines(QByteArray(50000, 'y'), 3), RequestQueue::FeedResult::Flooded,
         RequestQueue::FeedResult::Trimmed},
        {"a message past the limit", QByteArray(limits::MaxMessageBytes + 1, 'z') + '\xff',
         RequestQueue::FeedResult::Overflowed, RequestQueue::FeedResult::Trimmed},
    };
    for (const auto &c : cases) {
        RequestQueue queue;
        EXPECT_EQ(queue.feed(2, 1, c.bytes), c.closable) << c.name;
        EXPECT_EQ(queue.waitingOn(2), 0) << c.name << ": a connection to be closed keeps nothing waiting";

        EXPECT_EQ(queue.feed(1, 2, c.bytes, false), c.kept) << c.name;
        EXPECT_LE(queue.waitingOn(1), RequestQueue::MaxWaitingPerConnection) << c.name;
        EXPECT_LE(queue.bytes(), RequestQueue::MaxWaitingBytesPerConnection) << c.name;
        drain(queue);
        EXPECT_EQ(queue.feed(1, 2, "CMD_chat+1+still here\xff", false), RequestQueue::FeedResult::Queued)
            << c.name;
        EXPECT_EQ(queue.takeFirst().line, "CMD_chat+1+still here") << c.name << ": the connection is read on";
    }
}

TEST(RequestQueue, ResetEntryForgetsWaitingLinesAndTheUnfinishedMessage)
{
    RequestQueue queue;
    queue.feed(3, 7, lines("c", 4) + "CMD_chat+3+half");
    queue.feed(4, 8, lines("d", 1));
    queue.resetEntry(3);
    EXPECT_EQ(queue.size(), 1);
    EXPECT_EQ(queue.bytes(), 2);
    queue.feed(3, 9, "way\xff");
    EXPECT_EQ(drain(queue), (QList<QByteArray>{"way", "d0"}));
}

// Exactly at each cap a connection is still served; one line or byte more and it floods.
TEST(RequestQueue, CapsHoldExactlyAtTheirLimits)
{
    constexpr qsizetype Lines = RequestQueue::MaxWaitingPerConnection;
    constexpr qsizetype Bytes = RequestQueue::MaxWaitingBytesPerConnection;
    // Three lines, each within the message limit, of total + 0 or 1 bytes.
    auto threeLines = [](qsizetype total) {
        const qsizetype first = limits::MaxMessageBytes;
        const qsizetype second = limits::MaxMessageBytes - 10;
        return QByteArray(first, 'a') + '\xff' + QByteArray(second, 'b') + '\xff'
               + QByteArray(total - first - second, 'c') + '\xff';
    };
    const struct
    {
        const char *name;
        QByteArray bytes;
        RequestQueue::FeedResult result;
        qsizetype waiting; // lines waiting afterwards on a closable connection
    } rows[] = {
        {"as many lines as allowed", lines("x", int(Lines)), RequestQueue::FeedResult::Queued, Lines},
        {"one line more", lines("x", int(Lines) + 1), RequestQueue::FeedResult::Flooded, 0},
        {"as many bytes as allowed", threeLines(Bytes), RequestQueue::FeedResult::Queued, 3},
        {"one byte more", threeLines(Bytes + 1), RequestQueue::FeedResult::Flooded, 0},
        {"the longest message", QByteArray(limits::MaxMessageBytes, 'm') + '\xff',
         RequestQueue::FeedResult::Queued, 1},
        {"an unfinished message at the limit", QByteArray(limits::MaxMessageBytes, 'm'),
         RequestQueue::FeedResult::Queued, 0},
        {"an unfinished message past the limit", QByteArray(limits::MaxMessageBytes + 1, 'm'),
         RequestQueue::FeedResult::Overflowed, 0},
        {"entry outside 1 to 9 is ignored", lines("x", 3), RequestQueue::FeedResult::Queued, 0},
    };
    for (const auto &r : rows) {
        RequestQueue queue;
        const int entry = QByteArray(r.name).startsWith("entry outside") ? 10 : 4;
        EXPECT_EQ(queue.feed(entry, 1, r.bytes), r.result) << r.name;
        EXPECT_EQ(queue.waitingOn(4), r.waiting) << r.name;
        EXPECT_EQ(queue.size(), r.waiting) << r.name;
    }
}

// A connection that may not be closed keeps what fitted, and is read on after the rest.
TEST(RequestQueue, AConnectionThatMayNotBeClosedKeepsWhatFitted)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        qsizetype kept;
    } rows[] = {
        {"lines past the cap", lines("x", int(RequestQueue::MaxWaitingPerConnection) + 5),
         RequestQueue::MaxWaitingPerConnection},
        {"a message past the limit between two that fit",
         "CMD_a+1\xff" + QByteArray(limits::MaxMessageBytes + 10, 'z') + "\xff" + "CMD_b+1\xff", 1},
    };
    for (const auto &r : rows) {
        RequestQueue queue;
        EXPECT_EQ(queue.feed(1, 1, r.bytes, false), RequestQueue::FeedResult::Trimmed) << r.name;
        EXPECT_EQ(queue.waitingOn(1), r.kept) << r.name;
        EXPECT_EQ(queue.takeFirst().line.left(5), r.kept == 1 ? QByteArray("CMD_a") : QByteArray("x0")) << r.name;
    }
}

} // namespace
