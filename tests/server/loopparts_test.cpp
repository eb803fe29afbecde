// The pieces of the server's loop: the deadline heap and the first-message reader.
#include "preamblereader.h"
#include "timerheap.h"

#include <gtest/gtest.h>
#include <random>

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

} // namespace
