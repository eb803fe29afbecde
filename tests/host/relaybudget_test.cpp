// RelayBudget: what one connection's relays may cost, over the host's clock.
#include "relaybudget.h"

#include <gtest/gtest.h>

namespace {

constexpr qint64 Rate = RelayBudget::BytesPerSecond;
constexpr qint64 Burst = RelayBudget::BurstBytes;

TEST(RelayBudget, BurstThenTheRateAndNeverMoreThanTheBurst)
{
    RelayBudget budget;
    budget.reset(3, 1000);
    EXPECT_TRUE(budget.take(3, Burst - 100, 1000));
    EXPECT_FALSE(budget.take(3, 101, 1000)) << "the burst is spent";
    EXPECT_TRUE(budget.take(3, 100, 1000));
    EXPECT_FALSE(budget.take(3, Rate / 2 + 1, 1500)) << "half a second refills half the rate";
    EXPECT_TRUE(budget.take(3, Rate / 2, 1500));
    // A long silence refills the burst and no more.
    EXPECT_EQ(budget.available(3, 1500 + 3600 * 1000), Burst);
    EXPECT_FALSE(budget.take(3, Burst + 1, 1500 + 3600 * 1000)) << "a relay above the burst never fits";
    EXPECT_TRUE(budget.take(3, Burst, 1500 + 3600 * 1000));
}

TEST(RelayBudget, EntriesAreChargedApartAndAFreshConnectionStartsFull)
{
    RelayBudget budget;
    for (int entry = 1; entry <= RelayBudget::MaxEntries; ++entry)
        budget.reset(entry, 0);
    ASSERT_TRUE(budget.take(2, Burst, 0));
    EXPECT_TRUE(budget.take(5, Burst, 0)) << "one sender's spending costs the others nothing";
    EXPECT_FALSE(budget.take(2, 1, 0));
    budget.reset(2, 0); // the entry's next connection
    EXPECT_TRUE(budget.take(2, Burst, 0));
    EXPECT_FALSE(budget.take(0, 1, 0));
    EXPECT_FALSE(budget.take(10, 1, 0));
}

TEST(RelayBudget, AClockThatGoesBackRefillsNothing)
{
    RelayBudget budget;
    budget.reset(1, 10000);
    ASSERT_TRUE(budget.take(1, Burst, 10000));
    EXPECT_FALSE(budget.take(1, 1, 500)) << "an earlier time gives nothing back";
    EXPECT_FALSE(budget.take(1, Rate / 2, 500 + 1000)) << "nor does time before the last charge";
    EXPECT_TRUE(budget.take(1, Rate / 2, 10000 + 500));
}

TEST(RelayBudget, TheSenderIsToldOnceUntilItHasPaused)
{
    using Verdict = RelayBudget::Verdict;
    RelayBudget budget;
    budget.reset(4, 0);
    EXPECT_EQ(budget.charge(4, Burst, 0), Verdict::Send);
    EXPECT_EQ(budget.charge(4, 1000, 0), Verdict::DropAndTell);
    EXPECT_EQ(budget.charge(4, 1000, 10), Verdict::Drop);
    EXPECT_EQ(budget.charge(4, 1000, 1000), Verdict::Send);
    EXPECT_EQ(budget.charge(4, Burst, 1000), Verdict::Drop) << "still the same flood: no second notice";
    const double paused = 1000 + 1000.0 * Burst / Rate; // the budget is full again
    EXPECT_EQ(budget.charge(4, Burst, paused), Verdict::Send);
    EXPECT_EQ(budget.charge(4, 1, paused), Verdict::DropAndTell) << "a new flood is told again";
}

} // namespace
