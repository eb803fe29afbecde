// UpnpGateway: one blocking conversation with the home router (UPnP IGD) to open or close
// the game's TCP port. Runs on a worker thread; the window never calls it directly.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

struct RouterRequest
{
    QByteArray rootUrl;          // the router's description; empty: look for it on the network
    quint16 port = 7772;         // external and internal TCP port
    int leaseSeconds = 4 * 3600; // the router drops the mapping after this unless renewed
    int discoveryMs = 2000;      // how long to wait for routers to answer the search
};

struct RouterMapping
{
    bool opened = false;          // the router forwards the port to lanAddress
    quint16 port = 0;             // the forwarded port (external and internal)
    QString externalAddress;      // the router's internet address (dotted IPv4), when it gave one
    QString lanAddress;           // this computer's address towards the router
    QString problem;              // why the port is not open, as a sentence; empty when opened
    bool privateExternal = false; // the router's own address is private: another router is in front
    bool permanent = false;       // the router takes only mappings without a lease
    QByteArray controlUrl;        // where the router takes its commands (kept for closing)
    QByteArray serviceType;
};

class UpnpGateway
{
public:
    // Finds the router (or reads rootUrl), asks for its address and forwards the port to
    // this computer. Every answer from the router is checked; nothing it sends is shown raw.
    static RouterMapping open(const RouterRequest &request);
    // Removes the mapping open() made; an empty text when it is gone.
    static QString close(const RouterMapping &mapping);

    // A dotted IPv4 address that names a real host (not 0.0.0.0, not a broadcast).
    static bool usableAddress(const QString &text);
    // 10/8, 172.16/12, 192.168/16, 100.64/10 (carrier-grade NAT), 169.254/16.
    static bool privateAddress(const QString &text);
};
