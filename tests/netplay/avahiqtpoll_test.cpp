// The avahi poll interface on Qt's event loop: watches and timeouts as avahi uses them.
#include "avahiqtpoll.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <vector>

namespace {

struct SocketPair
{
    int fd[2] = {-1, -1};
    SocketPair() { ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, fd); }
    ~SocketPair()
    {
        ::close(fd[0]);
        ::close(fd[1]);
    }
    void sendByte(int side) { ASSERT_EQ(::write(fd[side], "x", 1), 1); }
    void drain(int side)
    {
        char buf[64];
        while (::read(fd[side], buf, sizeof buf) > 0) {
        }
    }
};

struct WatchLog
{
    const AvahiPoll *api = nullptr;
    std::vector<AvahiWatchEvent> events;
    std::vector<AvahiWatchEvent> seenByGetEvents;
    bool freeInCallback = false;
    SocketPair *pair = nullptr;
};

void watchCallback(AvahiWatch *w, int, AvahiWatchEvent event, void *data)
{
    auto *log = static_cast<WatchLog *>(data);
    log->events.push_back(event);
    log->seenByGetEvents.push_back(log->api->watch_get_events(w));
    if (log->pair)
        log->pair->drain(0);
    if (log->freeInCallback)
        log->api->watch_free(w);
}

struct timeval inMs(int ms)
{
    struct timeval tv
    {
    };
    gettimeofday(&tv, nullptr);
    tv.tv_usec += ms * 1000;
    tv.tv_sec += tv.tv_usec / 1000000;
    tv.tv_usec %= 1000000;
    return tv;
}

struct TimeoutLog
{
    const AvahiPoll *api = nullptr;
    std::vector<int> fired; // ids in firing order
    int id = 0;
    int rearmTimes = 0; // re-arms itself from its own callback this often
    bool freeInCallback = false;
};

void timeoutCallback(AvahiTimeout *t, void *data)
{
    auto *log = static_cast<TimeoutLog *>(data);
    log->fired.push_back(log->id);
    if (log->rearmTimes > 0) {
        --log->rearmTimes;
        const struct timeval tv = inMs(5);
        log->api->timeout_update(t, &tv);
    } else if (log->freeInCallback) {
        log->api->timeout_free(t);
    }
}

// Waits for a watch on a second socket that is readable from the start. The poll reports
// every ready socket in the same pass, so whatever the watches under test had due has been
// delivered once this one is called (and one more pass has run).
void waitForALaterWatchEvent(const AvahiPoll *api)
{
    SocketPair marker;
    WatchLog log;
    log.api = api;
    log.pair = &marker;
    marker.sendByte(1);
    AvahiWatch *w = api->watch_new(api, marker.fd[0], AVAHI_WATCH_IN, watchCallback, &log);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.events.empty(); }, 2000));
    api->watch_free(w);
    QCoreApplication::processEvents();
}

// Waits for a timeout due ms from now: every timeout due before it has fired by then.
void waitForALaterTimeout(const AvahiPoll *api, int ms)
{
    TimeoutLog marker{api, {}, 99};
    const struct timeval at = inMs(ms);
    AvahiTimeout *t = api->timeout_new(api, &at, timeoutCallback, &marker);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !marker.fired.empty(); }, 3000));
    api->timeout_free(t);
}

} // namespace

TEST(AvahiQtPoll, WatchesReportReadableAndWritableOnlyWhileAskedFor)
{
    AvahiQtPoll poll;
    SocketPair pair;
    WatchLog log;
    log.api = poll.poll();
    log.pair = &pair;
    AvahiWatch *w = log.api->watch_new(log.api, pair.fd[0], AVAHI_WATCH_IN, watchCallback, &log);
    waitForALaterWatchEvent(log.api);
    EXPECT_TRUE(log.events.empty()) << "nothing to read yet";

    pair.sendByte(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.events.empty(); }, 2000));
    EXPECT_EQ(log.events.front(), AVAHI_WATCH_IN);
    EXPECT_EQ(log.seenByGetEvents.front(), AVAHI_WATCH_IN) << "watch_get_events inside the callback";

    log.events.clear();
    log.api->watch_update(w, AvahiWatchEvent(0));
    pair.sendByte(1);
    waitForALaterWatchEvent(log.api);
    EXPECT_TRUE(log.events.empty()) << "a watch updated to no events stays quiet";

    log.api->watch_update(w, AVAHI_WATCH_OUT);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.events.empty(); }, 2000));
    EXPECT_EQ(log.events.front(), AVAHI_WATCH_OUT) << "an idle socket is writable";

    log.api->watch_free(w);
    EXPECT_EQ(poll.liveWatches(), 0);
    log.events.clear();
    waitForALaterWatchEvent(log.api);
    EXPECT_TRUE(log.events.empty()) << "a freed watch is never called";
}

TEST(AvahiQtPoll, AWatchFreedInsideItsOwnCallbackIsSafe)
{
    AvahiQtPoll poll;
    SocketPair pair;
    WatchLog log;
    log.api = poll.poll();
    log.freeInCallback = true;
    log.api->watch_new(log.api, pair.fd[0], AvahiWatchEvent(AVAHI_WATCH_IN | AVAHI_WATCH_OUT), watchCallback,
                       &log);
    pair.sendByte(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.events.empty(); }, 2000));
    waitForALaterWatchEvent(log.api);
    EXPECT_EQ(log.events.size(), 1u) << "freed at the first event, called no more";
    EXPECT_EQ(poll.liveWatches(), 0);
}

TEST(AvahiQtPoll, TimeoutsFireOnceInTimeOrderAndCanBeMovedOrDisarmed)
{
    AvahiQtPoll poll;
    const AvahiPoll *api = poll.poll();
    TimeoutLog late{api, {}, 2}, early{api, {}, 1}, never{api, {}, 3}, disarmed{api, {}, 4};
    std::vector<int> order;
    const struct timeval t60 = inMs(60), t10 = inMs(10), t20 = inMs(20);
    AvahiTimeout *a = api->timeout_new(api, &t60, timeoutCallback, &late);
    AvahiTimeout *b = api->timeout_new(api, &t10, timeoutCallback, &early);
    AvahiTimeout *c = api->timeout_new(api, nullptr, timeoutCallback, &never);
    AvahiTimeout *d = api->timeout_new(api, &t20, timeoutCallback, &disarmed);
    api->timeout_update(d, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !late.fired.empty(); }, 3000));
    waitForALaterTimeout(api, 80); // later than a second firing of every timeout above
    EXPECT_EQ(early.fired.size(), 1u);
    EXPECT_EQ(late.fired.size(), 1u) << "a timeout fires once unless avahi re-arms it";
    EXPECT_TRUE(never.fired.empty()) << "a null time means not armed";
    EXPECT_TRUE(disarmed.fired.empty()) << "updated to a null time";

    // A time already past fires from the event loop, not inside timeout_update.
    struct timeval past
    {
    };
    gettimeofday(&past, nullptr);
    past.tv_sec -= 5;
    api->timeout_update(c, &past);
    EXPECT_TRUE(never.fired.empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !never.fired.empty(); }, 2000));

    for (AvahiTimeout *t : {a, b, c, d})
        api->timeout_free(t);
    EXPECT_EQ(poll.liveTimeouts(), 0);
}

TEST(AvahiQtPoll, ATimeoutReArmedOrFreedFromItsCallback)
{
    AvahiQtPoll poll;
    const AvahiPoll *api = poll.poll();
    TimeoutLog repeating{api, {}, 1, 3};
    TimeoutLog freed{api, {}, 2, 0, true};
    const struct timeval now = inMs(0);
    api->timeout_new(api, &now, timeoutCallback, &freed);
    AvahiTimeout *r = api->timeout_new(api, &now, timeoutCallback, &repeating);
    ASSERT_TRUE(QTest::qWaitFor([&] { return repeating.fired.size() == 4; }, 3000));
    waitForALaterTimeout(api, 40); // later than one more re-arm
    EXPECT_EQ(repeating.fired.size(), 4u) << "three re-arms, then quiet";
    EXPECT_EQ(freed.fired.size(), 1u);
    EXPECT_EQ(poll.liveTimeouts(), 1) << "the self-freed timeout is gone";
    api->timeout_free(r);
}
