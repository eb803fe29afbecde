#include "tableconnector.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <unistd.h>

const TableConnector::Resolved *TableConnector::resolve(const Endpoint &server)
{
    const std::string key = server.host + ' ' + std::to_string(server.port);
    const auto known = m_resolved.find(key);
    if (known != m_resolved.end())
        return &known->second;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(server.host.c_str(), std::to_string(server.port).c_str(), &hints, &found) != 0 || !found)
        return nullptr;
    Resolved r;
    std::memcpy(&r.address, found->ai_addr, found->ai_addrlen);
    r.length = found->ai_addrlen;
    ::freeaddrinfo(found);
    return &m_resolved.emplace(key, r).first->second;
}

int TableConnector::start(const Endpoint &server, const std::string &sourceAddress)
{
    const Resolved *target = resolve(server);
    if (!target) {
        errno = EHOSTUNREACH;
        return -1;
    }
    const int family = target->address.ss_family;
    const int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const auto *v4 = reinterpret_cast<const sockaddr_in *>(&target->address);
    if (family == AF_INET && (ntohl(v4->sin_addr.s_addr) >> 24) == 127 && !sourceAddress.empty()) {
        // The port is chosen at connect time, for the whole four-tuple: one source address
        // then serves far more than the ephemeral range's worth of servers.
        ::setsockopt(fd, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &one, sizeof one);
        sockaddr_in source{};
        source.sin_family = AF_INET;
        if (::inet_pton(AF_INET, sourceAddress.c_str(), &source.sin_addr) != 1
            || ::bind(fd, reinterpret_cast<const sockaddr *>(&source), sizeof source) != 0) {
            const int saved = errno;
            ::close(fd);
            errno = saved;
            return -1;
        }
    }
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&target->address), target->length) != 0
        && errno != EINPROGRESS) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}
