// UpnpGateway: one blocking conversation with the home router (UPnP IGD) to open or close
// the game's TCP port. Runs in the router program (see routerprogram.cpp), never in the game.
#pragma once

#include "routerwire.h"

class UpnpGateway
{
public:
    // Finds the router (or reads rootUrl), asks for its address and forwards the port to
    // this computer. Where the router offers IPv6 firewall control, it also lets the port in
    // to this computer's global IPv6 address (renewing the pinhole held from an earlier
    // call). Every answer is fetched with a cap on its size and time (BoundedHttp) and
    // checked; nothing the router sends is shown raw.
    static RouterMapping open(const RouterRequest &request, const RouterMapping &held = {});
    // Removes the mapping and the pinhole open() made; an empty text when they are gone.
    static QString close(const RouterMapping &mapping);

    // A dotted IPv4 address that names a real host (not 0.0.0.0, not a broadcast).
    static bool usableAddress(const QString &text);
    // 10/8, 172.16/12, 192.168/16, 100.64/10 (carrier-grade NAT), 169.254/16.
    static bool privateAddress(const QString &text);
    // The router's commands go only to the machine and port its description came from.
    static bool sameOrigin(const QByteArray &descriptionUrl, const QByteArray &controlUrl);
};
