// Log-in deadlines: the earliest deadline, expiry in entry order, and a later holder of an
// entry kept apart from the connection that held it before.
#include "logindeadlines.h"

#include <gtest/gtest.h>

namespace {

TEST(LoginDeadlines, ReportsTheEarliestDeadlineAndExpiresThoseDueOnly)
{
    LoginDeadlines deadlines;
    EXPECT_FALSE(deadlines.nextDueMs().has_value());
    deadlines.watch(3, 7, 200);
    deadlines.watch(1, 8, 100);
    deadlines.watch(9, 9, 900);
    ASSERT_TRUE(deadlines.nextDueMs().has_value());
    EXPECT_EQ(*deadlines.nextDueMs(), 100 + LoginDeadlines::LoginTimeoutMs);

    EXPECT_TRUE(deadlines.expire(99 + LoginDeadlines::LoginTimeoutMs).isEmpty());
    const auto expired = deadlines.expire(200 + LoginDeadlines::LoginTimeoutMs);
    ASSERT_EQ(expired.size(), 2);
    EXPECT_EQ(expired[0].entry, 1);
    EXPECT_EQ(expired[0].connectionId, 8u);
    EXPECT_EQ(expired[1].entry, 3);
    EXPECT_FALSE(deadlines.watching(1));
    EXPECT_TRUE(deadlines.watching(9));
    EXPECT_EQ(*deadlines.nextDueMs(), 900 + LoginDeadlines::LoginTimeoutMs);
}

TEST(LoginDeadlines, ANewConnectionInAnEntryGetsItsOwnDeadline)
{
    LoginDeadlines deadlines;
    deadlines.watch(2, 1, 0);
    deadlines.watch(2, 2, 5000); // the first connection closed, another took entry 2
    EXPECT_TRUE(deadlines.expire(LoginDeadlines::LoginTimeoutMs).isEmpty());
    const auto expired = deadlines.expire(5000 + LoginDeadlines::LoginTimeoutMs);
    ASSERT_EQ(expired.size(), 1);
    EXPECT_EQ(expired[0].connectionId, 2u);
}

TEST(LoginDeadlines, IgnoresEntriesOutsideTheTableAndForgottenOnes)
{
    LoginDeadlines deadlines;
    deadlines.watch(0, 1, 0);
    deadlines.watch(LoginDeadlines::MaxEntries + 1, 2, 0);
    deadlines.watch(4, 0, 0); // no connection
    deadlines.watch(5, 3, 0);
    deadlines.forget(5);
    deadlines.forget(-1);
    EXPECT_FALSE(deadlines.nextDueMs().has_value());
    EXPECT_TRUE(deadlines.expire(1e12).isEmpty());
}

} // namespace
