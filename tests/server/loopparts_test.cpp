// The pieces of the server's loop: the deadline heap, the first-message reader and a
// connection's queue of bytes the peer has not taken yet.
#include "connection.h"
#include "preamblereader.h"
#include "timerheap.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

namespace {

TEST(TimerHeap, HandsOutDueDeadlinesNearestFirstAndEqualOnesInOrder)
{
    TimerHeap heap;
    EXPECT_FALSE(heap.nextDueMs());
    EXPECT_FALSE(heap.takeDue(1e9));
    heap.add({30, 1, 0, 0});
    heap.add({10, 2, 0, 0});
    heap.add({20, 3, 0, 0});
    heap.add({10, 4, 0, 0});
    EXPECT_EQ(heap.nextDueMs(), 10);
    EXPECT_FALSE(heap.takeDue(9.9)) << "nothing is due yet";
    std::vector<quint64> owners;
    while (const auto d = heap.takeDue(25))
        owners.push_back(d->owner);
    EXPECT_EQ(owners, (std::vector<quint64>{2, 4, 3}));
    EXPECT_EQ(heap.nextDueMs(), 30);
    EXPECT_EQ(heap.size(), 1u);
}

TEST(TimerHeap, KeepsItsOrderThroughManyMixedAddsAndTakes)
{
    TimerHeap heap;
    std::mt19937 random(5);
    std::uniform_real_distribution<double> due(0, 1000);
    double now = 0;
    double last = -1;
    for (int round = 0; round < 200; ++round) {
        for (int i = 0; i < 50; ++i)
            heap.add({now + due(random), quint64(i), 0, 0});
        now += 100;
        while (const auto d = heap.takeDue(now)) {
            EXPECT_GE(d->dueMs, last);
            EXPECT_LE(d->dueMs, now);
            last = d->dueMs;
        }
    }
    EXPECT_GT(heap.size(), 0u);
    EXPECT_GT(*heap.nextDueMs(), now);
}

TEST(PreambleReader, CollectsAMessageThatTricklesInAndKeepsWhatFollows)
{
    PreambleReader reader;
    const QByteArray bytes = QByteArray("CMD_opentable+\xff"
                                        "CMD_logininfo+1+1.0.9+a\xff");
    for (qsizetype i = 0; i < 14; ++i)
        ASSERT_EQ(reader.feed(bytes.constData() + i, 1), PreambleReader::Status::NeedMore);
    ASSERT_EQ(reader.feed(bytes.constData() + 14, bytes.size() - 14), PreambleReader::Status::Complete);
    EXPECT_EQ(reader.line(), "CMD_opentable+");
    EXPECT_EQ(reader.rest(), bytes.mid(15));
    EXPECT_EQ(reader.feed("x", 1), PreambleReader::Status::Complete) << "later bytes are not its business";
}

TEST(PreambleReader, ReadsAtMost64BytesForTheFirstMessage)
{
    PreambleReader fits;
    const QByteArray longest = QByteArray(63, 'a') + char(0xFF);
    EXPECT_EQ(fits.feed(longest.constData(), 40), PreambleReader::Status::NeedMore);
    EXPECT_EQ(fits.feed(longest.constData() + 40, 24), PreambleReader::Status::Complete);
    EXPECT_EQ(fits.line(), QByteArray(63, 'a'));

    PreambleReader over;
    const QByteArray tooLong = QByteArray(64, 'a') + char(0xFF);
    EXPECT_EQ(over.feed(tooLong.constData(), 30), PreambleReader::Status::NeedMore);
    EXPECT_EQ(over.feed(tooLong.constData() + 30, 35), PreambleReader::Status::TooLong);

    PreambleReader endless;
    const QByteArray noEnd(64, 'b');
    EXPECT_EQ(endless.feed(noEnd.constData(), 64), PreambleReader::Status::TooLong)
        << "64 bytes without the terminator can never become a first message";
}

TEST(Connection, QueuesWhatThePeerDoesNotTakeAndGivesTheMemoryBackOnceSent)
{
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, pair), 0);
    const int small = 4096;
    ::setsockopt(pair[0], SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
    Connection connection(pair[0], AddressKey()); // closes pair[0]
    const QByteArray chunk(64 * 1024, 'x');
    qsizetype queued = 0;
    for (int i = 0; i < 8; ++i) {
        const qsizetype more = connection.write(chunk.constData(), chunk.size());
        ASSERT_GE(more, 0);
        queued += more;
    }
    EXPECT_GT(queued, 0) << "the peer reads nothing: the socket cannot take 512 KiB";
    EXPECT_EQ(connection.unsent(), queued);

    // The peer reads everything; flushing sends the rest in order.
    QByteArray received;
    qsizetype flushed = 0;
    for (int round = 0; round < 10000 && received.size() < 8 * chunk.size(); ++round) {
        char buffer[65536];
        const ssize_t n = ::recv(pair[1], buffer, sizeof buffer, 0);
        if (n > 0)
            received.append(buffer, n);
        const qsizetype sent = connection.flush();
        ASSERT_GE(sent, 0);
        flushed += sent;
    }
    EXPECT_EQ(received, chunk.repeated(8));
    EXPECT_EQ(flushed, queued);
    EXPECT_EQ(connection.unsent(), 0);

    ::close(pair[1]);
    EXPECT_EQ(connection.write("y", 1), -1) << "a peer that has gone is a failed send";
}

} // namespace
