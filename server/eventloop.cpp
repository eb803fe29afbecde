#include "eventloop.h"

#include <cerrno>
#include <ctime>
#include <sys/epoll.h>
#include <unistd.h>

EventLoop::EventLoop()
    : m_epoll(::epoll_create1(EPOLL_CLOEXEC))
{
}

EventLoop::~EventLoop()
{
    if (m_epoll >= 0)
        ::close(m_epoll);
}

bool EventLoop::add(int fd, std::uint32_t events, std::uint64_t token)
{
    epoll_event event{};
    event.events = events;
    event.data.u64 = token;
    return ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event) == 0;
}

bool EventLoop::modify(int fd, std::uint32_t events, std::uint64_t token)
{
    epoll_event event{};
    event.events = events;
    event.data.u64 = token;
    return ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, fd, &event) == 0;
}

void EventLoop::remove(int fd)
{
    ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
}

void EventLoop::wait(int timeoutMs, const std::function<void(std::uint64_t, std::uint32_t)> &handle)
{
    epoll_event events[MaxEventsPerWait];
    const int n = ::epoll_wait(m_epoll, events, MaxEventsPerWait, timeoutMs);
    for (int i = 0; i < n; ++i)
        handle(events[i].data.u64, events[i].events);
}

double EventLoop::monotonicMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}
