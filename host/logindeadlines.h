// LoginDeadlines: the deadlines by which new connections must log in.
#pragma once

#include <QList>
#include <QtGlobal>
#include <array>
#include <optional>

// Each watched entry (1 to 9) has a deadline LoginTimeoutMs after its connection was
// accepted, on the table's clock. Plain bookkeeping: whoever owns it runs a timer to
// nextDueMs() and collects the deadlines that passed with expire(). The connection serial
// tells a connection apart from a later holder of the same entry.
class LoginDeadlines
{
public:
    static constexpr int LoginTimeoutMs = 30000;
    // However small the time scale, a connection gets this long in real time: the log-in
    // answer needs a round trip. Applied by whoever runs the timer.
    static constexpr int MinimumTimeoutMs = 100;
    static constexpr int MaxEntries = 9;

    struct Expired
    {
        int entry = 0;
        quint64 connectionId = 0;
    };

    void watch(int entry, quint64 connectionId, double nowMs);
    void forget(int entry);
    bool watching(int entry) const;

    // The earliest deadline of a watched entry; nothing when none is watched.
    std::optional<double> nextDueMs() const;
    // The entries whose deadline is at or before nowMs, in entry order; they are no longer
    // watched.
    QList<Expired> expire(double nowMs);

private:
    struct Deadline
    {
        quint64 connectionId = 0; // 0 = not watched
        double dueMs = 0;
    };
    std::array<Deadline, MaxEntries + 1> m_deadlines{};
};
