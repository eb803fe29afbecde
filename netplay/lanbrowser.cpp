#include "lanbrowser.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/address.h>
#include <avahi-common/error.h>
#include <avahi-common/strlst.h>

#include <QHostAddress>

namespace {

constexpr int MaxTxtStrings = 16;
constexpr int PumpIntervalMs = 1000; // deadlines and retries are seconds apart

QString keyOf(int interface, int protocol, const char *name, const char *domain)
{
    return QStringLiteral("%1/%2/").arg(interface).arg(protocol) + QString::fromUtf8(name) + QLatin1Char('/')
           + QString::fromUtf8(domain);
}

// Two lines of the Join window at most.
QString noDaemonNote(int error)
{
    if (error == AVAHI_ERR_NO_DAEMON || error == AVAHI_ERR_DISCONNECTED)
        return QStringLiteral("Games on your local network cannot be listed: the avahi service, which finds them, "
                              "is not running on this computer. You can still type the host's address.");
    return QStringLiteral("Games on your local network cannot be listed (%1). You can still type the host's "
                          "address.")
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

LanBrowser::LanBrowser(QObject *parent, LanGameList::Limits limits)
    : QObject(parent)
    , m_list(limits)
{
    m_clock.start();
    m_pumpTimer.setInterval(PumpIntervalMs);
    connect(&m_pumpTimer, &QTimer::timeout, this, &LanBrowser::pump);
}

LanBrowser::~LanBrowser()
{
    stop();
}

int LanBrowser::followed() const
{
    return int(std::count_if(m_services.cbegin(), m_services.cend(),
                             [](const Service &s) { return s.resolver != nullptr; }));
}

void LanBrowser::start()
{
    stop();
    m_wanted = true;
    connectClient();
}

void LanBrowser::stop()
{
    m_wanted = false;
    release();
}

// With AVAHI_CLIENT_NO_FAIL a missing daemon leaves the client waiting for it (CONNECTING).
void LanBrowser::connectClient()
{
    int error = 0;
    AvahiClient *client = avahi_client_new(
        m_poll.poll(), AVAHI_CLIENT_NO_FAIL,
        [](AvahiClient *c, AvahiClientState s, void *self) { clientChanged(c, s, self); }, this, &error);
    if (!client) {
        Q_EMIT noteChanged(noDaemonNote(error));
        return;
    }
    m_client = client;
}

// A client that lost its daemon is dead: a new one waits for the daemon to come back.
void LanBrowser::reconnect()
{
    if (!m_wanted || !m_client || avahi_client_get_state(m_client) != AVAHI_CLIENT_FAILURE)
        return;
    release();
    connectClient();
}

void LanBrowser::release()
{
    m_pumpTimer.stop();
    for (Service &service : m_services) {
        if (service.resolver)
            avahi_service_resolver_free(service.resolver);
    }
    m_services.clear();
    m_list.clear();
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
    switch (state) {
    case AVAHI_CLIENT_S_RUNNING:
        browser->m_client = client; // also reached from inside avahi_client_new
        if (!browser->m_browser)
            browser->browse();
        break;
    case AVAHI_CLIENT_CONNECTING:
        Q_EMIT browser->noteChanged(noDaemonNote(AVAHI_ERR_NO_DAEMON));
        break;
    case AVAHI_CLIENT_FAILURE: {
        const int error = avahi_client_errno(client);
        browser->dropListed();
        Q_EMIT browser->noteChanged(noDaemonNote(error));
        if (error == AVAHI_ERR_DISCONNECTED) // freed outside avahi's own call
            QTimer::singleShot(0, browser, &LanBrowser::reconnect);
        break;
    }
    default:
        break;
    }
}

void LanBrowser::browse()
{
    m_browser = avahi_service_browser_new(
        m_client, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET, LanGame::ServiceType, nullptr, AvahiLookupFlags(0),
        [](AvahiServiceBrowser *b, AvahiIfIndex i, AvahiProtocol p, AvahiBrowserEvent e, const char *n,
           const char *t, const char *d, AvahiLookupResultFlags,
           void *self) { browsed(b, i, p, e, n, t, d, self); },
        this);
    if (!m_browser) {
        Q_EMIT noteChanged(noDaemonNote(avahi_client_errno(m_client)));
        return;
    }
    m_pumpTimer.start();
    Q_EMIT noteChanged(QString());
}

void LanBrowser::browsed(AvahiServiceBrowser *, int interface, int protocol, int event, const char *name,
                         const char *type, const char *domain, void *self)
{
    auto *browser = static_cast<LanBrowser *>(self);
    if (event == AVAHI_BROWSER_NEW)
        browser->add(interface, protocol, name, type, domain);
    else if (event == AVAHI_BROWSER_REMOVE)
        browser->remove(keyOf(interface, protocol, name, domain));
    else if (event == AVAHI_BROWSER_FAILURE)
        Q_EMIT browser->noteChanged(noDaemonNote(avahi_client_errno(browser->m_client)));
}

void LanBrowser::add(int interface, int protocol, const char *name, const char *type, const char *domain)
{
    const QString key = keyOf(interface, protocol, name, domain);
    if (!m_list.add(key))
        return;
    m_services.insert(key, Service{interface, protocol, name, type, domain, nullptr});
    pump();
}

void LanBrowser::remove(const QString &key)
{
    closeResolver(key);
    m_services.remove(key);
    if (m_list.remove(key))
        Q_EMIT gameLost(key);
    pump();
}

void LanBrowser::closeResolver(const QString &key)
{
    const auto it = m_services.find(key);
    if (it == m_services.end() || !it->resolver)
        return;
    avahi_service_resolver_free(it->resolver);
    it->resolver = nullptr;
}

void LanBrowser::dropListed()
{
    for (const QString &key : m_list.listedKeys())
        Q_EMIT gameLost(key);
    m_list.clear();
}

void LanBrowser::pump()
{
    if (!m_browser)
        return;
    const qint64 now = m_clock.elapsed();
    for (const QString &key : m_list.expire(now))
        closeResolver(key);
    for (const QString &key : m_list.nextToResolve(now)) {
        Service &service = m_services[key];
        service.resolver = avahi_service_resolver_new(
            m_client, service.interface, service.protocol, service.name.constData(), service.type.constData(),
            service.domain.constData(), AVAHI_PROTO_INET, AvahiLookupFlags(0),
            [](AvahiServiceResolver *r, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent e, const char *n,
               const char *, const char *, const char *, const AvahiAddress *a, uint16_t port,
               AvahiStringList *txt, AvahiLookupResultFlags, void *self) {
                char address[AVAHI_ADDRESS_STR_MAX] = {};
                if (a)
                    avahi_address_snprint(address, sizeof address, a);
                auto *browser = static_cast<LanBrowser *>(self);
                for (auto it = browser->m_services.cbegin(); it != browser->m_services.cend(); ++it) {
                    if (it->resolver == r) {
                        browser->onResolved(it.key(), e, n, QString::fromLatin1(address), port, txtStrings(txt));
                        return;
                    }
                }
            },
            this);
        if (!service.resolver)
            m_list.failed(key, now);
    }
}

void LanBrowser::onResolved(const QString &key, int event, const char *name, const QString &address, quint16 port,
                            const QList<QByteArray> &txt)
{
    if (event != AVAHI_RESOLVER_FOUND || port == 0
        || QHostAddress(address).protocol() != QAbstractSocket::IPv4Protocol) {
        // A failed lookup or an unusable record is not listed; it is tried again later.
        if (!m_list.isListed(key)) {
            m_list.failed(key, m_clock.elapsed());
            closeResolver(key);
            pump();
        }
        return;
    }
    switch (m_list.resolved(key, address)) {
    case LanGameList::Verdict::Listed:
        break;
    case LanGameList::Verdict::Unlisted:
        closeResolver(key);
        Q_EMIT gameLost(key);
        pump();
        return;
    case LanGameList::Verdict::NotListed:
    case LanGameList::Verdict::Ignored:
        closeResolver(key);
        pump();
        return;
    }
    LanGame game;
    game.key = key;
    game.address = address;
    game.port = port;
    game.player = LanGame::shownText(LanGame::txtValue(txt, "player"));
    if (game.player.isEmpty())
        game.player = LanGame::shownText(name);
    bool ok = false;
    const int free = LanGame::txtValue(txt, "free").toInt(&ok);
    game.freeSeats = ok && free >= 0 && free <= 4 ? free : -1;
    Q_EMIT gameFound(game);
}
