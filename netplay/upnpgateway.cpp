#include "upnpgateway.h"

#include "boundedhttp.h"
#include "localipv6.h"

#include <QHostAddress>
#include <QUrl>

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>
#include <miniupnpc/upnpreplyparse.h>

#include <algorithm>
#include <map>
#include <memory>

namespace {

constexpr int NoSuchEntry = 714;
constexpr int NoSuchPinhole = 704;
constexpr int LongestPinholeLease = 86400; // the firewall service takes leases up to a day
constexpr int OnlyPermanentLeases = 725;
constexpr int MostDevicesTried = 8; // answers to the search beyond these are not looked at

const char Protocol[] = "TCP";
const char Description[] = "Dorvane game";

struct Router
{
    QByteArray controlUrl;
    QByteArray serviceType;
    QByteArray pinholeControlUrl; // the IPv6 firewall service; empty when the router has none
    QByteArray pinholeServiceType;
};

QString codeText(int code)
{
    const char *text = strupnperror(code);
    return text ? QStringLiteral("%1 (%2)").arg(QString::fromLatin1(text)).arg(code)
                : QStringLiteral("error %1").arg(code);
}

// Reads a description (already bounded in size) and finds its port-forwarding service.
QString readDescription(const QByteArray &url, const HttpAnswer &answer, Router &router)
{
    if (answer.status != 200)
        return QStringLiteral("The router did not send a usable description.");
    IGDdatas data{};
    parserootdesc(answer.body.constData(), static_cast<int>(answer.body.size()), &data);
    UPNPUrls urls{};
    GetUPNPUrls(&urls, &data, url.constData(), 0);
    std::unique_ptr<UPNPUrls, void (*)(UPNPUrls *)> owned(&urls, FreeUPNPUrls);
    if (urls.controlURL == nullptr || urls.controlURL[0] == '\0' || data.first.servicetype[0] == '\0'
        || data.first.controlurl[0] == '\0')
        return QStringLiteral("The router does not offer the port-forwarding service.");
    router.controlUrl = urls.controlURL;
    router.serviceType = data.first.servicetype;
    if (!UpnpGateway::sameOrigin(url, router.controlUrl))
        return QStringLiteral("The router's description sends its commands to another machine or port, "
                              "so none were sent.");
    // The IPv6 firewall service is used only where it takes commands where the others do.
    if (urls.controlURL_6FC != nullptr && data.IPv6FC.servicetype[0] != '\0'
        && UpnpGateway::sameOrigin(url, urls.controlURL_6FC)) {
        router.pinholeControlUrl = urls.controlURL_6FC;
        router.pinholeServiceType = data.IPv6FC.servicetype;
    }
    return {};
}

// Finds the router: the given description, or the first answer to the search that offers the
// service. lanAddress is this computer's address on the connection to it.
QString findRouter(const RouterRequest &request, Router &router, QString &lanAddress)
{
    QList<QByteArray> candidates;
    if (!request.rootUrl.isEmpty()) {
        if (!request.rootUrl.startsWith("http://"))
            return QStringLiteral("The router's description address is not an http:// address.");
        candidates << request.rootUrl;
    } else {
        int error = 0;
        std::unique_ptr<UPNPDev, void (*)(UPNPDev *)> devices(
            upnpDiscover(request.discoveryMs, nullptr, nullptr, UPNP_LOCAL_PORT_ANY, 0, 2, &error),
            freeUPNPDevlist);
        for (const UPNPDev *d = devices.get(); d && candidates.size() < MostDevicesTried; d = d->pNext)
            candidates << QByteArray(d->descURL).left(512);
        if (candidates.isEmpty())
            return QStringLiteral("No router on this network answered (its UPnP may be switched off).");
    }
    QString problem;
    for (const QByteArray &url : std::as_const(candidates)) {
        const HttpAnswer answer = BoundedHttp::get(url);
        if (!answer.problem.isEmpty()) {
            problem = QStringLiteral("The router did not send a usable description: %1.").arg(answer.problem);
            continue;
        }
        lanAddress = answer.localAddress; // named in the chat even when this router is of no use
        problem = readDescription(url, answer, router);
        if (problem.isEmpty())
            break;
    }
    if (!problem.isEmpty())
        return request.rootUrl.isEmpty() && candidates.size() > 1
                   ? QStringLiteral("No router on this network offers to open ports (UPnP IGD).")
                   : problem;
    if (!UpnpGateway::usableAddress(lanAddress))
        return QStringLiteral("This computer's address towards the router could not be found.");
    return {};
}

// One SOAP request; the answer's fields, or errorCode set to the router's UPnP error.
struct Soap
{
    std::map<QByteArray, QByteArray> fields;
    int errorCode = 0; // the router's error; 0 when it did what was asked
    QString problem;   // no usable answer came, as the end of a sentence
};

Soap command(const QByteArray &controlUrl, const QByteArray &serviceType, const char *action,
             const QList<std::pair<const char *, QByteArray>> &args, const QList<const char *> &wanted = {})
{
    QByteArray body =
        "<?xml version=\"1.0\"?>\r\n<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body><u:"
        + QByteArray(action) + " xmlns:u=\"" + serviceType + "\">";
    for (const auto &[name, value] : args)
        body += "<" + QByteArray(name) + ">" + value + "</" + QByteArray(name) + ">";
    body += "</u:" + QByteArray(action) + "></s:Body></s:Envelope>\r\n";
    const HttpAnswer answer =
        BoundedHttp::post(controlUrl, serviceType + "#" + action, body, BoundedHttp::DeadlineMs, 64 * 1024);
    Soap result;
    if (!answer.problem.isEmpty()) {
        result.problem = answer.problem;
        result.errorCode = UPNPCOMMAND_HTTP_ERROR;
        return result;
    }
    NameValueParserData parsed{};
    ParseNameValue(answer.body.constData(), static_cast<int>(answer.body.size()), &parsed);
    std::unique_ptr<NameValueParserData, void (*)(NameValueParserData *)> owned(&parsed, ClearNameValueList);
    if (const char *code = GetValueFromNameValueList(&parsed, "errorCode"))
        result.errorCode = QByteArray(code).left(8).toInt();
    else if (answer.status != 200)
        result.errorCode = UPNPCOMMAND_HTTP_ERROR;
    for (const char *name : wanted) {
        if (const char *value = GetValueFromNameValueList(&parsed, name))
            result.fields[name] = QByteArray(value).left(64);
    }
    return result;
}

// A command to the port-forwarding service.
Soap command(const Router &router, const char *action, const QList<std::pair<const char *, QByteArray>> &args,
             const QList<const char *> &wanted = {})
{
    return command(router.controlUrl, router.serviceType, action, args, wanted);
}

// A command to the IPv6 firewall service.
Soap firewallCommand(const Router &router, const char *action,
                     const QList<std::pair<const char *, QByteArray>> &args,
                     const QList<const char *> &wanted = {})
{
    return command(router.pinholeControlUrl, router.pinholeServiceType, action, args, wanted);
}

QString refusal(const Soap &soap)
{
    return soap.problem.isEmpty() ? codeText(soap.errorCode) : soap.problem;
}

// A mapping of the port to another computer is not ours to replace.
QString checkExisting(const Router &router, const QByteArray &port, const QString &lanAddress)
{
    const Soap r = command(router, "GetSpecificPortMappingEntry",
                           {{"NewRemoteHost", {}}, {"NewExternalPort", port}, {"NewProtocol", Protocol}},
                           {"NewInternalClient"});
    const QString owner =
        QString::fromLatin1(r.fields.count("NewInternalClient") ? r.fields.at("NewInternalClient") : QByteArray());
    if (r.errorCode == 0 && UpnpGateway::usableAddress(owner) && owner != lanAddress)
        return QStringLiteral("The router already forwards TCP port %1 to another computer (%2).")
            .arg(QString::fromLatin1(port), owner);
    return {};
}

Soap addMapping(const Router &router, const QByteArray &port, const QByteArray &lan, const QByteArray &lease)
{
    return command(router, "AddPortMapping",
                   {{"NewRemoteHost", {}},
                    {"NewExternalPort", port},
                    {"NewProtocol", Protocol},
                    {"NewInternalPort", port},
                    {"NewInternalClient", lan},
                    {"NewEnabled", "1"},
                    {"NewPortMappingDescription", Description},
                    {"NewLeaseDuration", lease}});
}

Soap deleteMapping(const Router &router, const QByteArray &port)
{
    return command(router, "DeletePortMapping",
                   {{"NewRemoteHost", {}}, {"NewExternalPort", port}, {"NewProtocol", Protocol}});
}

// Forwards the IPv4 port on a router that was found; result.problem says why not.
void openPort(const RouterRequest &request, const Router &router, RouterMapping &result)
{
    result.controlUrl = router.controlUrl;
    result.serviceType = router.serviceType;

    const Soap external = command(router, "GetExternalIPAddress", {}, {"NewExternalIPAddress"});
    if (external.errorCode == 0 && external.fields.count("NewExternalIPAddress")) {
        const QString address = QString::fromLatin1(external.fields.at("NewExternalIPAddress"));
        if (UpnpGateway::usableAddress(address)) {
            result.externalAddress = address;
            result.privateExternal = UpnpGateway::privateAddress(address);
        }
    }
    const QByteArray port = QByteArray::number(request.port);
    result.problem = checkExisting(router, port, result.lanAddress);
    if (!result.problem.isEmpty())
        return;
    const QByteArray lan = result.lanAddress.toLatin1();
    Soap added = addMapping(router, port, lan, QByteArray::number(request.leaseSeconds));
    if (added.errorCode == OnlyPermanentLeases) {
        added = addMapping(router, port, lan, "0");
        result.permanent = added.errorCode == 0;
    }
    if (added.errorCode != 0) {
        result.problem = QStringLiteral("The router refused to forward the port: %1.").arg(refusal(added));
        if (!added.problem.isEmpty()) // no answer: it may have made the mapping all the same
            deleteMapping(router, port);
        return;
    }
    if (result.externalAddress.isEmpty()) {
        result.problem =
            QStringLiteral("The router forwards the port but did not tell its internet address%1.")
                .arg(external.problem.isEmpty() ? QString() : QStringLiteral(": ") + external.problem);
        deleteMapping(router, port);
        return;
    }
    result.opened = true;
    result.port = request.port;
}

// The UniqueID of a pinhole: a number from 0 to 65535, as the router wrote it.
QByteArray pinholeId(const Soap &soap)
{
    const auto found = soap.fields.find("UniqueID");
    if (found == soap.fields.end())
        return {};
    const QByteArray id = found->second.trimmed();
    bool ok = false;
    const uint value = id.toUInt(&ok);
    const bool digits = !id.isEmpty() && id.size() <= 5
                        && std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
    return ok && digits && value <= 65535 ? id : QByteArray();
}

// Lets the port in over IPv6 to this computer's global address where the router offers
// its IPv6 firewall; a pinhole held from before is renewed instead of opened again.
void openPinhole(const RouterRequest &request, const Router &router, const RouterMapping &held,
                 RouterMapping &result)
{
    if (router.pinholeControlUrl.isEmpty())
        return;
    const QString address = request.ipv6Address.isEmpty() ? LocalIPv6::address() : request.ipv6Address;
    if (!LocalIPv6::globalUnicast(address))
        return; // no IPv6 towards the internet here: nothing to let in
    result.pinholeControlUrl = router.pinholeControlUrl;
    result.pinholeServiceType = router.pinholeServiceType;
    const QByteArray lease = QByteArray::number(std::clamp(request.leaseSeconds, 1, LongestPinholeLease));
    if (!held.pinholeId.isEmpty() && held.ipv6Address == address
        && held.pinholeControlUrl == router.pinholeControlUrl) {
        const Soap updated =
            firewallCommand(router, "UpdatePinhole", {{"UniqueID", held.pinholeId}, {"NewLeaseTime", lease}});
        if (updated.errorCode == 0) {
            result.pinholeId = held.pinholeId;
            result.ipv6Address = address;
            return;
        }
    }
    const Soap added = firewallCommand(router, "AddPinhole",
                                       {{"RemoteHost", {}},
                                        {"RemotePort", "0"},
                                        {"InternalClient", address.toLatin1()},
                                        {"InternalPort", QByteArray::number(request.port)},
                                        {"Protocol", "6"},
                                        {"LeaseTime", lease}},
                                       {"UniqueID"});
    if (added.errorCode != 0) {
        result.ipv6Problem =
            QStringLiteral("The router did not let the game's port in over IPv6: %1.").arg(refusal(added));
        return;
    }
    result.pinholeId = pinholeId(added);
    if (result.pinholeId.isEmpty()) {
        result.ipv6Problem = QStringLiteral("The router did not confirm letting the game's port in over IPv6.");
        return;
    }
    result.ipv6Address = address;
}

QString closePinhole(const RouterMapping &mapping)
{
    if (mapping.pinholeId.isEmpty())
        return {};
    const Router router{{}, {}, mapping.pinholeControlUrl, mapping.pinholeServiceType};
    const Soap r = firewallCommand(router, "DeletePinhole", {{"UniqueID", mapping.pinholeId}});
    if (r.errorCode == 0 || r.errorCode == NoSuchPinhole)
        return {};
    return QStringLiteral("The router did not close the game's port for IPv6: %1.").arg(refusal(r));
}

} // namespace

RouterMapping UpnpGateway::open(const RouterRequest &request, const RouterMapping &held)
{
    RouterMapping result;
    Router router;
    result.problem = findRouter(request, router, result.lanAddress);
    if (!result.problem.isEmpty())
        return result;
    openPort(request, router, result);
    openPinhole(request, router, held, result);
    return result;
}

QString UpnpGateway::close(const RouterMapping &mapping)
{
    QString problem;
    if (mapping.opened) {
        const Router router{mapping.controlUrl, mapping.serviceType, {}, {}};
        const Soap r = deleteMapping(router, QByteArray::number(mapping.port));
        if (r.errorCode != 0 && r.errorCode != NoSuchEntry)
            problem = QStringLiteral("The router did not remove the forwarding of TCP port %1: %2.")
                          .arg(mapping.port)
                          .arg(refusal(r));
    }
    const QString pinhole = closePinhole(mapping);
    if (!pinhole.isEmpty())
        problem = problem.isEmpty() ? pinhole : problem + QLatin1Char(' ') + pinhole;
    return problem;
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

bool UpnpGateway::sameOrigin(const QByteArray &descriptionUrl, const QByteArray &controlUrl)
{
    const QUrl from(QString::fromLatin1(descriptionUrl), QUrl::StrictMode);
    const QUrl to(QString::fromLatin1(controlUrl), QUrl::StrictMode);
    return from.isValid() && to.isValid() && from.scheme() == QLatin1String("http")
           && to.scheme() == QLatin1String("http") && !from.host().isEmpty()
           && from.host().compare(to.host(), Qt::CaseInsensitive) == 0 && from.port(80) == to.port(80)
           && to.userInfo().isEmpty();
}
