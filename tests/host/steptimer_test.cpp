// StepTimer: arming, waking, scaling and firing, one table per rule.
#include "steptimer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

using Mode = StepTimer::Mode;

TEST(StepTimer, ArmingRunsWithTheScaledIntervalOrStaysIdleAtZero)
{
    const struct
    {
        const char *name;
        Mode mode;
        int minimumMs;
        double scale;
        int armMs;
        bool running;
        int intervalMs;
    } rows[] = {
        {"plain interval", Mode::SingleShot, 0, 1.0, 500, true, 500},
        {"scaled down", Mode::Repeating, 0, 0.1, 1000, true, 100},
        {"scaled up", Mode::SingleShot, 0, 3.0, 700, true, 2100},
        {"rounded to milliseconds", Mode::SingleShot, 0, 0.001, 1500, true, 2},
        {"never below the minimum", Mode::SingleShot, 1, 0.0001, 500, true, 1},
        {"the minimum does not stretch a longer interval", Mode::SingleShot, 1, 1.0, 20, true, 20},
        {"zero stays idle", Mode::SingleShot, 1, 1.0, 0, false, 0},
        {"zero stays idle when repeating", Mode::Repeating, 0, 1.0, 0, false, 0},
    };
    for (const auto &r : rows) {
        StepTimer timer(r.mode, r.minimumMs);
        timer.setTimeScale(r.scale);
        timer.arm(r.armMs, 7);
        EXPECT_TRUE(timer.armed()) << r.name;
        EXPECT_EQ(timer.step(), 7) << r.name;
        EXPECT_EQ(timer.running(), r.running) << r.name;
        EXPECT_EQ(timer.runningIntervalMs(), r.intervalMs) << r.name;
    }
}

TEST(StepTimer, WakeStartsOnlyAnArmedIdleTimer)
{
    enum Before { IdleArmed, Running, Disabled };
    const struct
    {
        const char *name;
        Before before;
        int wakeMs;
        bool armed, running;
        int intervalMs;
    } rows[] = {
        {"armed and idle, real interval", IdleArmed, 300, true, true, 300},
        {"armed and idle, interval still 0", IdleArmed, 0, true, false, 0},
        {"already running keeps its interval", Running, 300, true, true, 50},
        {"disabled stays disabled", Disabled, 300, false, false, 0},
    };
    for (const auto &r : rows) {
        StepTimer timer(Mode::SingleShot);
        timer.arm(r.before == Running ? 50 : 0, 2);
        if (r.before == Disabled)
            timer.disable();
        timer.wake(r.wakeMs);
        EXPECT_EQ(timer.armed(), r.armed) << r.name;
        EXPECT_EQ(timer.running(), r.running) << r.name;
        EXPECT_EQ(timer.runningIntervalMs(), r.intervalMs) << r.name;
        EXPECT_EQ(timer.step(), 2) << r.name << ": waking keeps the step";
    }
}

TEST(StepTimer, RearmingAndRescalingReplaceThePendingFiring)
{
    StepTimer timer(Mode::SingleShot);
    timer.arm(400, 1);
    timer.arm(900, 2);
    EXPECT_EQ(timer.step(), 2);
    EXPECT_EQ(timer.runningIntervalMs(), 900);
    timer.setTimeScale(0.5);
    EXPECT_EQ(timer.runningIntervalMs(), 450) << "a running timer restarts on the new scale";
    timer.disable();
    EXPECT_FALSE(timer.armed());
    EXPECT_FALSE(timer.running());
    timer.setTimeScale(2.0);
    EXPECT_FALSE(timer.running()) << "rescaling does not start a disabled timer";
}

// Runs the event loop until count firings were seen (at most five seconds).
QList<std::pair<int, bool>> firings(StepTimer &timer, int count)
{
    QList<std::pair<int, bool>> seen; // step, armed while the signal runs
    QObject::connect(&timer, &StepTimer::fired, &timer, [&](int step) { seen.append({step, timer.armed()}); });
    QElapsedTimer clock;
    clock.start();
    while (seen.size() < count && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return seen;
}

TEST(StepTimer, FiresWithItsStepAndASingleShotDisarmsFirst)
{
    const struct
    {
        const char *name;
        Mode mode;
        int count;
        bool armedWhileFiring;
    } rows[] = {
        {"single shot", Mode::SingleShot, 1, false},
        {"repeating", Mode::Repeating, 3, true},
    };
    for (const auto &r : rows) {
        StepTimer timer(r.mode);
        timer.arm(1, 5);
        const auto seen = firings(timer, r.count);
        ASSERT_EQ(seen.size(), r.count) << r.name;
        for (const auto &[step, armed] : seen) {
            EXPECT_EQ(step, 5) << r.name;
            EXPECT_EQ(armed, r.armedWhileFiring) << r.name;
        }
        EXPECT_EQ(timer.running(), r.mode == Mode::Repeating) << r.name;
    }
}

} // namespace
