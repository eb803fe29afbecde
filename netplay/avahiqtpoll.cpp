#include "avahiqtpoll.h"

#include <QSocketNotifier>
#include <QTimer>

#include <sys/time.h>

#include <algorithm>
#include <climits>

// One file descriptor avahi watches. The callback may free the watch while it runs, so the
// notifiers are deleted later from the event loop, never inside their own signal.
struct AvahiWatch
{
    AvahiQtPoll *owner;
    int fd;
    AvahiWatchCallback callback;
    void *userdata;
    AvahiWatchEvent wanted = AvahiWatchEvent(0);
    AvahiWatchEvent happened = AvahiWatchEvent(0); // the event being delivered; 0 outside a callback
    QSocketNotifier *in;
    QSocketNotifier *out;

    AvahiWatch(AvahiQtPoll *owner_, int fd_, AvahiWatchCallback cb, void *data)
        : owner(owner_)
        , fd(fd_)
        , callback(cb)
        , userdata(data)
        , in(new QSocketNotifier(fd_, QSocketNotifier::Read))
        , out(new QSocketNotifier(fd_, QSocketNotifier::Write))
    {
        QObject::connect(in, &QSocketNotifier::activated, owner, [this] { deliver(AVAHI_WATCH_IN); });
        QObject::connect(out, &QSocketNotifier::activated, owner, [this] { deliver(AVAHI_WATCH_OUT); });
        ++owner->m_watches;
    }
    ~AvahiWatch()
    {
        in->setEnabled(false);
        out->setEnabled(false);
        in->disconnect();
        out->disconnect();
        in->deleteLater();
        out->deleteLater();
        --owner->m_watches;
    }

    void update(AvahiWatchEvent events)
    {
        wanted = events;
        in->setEnabled(events & (AVAHI_WATCH_IN | AVAHI_WATCH_ERR | AVAHI_WATCH_HUP));
        out->setEnabled(events & AVAHI_WATCH_OUT);
    }

    void deliver(AvahiWatchEvent event)
    {
        happened = event;
        callback(this, fd, event, userdata); // may free this watch
    }
};

// A wake-up at an absolute time of day; a null time means "not armed".
struct AvahiTimeout
{
    AvahiQtPoll *owner;
    AvahiTimeoutCallback callback;
    void *userdata;
    QTimer *timer;

    AvahiTimeout(AvahiQtPoll *owner_, AvahiTimeoutCallback cb, void *data)
        : owner(owner_)
        , callback(cb)
        , userdata(data)
        , timer(new QTimer)
    {
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, owner, [this] { callback(this, userdata); });
        ++owner->m_timeouts;
    }
    ~AvahiTimeout()
    {
        timer->stop();
        timer->disconnect();
        timer->deleteLater();
        --owner->m_timeouts;
    }

    void arm(const struct timeval *tv)
    {
        timer->stop();
        if (tv == nullptr)
            return;
        struct timeval now
        {
        };
        gettimeofday(&now, nullptr);
        const long long ms = (tv->tv_sec - now.tv_sec) * 1000LL + (tv->tv_usec - now.tv_usec + 999) / 1000;
        timer->start(int(std::clamp(ms, 0LL, (long long)INT_MAX)));
    }
};

namespace {

AvahiQtPoll *ownerOf(const AvahiPoll *api)
{
    return static_cast<AvahiQtPoll *>(api->userdata);
}

AvahiWatch *watchNew(const AvahiPoll *api, int fd, AvahiWatchEvent events, AvahiWatchCallback cb, void *data)
{
    auto *w = new AvahiWatch(ownerOf(api), fd, cb, data);
    w->update(events);
    return w;
}

void watchUpdate(AvahiWatch *w, AvahiWatchEvent events)
{
    w->update(events);
}

AvahiWatchEvent watchGetEvents(AvahiWatch *w)
{
    return w->happened;
}

void watchFree(AvahiWatch *w)
{
    delete w;
}

AvahiTimeout *timeoutNew(const AvahiPoll *api, const struct timeval *tv, AvahiTimeoutCallback cb, void *data)
{
    auto *t = new AvahiTimeout(ownerOf(api), cb, data);
    t->arm(tv);
    return t;
}

void timeoutUpdate(AvahiTimeout *t, const struct timeval *tv)
{
    t->arm(tv);
}

void timeoutFree(AvahiTimeout *t)
{
    delete t;
}

} // namespace

AvahiQtPoll::AvahiQtPoll(QObject *parent)
    : QObject(parent)
{
    m_poll.userdata = this;
    m_poll.watch_new = watchNew;
    m_poll.watch_update = watchUpdate;
    m_poll.watch_get_events = watchGetEvents;
    m_poll.watch_free = watchFree;
    m_poll.timeout_new = timeoutNew;
    m_poll.timeout_update = timeoutUpdate;
    m_poll.timeout_free = timeoutFree;
}

AvahiQtPoll::~AvahiQtPoll() = default;
