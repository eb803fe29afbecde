#include "localipv6.h"

#include <QFile>
#include <QList>

#include <algorithm>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace {

// Flags of an address in /proc/net/if_inet6 (IFA_F_*).
constexpr uint Temporary = 0x01;
constexpr uint DadFailed = 0x08;
constexpr uint Deprecated = 0x20;
constexpr uint Tentative = 0x40;

constexpr qint64 MaxListBytes = 64 * 1024; // thousands of addresses; the rest is not read

bool inGlobalUnicastRange(const in6_addr &address)
{
    return (address.s6_addr[0] & 0xe0) == 0x20;
}

QString text(const in6_addr &address)
{
    char out[INET6_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET6, &address, out, sizeof out);
    return QString::fromLatin1(out);
}

// The first global address of an interface that is up, from getifaddrs (no flags known).
QString fromInterfaces()
{
    ifaddrs *list = nullptr;
    if (::getifaddrs(&list) != 0)
        return {};
    QString found;
    for (const ifaddrs *i = list; i && found.isEmpty(); i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET6 || !(i->ifa_flags & IFF_UP)
            || (i->ifa_flags & IFF_LOOPBACK))
            continue;
        const in6_addr &address = reinterpret_cast<const sockaddr_in6 *>(i->ifa_addr)->sin6_addr;
        if (inGlobalUnicastRange(address))
            found = text(address);
    }
    ::freeifaddrs(list);
    return found;
}

} // namespace

QString LocalIPv6::address()
{
    QFile list(QStringLiteral("/proc/net/if_inet6"));
    if (list.open(QIODevice::ReadOnly))
        return pick(list.read(MaxListBytes));
    return fromInterfaces();
}

QString LocalIPv6::pick(const QByteArray &ifInet6)
{
    QString temporary;
    for (const QByteArray &line : ifInet6.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6 || fields[0].size() != 32 || fields[5] == "lo")
            continue;
        bool scopeOk = false, flagsOk = false;
        const uint scope = fields[3].toUInt(&scopeOk, 16);
        const uint flags = fields[4].toUInt(&flagsOk, 16);
        const QByteArray bytes = QByteArray::fromHex(fields[0]);
        if (!scopeOk || !flagsOk || scope != 0 || bytes.size() != 16
            || (flags & (DadFailed | Deprecated | Tentative)))
            continue;
        in6_addr address{};
        std::copy(bytes.begin(), bytes.end(), address.s6_addr);
        if (!inGlobalUnicastRange(address))
            continue;
        if (!(flags & Temporary))
            return text(address);
        if (temporary.isEmpty())
            temporary = text(address);
    }
    return temporary;
}

bool LocalIPv6::globalUnicast(const QString &text)
{
    in6_addr address{};
    return text.size() <= 45 && ::inet_pton(AF_INET6, text.toLatin1().constData(), &address) == 1
           && inGlobalUnicastRange(address);
}
