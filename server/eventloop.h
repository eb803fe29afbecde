// EventLoop: the table server's readiness loop, on epoll.
//
// Why epoll of our own: the server's whole work is "this socket has bytes" and "this
// deadline is due"; one epoll set and one heap of deadlines do exactly that, cost per
// wake-up in proportion to the sockets that are ready (not to the sockets held), and
// add no dependency to a program that is meant to be built and run anywhere the game
// builds. A general library would bring its own buffers, timers and threads that the
// tables (one thread, no locks, a driver interface of five calls) do not need. The
// loop is level-triggered: a socket not read to its end is simply reported again on the
// next wake-up, which is what lets the server read a capped amount per socket per
// wake-up without any bookkeeping, so one flooding peer cannot starve the others.
#pragma once

#include <QtGlobal>
#include <cstdint>
#include <functional>

class EventLoop
{
public:
    EventLoop();
    ~EventLoop();
    EventLoop(const EventLoop &) = delete;
    EventLoop &operator=(const EventLoop &) = delete;

    bool valid() const { return m_epoll >= 0; }
    // Watches fd for events (EPOLLIN, EPOLLOUT, ...), reporting token. False on failure.
    bool add(int fd, std::uint32_t events, std::uint64_t token);
    bool modify(int fd, std::uint32_t events, std::uint64_t token);
    void remove(int fd);

    // Waits up to timeoutMs (-1: until something is ready) and calls handle(token, events)
    // for each ready socket, at most MaxEventsPerWait per call.
    void wait(int timeoutMs, const std::function<void(std::uint64_t, std::uint32_t)> &handle);

    // A monotonic clock in milliseconds.
    static double monotonicMs();

    static constexpr int MaxEventsPerWait = 512;

private:
    int m_epoll = -1;
};
