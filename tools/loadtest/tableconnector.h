#pragma once

#include "shardlist.h"

#include <map>
#include <string>
#include <sys/socket.h>

// Starts non-blocking connections to servers named by endpoint: each name is resolved
// once; an IPv4 loopback server is reached from the given loopback source address.
class TableConnector
{
public:
    // A new non-blocking socket whose connect is under way (or done); -1 when the
    // endpoint does not resolve or the socket cannot be made (errno tells why).
    int start(const Endpoint &server, const std::string &sourceAddress);

private:
    struct Resolved
    {
        sockaddr_storage address{};
        socklen_t length = 0;
    };
    const Resolved *resolve(const Endpoint &server);

    std::map<std::string, Resolved> m_resolved;
};
