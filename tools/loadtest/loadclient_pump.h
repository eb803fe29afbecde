#pragma once
// Template body of pumpClients (kept out of loadclient.h for length).
#include <poll.h>

template <class F>
bool pumpClients(std::vector<LoadClient *> &clients, int timeoutMs, F onMessage)
{
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::vector<pollfd> fds(clients.size());
    std::vector<std::string> messages;
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0)
            return false;
        for (std::size_t i = 0; i < clients.size(); ++i) {
            fds[i].fd = clients[i]->isOpen() ? clients[i]->fd() : -1;
            fds[i].events = short(POLLIN | (clients[i]->hasPendingOutput() ? POLLOUT : 0));
            fds[i].revents = 0;
        }
        if (::poll(fds.data(), fds.size(), int(left)) < 0)
            return false;
        for (std::size_t i = 0; i < clients.size(); ++i) {
            if (fds[i].revents & POLLOUT)
                clients[i]->flush();
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            messages.clear();
            clients[i]->readAvailable(messages);
            for (const std::string &m : messages)
                if (onMessage(i, m))
                    return true;
        }
    }
}
