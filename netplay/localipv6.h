// LocalIPv6: this computer's global IPv6 address, the one players elsewhere reach it at when
// the router lets them in.
#pragma once

#include <QByteArray>
#include <QString>

class LocalIPv6
{
public:
    // The first global unicast address of an interface that is up, a stable one before a
    // temporary (privacy) one; empty when this computer has none.
    static QString address();
    // The same choice made from the text of /proc/net/if_inet6 ("address index prefix scope
    // flags name" a line): global scope, not tentative, deprecated or failed, stable first.
    static QString pick(const QByteArray &ifInet6);
    // A global unicast IPv6 address (2000::/3) written out: "2001:db8::7".
    static bool globalUnicast(const QString &text);
};
