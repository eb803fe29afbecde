#include "sockaddress.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <netdb.h>

namespace sockaddress {

QByteArray rawAddress(const void *address, size_t length)
{
    return QByteArray(static_cast<const char *>(address), qsizetype(length));
}

QByteArray ipv4Address(in_addr_t address)
{
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_addr.s_addr = address;
    return rawAddress(&out, sizeof out);
}

QString unbracketed(const QString &name)
{
    if (name.size() >= 2 && name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        return name.mid(1, name.size() - 2);
    return name;
}

QList<QByteArray> lookUpAddresses(const QString &name, int family, bool numericOnly)
{
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = numericOnly ? AI_NUMERICHOST : 0;
    addrinfo *found = nullptr;
    QList<QByteArray> addresses;
    if (getaddrinfo(name.toLocal8Bit().constData(), nullptr, &hints, &found) != 0)
        return addresses;
    for (const addrinfo *a = found; a; a = a->ai_next) {
        if ((a->ai_family != AF_INET && a->ai_family != AF_INET6) || a->ai_addr == nullptr
            || a->ai_addrlen > sizeof(sockaddr_storage))
            continue;
        const QByteArray address = rawAddress(a->ai_addr, a->ai_addrlen);
        if (!addresses.contains(address))
            addresses.append(address);
    }
    freeaddrinfo(found);
    return addresses;
}

sockaddr_storage storageOf(const QByteArray &address)
{
    sockaddr_storage out{};
    std::memcpy(&out, address.constData(), std::min(size_t(address.size()), sizeof out));
    return out;
}

QByteArray withPort(const QByteArray &address, in_port_t port)
{
    sockaddr_storage storage = storageOf(address);
    if (storage.ss_family == AF_INET6)
        reinterpret_cast<sockaddr_in6 &>(storage).sin6_port = port;
    else
        reinterpret_cast<sockaddr_in &>(storage).sin_port = port;
    return rawAddress(&storage, size_t(address.size()));
}

QString peerText(const sockaddr_storage &peer)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (peer.ss_family == AF_INET6) {
        const in6_addr &address = reinterpret_cast<const sockaddr_in6 &>(peer).sin6_addr;
        if (IN6_IS_ADDR_V4MAPPED(&address))
            ::inet_ntop(AF_INET, &address.s6_addr[12], text, sizeof text);
        else
            ::inet_ntop(AF_INET6, &address, text, sizeof text);
    } else {
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in &>(peer).sin_addr, text, sizeof text);
    }
    return QString::fromLatin1(text);
}

} // namespace sockaddress
