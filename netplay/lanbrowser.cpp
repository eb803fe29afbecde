#include "lanbrowser.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/address.h>
#include <avahi-common/error.h>
#include <avahi-common/strlst.h>

#include <QHostAddress>

namespace {

constexpr int MaxTxtStrings = 16;

QString keyOf(int interface, int protocol, const char *name, const char *domain)
{
    return QStringLiteral("%1/%2/").arg(interface).arg(protocol) + QString::fromUtf8(name) + QLatin1Char('/')
           + QString::fromUtf8(domain);
}

QString noDaemonNote(int error)
{
    if (error == AVAHI_ERR_NO_DAEMON)
        return QStringLiteral("Games on the local network cannot be listed: the avahi service is not running on "
                              "this computer.");
    return QStringLiteral("Games on the local network cannot be listed (%1).")
        .arg(QString::fromUtf8(avahi_strerror(error)));
}

QList<QByteArray> txtStrings(AvahiStringList *txt)
{
    QList<QByteArray> strings;
    for (AvahiStringList *s = txt; s && strings.size() < MaxTxtStrings; s = avahi_string_list_get_next(s))
        strings.append(QByteArray(reinterpret_cast<const char *>(avahi_string_list_get_text(s)),
                                  qsizetype(avahi_string_list_get_size(s))));
    return strings;
}

} // namespace

LanBrowser::LanBrowser(QObject *parent)
    : QObject(parent)
{
}

LanBrowser::~LanBrowser()
{
    stop();
}

void LanBrowser::start()
{
    stop();
    int error = 0;
    m_client = avahi_client_new(
        m_poll.poll(), AvahiClientFlags(0),
        [](AvahiClient *c, AvahiClientState s, void *self) { clientChanged(c, s, self); }, this, &error);
    if (!m_client) {
        Q_EMIT noteChanged(noDaemonNote(error));
        return;
    }
    m_browser = avahi_service_browser_new(
        m_client, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET, LanGame::ServiceType, nullptr, AvahiLookupFlags(0),
        [](AvahiServiceBrowser *b, AvahiIfIndex i, AvahiProtocol p, AvahiBrowserEvent e, const char *n,
           const char *t, const char *d, AvahiLookupResultFlags,
           void *self) { browsed(b, i, p, e, n, t, d, self); },
        this);
    if (!m_browser) {
        Q_EMIT noteChanged(noDaemonNote(avahi_client_errno(m_client)));
        stop();
        return;
    }
    Q_EMIT noteChanged(QString());
}

void LanBrowser::stop()
{
    for (AvahiServiceResolver *resolver : std::as_const(m_resolvers))
        avahi_service_resolver_free(resolver);
    m_resolvers.clear();
    if (m_browser) {
        avahi_service_browser_free(m_browser);
        m_browser = nullptr;
    }
    if (m_client) {
        avahi_client_free(m_client);
        m_client = nullptr;
    }
}

void LanBrowser::clientChanged(AvahiClient *client, int state, void *self)
{
    auto *browser = static_cast<LanBrowser *>(self);
    if (state != AVAHI_CLIENT_FAILURE || !browser->m_client)
        return; // a failure inside avahi_client_new is reported by start()
    Q_EMIT browser->noteChanged(noDaemonNote(avahi_client_errno(client)));
}

void LanBrowser::browsed(AvahiServiceBrowser *, int interface, int protocol, int event, const char *name,
                         const char *type, const char *domain, void *self)
{
    auto *browser = static_cast<LanBrowser *>(self);
    if (event == AVAHI_BROWSER_NEW)
        browser->follow(interface, protocol, name, type, domain);
    else if (event == AVAHI_BROWSER_REMOVE)
        browser->forget(keyOf(interface, protocol, name, domain));
    else if (event == AVAHI_BROWSER_FAILURE)
        Q_EMIT browser->noteChanged(noDaemonNote(avahi_client_errno(browser->m_client)));
}

void LanBrowser::follow(int interface, int protocol, const char *name, const char *type, const char *domain)
{
    const QString key = keyOf(interface, protocol, name, domain);
    if (m_resolvers.contains(key) || m_resolvers.size() >= MaxGames)
        return;
    AvahiServiceResolver *resolver = avahi_service_resolver_new(
        m_client, interface, protocol, name, type, domain, AVAHI_PROTO_INET, AvahiLookupFlags(0),
        [](AvahiServiceResolver *, AvahiIfIndex i, AvahiProtocol p, AvahiResolverEvent e, const char *n,
           const char *, const char *d, const char *, const AvahiAddress *a, uint16_t port, AvahiStringList *txt,
           AvahiLookupResultFlags, void *self) {
            char address[AVAHI_ADDRESS_STR_MAX] = {};
            if (a)
                avahi_address_snprint(address, sizeof address, a);
            resolved(i, p, e, n, d, QString::fromLatin1(address), port, txtStrings(txt), self);
        },
        this);
    if (resolver)
        m_resolvers.insert(key, resolver);
}

void LanBrowser::forget(const QString &key)
{
    AvahiServiceResolver *resolver = m_resolvers.take(key);
    if (!resolver)
        return;
    avahi_service_resolver_free(resolver);
    Q_EMIT gameLost(key);
}

void LanBrowser::resolved(int interface, int protocol, int event, const char *name, const char *domain,
                          const QString &address, quint16 port, const QList<QByteArray> &txt, void *self)
{
    if (event != AVAHI_RESOLVER_FOUND || port == 0
        || QHostAddress(address).protocol() != QAbstractSocket::IPv4Protocol)
        return; // a failed lookup or an unusable record is simply not listed
    LanGame game;
    game.key = keyOf(interface, protocol, name, domain);
    game.address = address;
    game.port = port;
    game.player = LanGame::shownText(LanGame::txtValue(txt, "player"));
    if (game.player.isEmpty())
        game.player = LanGame::shownText(name);
    bool ok = false;
    const int free = LanGame::txtValue(txt, "free").toInt(&ok);
    game.freeSeats = ok && free >= 0 && free <= 4 ? free : -1;
    Q_EMIT static_cast<LanBrowser *>(self)->gameFound(game);
}
