#include "upnpgateway.h"

#include <QHostAddress>

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>

#include <memory>

namespace {

constexpr int NoSuchEntry = 714;
constexpr int OnlyPermanentLeases = 725;

const char Protocol[] = "TCP";
const char Description[] = "Dorvane game";

struct Urls
{
    UPNPUrls urls{};
    IGDdatas data{};
    bool filled = false;
    ~Urls()
    {
        if (filled)
            FreeUPNPUrls(&urls);
    }
};

QString codeText(int code)
{
    const char *text = strupnperror(code);
    return text ? QStringLiteral("%1 (%2)").arg(QString::fromLatin1(text)).arg(code)
                : QStringLiteral("error %1").arg(code);
}

// Finds the router: the given description, or the first valid gateway that answers the search.
QString findRouter(const RouterRequest &request, Urls &found, QString &lanAddress)
{
    char lan[64] = {};
    if (!request.rootUrl.isEmpty()) {
        if (!request.rootUrl.startsWith("http://"))
            return QStringLiteral("The router's description address is not an http:// address.");
        if (UPNP_GetIGDFromUrl(request.rootUrl.constData(), &found.urls, &found.data, lan, sizeof lan) != 1)
            return QStringLiteral("The router did not send a usable description.");
        found.filled = true;
    } else {
        int error = 0;
        std::unique_ptr<UPNPDev, void (*)(UPNPDev *)> devices(
            upnpDiscover(request.discoveryMs, nullptr, nullptr, UPNP_LOCAL_PORT_ANY, 0, 2, &error),
            freeUPNPDevlist);
        if (!devices)
            return QStringLiteral("No router on this network answered (its UPnP may be switched off).");
        const int igd = UPNP_GetValidIGD(devices.get(), &found.urls, &found.data, lan, sizeof lan);
        found.filled = igd != 0;
        if (igd != 1 && igd != 2)
            return QStringLiteral("No router on this network offers to open ports (UPnP IGD).");
    }
    if (found.urls.controlURL == nullptr || found.urls.controlURL[0] == '\0'
        || found.data.first.servicetype[0] == '\0')
        return QStringLiteral("The router does not offer the port-forwarding service.");
    lanAddress = QString::fromLatin1(lan);
    if (!UpnpGateway::usableAddress(lanAddress))
        return QStringLiteral("This computer's address towards the router could not be found.");
    return {};
}

// A mapping of the port to another computer is not ours to replace.
QString checkExisting(const Urls &found, const QByteArray &port, const QString &lanAddress)
{
    char client[40] = {}, inPort[8] = {}, desc[96] = {}, enabled[8] = {}, lease[24] = {};
    const int r =
        UPNP_GetSpecificPortMappingEntry(found.urls.controlURL, found.data.first.servicetype, port.constData(),
                                         Protocol, nullptr, client, inPort, desc, enabled, lease);
    const QString owner = QString::fromLatin1(client);
    if (r == UPNPCOMMAND_SUCCESS && UpnpGateway::usableAddress(owner) && owner != lanAddress)
        return QStringLiteral("The router already forwards TCP port %1 to another computer (%2).")
            .arg(QString::fromLatin1(port), owner);
    return {};
}

} // namespace

RouterMapping UpnpGateway::open(const RouterRequest &request)
{
    RouterMapping result;
    Urls found;
    result.problem = findRouter(request, found, result.lanAddress);
    if (!result.problem.isEmpty())
        return result;
    result.controlUrl = found.urls.controlURL;
    result.serviceType = found.data.first.servicetype;

    char external[40] = {};
    if (UPNP_GetExternalIPAddress(found.urls.controlURL, found.data.first.servicetype, external)
            == UPNPCOMMAND_SUCCESS
        && usableAddress(QString::fromLatin1(external))) {
        result.externalAddress = QString::fromLatin1(external);
        result.privateExternal = privateAddress(result.externalAddress);
    }
    const QByteArray port = QByteArray::number(request.port);
    result.problem = checkExisting(found, port, result.lanAddress);
    if (!result.problem.isEmpty())
        return result;
    const QByteArray lan = result.lanAddress.toLatin1();
    int r = UPNP_AddPortMapping(found.urls.controlURL, found.data.first.servicetype, port.constData(),
                                port.constData(), lan.constData(), Description, Protocol, nullptr,
                                QByteArray::number(request.leaseSeconds).constData());
    if (r == OnlyPermanentLeases) {
        r = UPNP_AddPortMapping(found.urls.controlURL, found.data.first.servicetype, port.constData(),
                                port.constData(), lan.constData(), Description, Protocol, nullptr, "0");
        result.permanent = r == UPNPCOMMAND_SUCCESS;
    }
    if (r != UPNPCOMMAND_SUCCESS) {
        result.problem = QStringLiteral("The router refused to forward the port: %1.").arg(codeText(r));
        return result;
    }
    if (result.externalAddress.isEmpty()) {
        result.problem = QStringLiteral("The router forwards the port but did not tell its internet address.");
        UPNP_DeletePortMapping(found.urls.controlURL, found.data.first.servicetype, port.constData(), Protocol,
                               nullptr);
        return result;
    }
    result.opened = true;
    result.port = request.port;
    return result;
}

QString UpnpGateway::close(const RouterMapping &mapping)
{
    if (!mapping.opened)
        return {};
    const quint16 port = mapping.port;
    const QByteArray portText = QByteArray::number(port);
    const int r = UPNP_DeletePortMapping(mapping.controlUrl.constData(), mapping.serviceType.constData(),
                                         portText.constData(), Protocol, nullptr);
    if (r == UPNPCOMMAND_SUCCESS || r == NoSuchEntry)
        return {};
    return QStringLiteral("The router did not remove the forwarding of TCP port %1: %2.")
        .arg(port)
        .arg(codeText(r));
}

bool UpnpGateway::usableAddress(const QString &text)
{
    QHostAddress address;
    if (text.isEmpty() || text.size() > 15 || !address.setAddress(text)
        || address.protocol() != QAbstractSocket::IPv4Protocol)
        return false;
    // setAddress also takes shortened forms ("10.1"); only the four dotted parts are an answer.
    if (text.count(QLatin1Char('.')) != 3 || address.toString() != text)
        return false;
    const quint32 v = address.toIPv4Address();
    return v != 0 && v != 0xffffffffu && (v >> 28) != 0xe; // no multicast
}

bool UpnpGateway::privateAddress(const QString &text)
{
    const quint32 v = QHostAddress(text).toIPv4Address();
    return (v >> 24) == 10 || (v >> 20) == 0xac1 || (v >> 16) == 0xc0a8 || (v >> 22) == ((100u << 2) | 1u)
           || (v >> 16) == 0xa9fe;
}
