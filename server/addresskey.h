// AddressKey: what a peer's address counts as for the per-address limits.
#pragma once

#include <QByteArray>
#include <QHashFunctions>
#include <array>
#include <sys/socket.h>

// An IPv4 address counts as itself, also when it arrives IPv4-mapped on an IPv6 socket; an
// IPv6 address counts as its /64, the block one home or one line is given. Both are kept
// as sixteen bytes: IPv4 in its mapped form, IPv6 with the interface half zeroed.
class AddressKey
{
public:
    AddressKey() = default;
    static AddressKey fromSockaddr(const sockaddr_storage &address);

    bool isIPv4() const;
    // For the log: "192.0.2.7" or "2001:db8:1:2::/64".
    QByteArray toText() const;

    bool operator==(const AddressKey &) const = default;
    const std::array<quint8, 16> &bytes() const { return m_bytes; }

private:
    std::array<quint8, 16> m_bytes{};
};

inline size_t qHash(const AddressKey &key, size_t seed = 0)
{
    return qHashBits(key.bytes().data(), key.bytes().size(), seed);
}
