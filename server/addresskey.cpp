#include "addresskey.h"

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>

namespace {

constexpr std::array<quint8, 12> MappedPrefix{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};

} // namespace

AddressKey AddressKey::fromSockaddr(const sockaddr_storage &address)
{
    AddressKey key;
    if (address.ss_family == AF_INET) {
        const auto &v4 = reinterpret_cast<const sockaddr_in &>(address);
        std::memcpy(key.m_bytes.data(), MappedPrefix.data(), MappedPrefix.size());
        std::memcpy(key.m_bytes.data() + 12, &v4.sin_addr, 4);
    } else if (address.ss_family == AF_INET6) {
        const auto &v6 = reinterpret_cast<const sockaddr_in6 &>(address);
        std::memcpy(key.m_bytes.data(), &v6.sin6_addr, 16);
        if (!key.isIPv4())
            std::memset(key.m_bytes.data() + 8, 0, 8);
    }
    return key;
}

bool AddressKey::isIPv4() const
{
    return std::memcmp(m_bytes.data(), MappedPrefix.data(), MappedPrefix.size()) == 0;
}

QByteArray AddressKey::toText() const
{
    char text[INET6_ADDRSTRLEN] = {};
    if (isIPv4()) {
        ::inet_ntop(AF_INET, m_bytes.data() + 12, text, sizeof text);
        return QByteArray(text);
    }
    ::inet_ntop(AF_INET6, m_bytes.data(), text, sizeof text);
    return QByteArray(text) + "/64";
}
