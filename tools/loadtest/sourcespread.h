#pragma once

#include <string>

// Loopback source addresses for many connections: a server admits only so many
// connections from one address, and one address has only the ephemeral ports, so
// connection i is bound to 127.0.0.(first + i mod count) before it connects.
struct SourceSpread
{
    int first = 2;   // 127.0.0.1 stays for everything else on the machine
    int count = 250; // 127.0.0.2 to 127.0.0.251

    // The source address of connection `index` (0-based, counted over all load processes).
    std::string addressFor(long index) const;
    // At most this many connections of `total` share one address.
    long mostPerAddress(long total) const;
    bool valid() const { return first >= 1 && count >= 1 && first + count - 1 <= 254; }
};
