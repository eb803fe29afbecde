#include "upnpgateway.h"

#include "boundedhttp.h"

#include <QHostAddress>
#include <QUrl>

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>
#include <miniupnpc/upnpreplyparse.h>

#include <map>
#include <memory>

namespace {

constexpr int NoSuchEntry = 714;
constexpr int OnlyPermanentLeases = 725;
constexpr int MostDevicesTried = 8; // answers to the search beyond these are not looked at

const char Protocol[] = "TCP";
const char Description[] = "Dorvane game";

struct Router
{
    QByteArray controlUrl;
    QByteArray serviceType;
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

Soap command(const Router &router, const char *action, const QList<std::pair<const char *, QByteArray>> &args,
             const QList<const char *> &wanted = {})
{
    QByteArray body =
        "<?xml version=\"1.0\"?>\r\n<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body><u:"
        + QByteArray(action) + " xmlns:u=\"" + router.serviceType + "\">";
    for (const auto &[name, value] : args)
        body += "<" + QByteArray(name) + ">" + value + "</" + QByteArray(name) + ">";
    body += "</u:" + QByteArray(action) + "></s:Body></s:Envelope>\r\n";
    const HttpAnswer answer = BoundedHttp::post(router.controlUrl, router.serviceType + "#" + action, body,
                                                BoundedHttp::DeadlineMs, 64 * 1024);
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

} // namespace

RouterMapping UpnpGateway::open(const RouterRequest &request)
{
    RouterMapping result;
    Router router;
    result.problem = findRouter(request, router, result.lanAddress);
    if (!result.problem.isEmpty())
        return result;
    result.controlUrl = router.controlUrl;
    result.serviceType = router.serviceType;

    const Soap external = command(router, "GetExternalIPAddress", {}, {"NewExternalIPAddress"});
    if (external.errorCode == 0 && external.fields.count("NewExternalIPAddress")) {
        const QString address = QString::fromLatin1(external.fields.at("NewExternalIPAddress"));
        if (usableAddress(address)) {
            result.externalAddress = address;
            result.privateExternal = privateAddress(address);
        }
    }
    const QByteArray port = QByteArray::number(request.port);
    result.problem = checkExisting(router, port, result.lanAddress);
    if (!result.problem.isEmpty())
        return result;
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
        return result;
    }
    if (result.externalAddress.isEmpty()) {
        result.problem =
            QStringLiteral("The router forwards the port but did not tell its internet address%1.")
                .arg(external.problem.isEmpty() ? QString() : QStringLiteral(": ") + external.problem);
        deleteMapping(router, port);
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
    const Router router{mapping.controlUrl, mapping.serviceType};
    const Soap r = deleteMapping(router, QByteArray::number(mapping.port));
    if (r.errorCode == 0 || r.errorCode == NoSuchEntry)
        return {};
    return QStringLiteral("The router did not remove the forwarding of TCP port %1: %2.")
        .arg(mapping.port)
        .arg(refusal(r));
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
