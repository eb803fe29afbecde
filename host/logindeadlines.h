// LoginDeadlines: closes the door on connections that never log in.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <array>

// Each watched entry (1 to 9) has a deadline LoginTimeoutMs (times the time scale, at least
// MinimumTimeoutMs) after its connection was accepted; one timer runs while any entry is
// watched and reports each deadline that passes. The connection serial tells a connection
// apart from a later holder of the same entry.
class LoginDeadlines : public QObject
{
    Q_OBJECT
public:
    static constexpr int LoginTimeoutMs = 30000;
    // However small the time scale, a connection gets this long: the log-in answer needs
    // a round trip.
    static constexpr int MinimumTimeoutMs = 100;
    static constexpr int MaxEntries = 9;

    explicit LoginDeadlines(QObject *parent = nullptr);

    // Applies to deadlines set from now on.
    void setTimeScale(double scale) { m_scale = scale; }
    void watch(int entry, quint64 connectionId);
    void forget(int entry);
    bool watching(int entry) const;

Q_SIGNALS:
    // Emitted when the connection in entry has not logged in by its deadline; the entry is
    // no longer watched.
    void expired(int entry, quint64 connectionId);

private:
    void rearm();
    void onTimeout();

    struct Deadline
    {
        quint64 connectionId = 0; // 0 = not watched
        qint64 dueMs = 0;         // on m_clock
    };
    std::array<Deadline, MaxEntries + 1> m_deadlines{};
    QElapsedTimer m_clock;
    QTimer m_timer;
    double m_scale = 1.0;
};
