// AvahiQtPoll: the avahi client's poll interface on Qt's event loop (no thread of its own).
#pragma once

#include <QObject>

#include <avahi-common/watch.h>

// Watches become QSocketNotifiers, timeouts single-shot QTimers, all on the thread that owns
// this object. The avahi clients that use poll() must be freed before this object.
class AvahiQtPoll : public QObject
{
    Q_OBJECT
public:
    explicit AvahiQtPoll(QObject *parent = nullptr);
    ~AvahiQtPoll() override;

    const AvahiPoll *poll() const { return &m_poll; }
    // Watches and timeouts avahi holds now (tests check that freeing really frees).
    int liveWatches() const { return m_watches; }
    int liveTimeouts() const { return m_timeouts; }

private:
    friend struct AvahiWatch;
    friend struct AvahiTimeout;
    AvahiPoll m_poll{};
    int m_watches = 0;
    int m_timeouts = 0;
};
