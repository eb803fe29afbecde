// TimerHeap: the deadlines of a table server, nearest first, in one binary heap.
#pragma once

#include <QtGlobal>
#include <optional>
#include <vector>

// A deadline names what it wakes by owner, kind and generation; the owner bumps the
// generation of a timer to cancel it, so a stopped timer costs nothing until its time comes and is
// then dropped unseen. Only running timers are in the heap: a table where nothing happens
// has no deadline at all, and the loop sleeps until the nearest one.
class TimerHeap
{
public:
    struct Deadline
    {
        double dueMs = 0;
        quint64 owner = 0;
        quint32 kind = 0;
        quint32 generation = 0;
    };

    void add(const Deadline &deadline);
    bool isEmpty() const { return m_heap.empty(); }
    std::size_t size() const { return m_heap.size(); }
    // The nearest due time; nullopt when nothing waits.
    std::optional<double> nextDueMs() const;
    // Takes the nearest deadline when it is due at nowMs.
    std::optional<Deadline> takeDue(double nowMs);

private:
    std::vector<Deadline> m_heap; // a min-heap on (dueMs, insertion order)
    std::vector<quint64> m_order;
    quint64 m_added = 0;
};
