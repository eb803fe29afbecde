#include "timerheap.h"

#include <utility>

namespace {

// Equal due times fire in the order they were added.
bool earlier(const TimerHeap::Deadline &a, quint64 orderA, const TimerHeap::Deadline &b, quint64 orderB)
{
    return a.dueMs < b.dueMs || (a.dueMs == b.dueMs && orderA < orderB);
}

} // namespace

void TimerHeap::add(const Deadline &deadline)
{
    m_heap.push_back(deadline);
    m_order.push_back(m_added++);
    std::size_t i = m_heap.size() - 1;
    while (i > 0) {
        const std::size_t parent = (i - 1) / 2;
        if (!earlier(m_heap[i], m_order[i], m_heap[parent], m_order[parent]))
            break;
        std::swap(m_heap[i], m_heap[parent]);
        std::swap(m_order[i], m_order[parent]);
        i = parent;
    }
}

std::optional<double> TimerHeap::nextDueMs() const
{
    if (m_heap.empty())
        return std::nullopt;
    return m_heap.front().dueMs;
}

std::optional<TimerHeap::Deadline> TimerHeap::takeDue(double nowMs)
{
    if (m_heap.empty() || m_heap.front().dueMs > nowMs)
        return std::nullopt;
    const Deadline top = m_heap.front();
    m_heap.front() = m_heap.back();
    m_order.front() = m_order.back();
    m_heap.pop_back();
    m_order.pop_back();
    std::size_t i = 0;
    const std::size_t n = m_heap.size();
    for (;;) {
        const std::size_t left = 2 * i + 1;
        const std::size_t right = left + 1;
        std::size_t least = i;
        if (left < n && earlier(m_heap[left], m_order[left], m_heap[least], m_order[least]))
            least = left;
        if (right < n && earlier(m_heap[right], m_order[right], m_heap[least], m_order[least]))
            least = right;
        if (least == i)
            break;
        std::swap(m_heap[i], m_heap[least]);
        std::swap(m_order[i], m_order[least]);
        i = least;
    }
    // A heap that shrank after a burst gives its memory back.
    if (m_heap.capacity() > 1024 && m_heap.size() * 4 < m_heap.capacity()) {
        m_heap.shrink_to_fit();
        m_order.shrink_to_fit();
    }
    return top;
}
