// The entry point of the module "dorvanenetplay": the router's port, the local network and
// host lookups, each handed to the program behind the interfaces of netplayengines.h.
#include "lanannouncer.h"
#include "lanbrowser.h"
#include "netplayengines.h"
#include "portmapper.h"

#include <QFileInfo>
#include <QHostAddress>
#include <QHostInfo>

#include <dlfcn.h>

extern "C" Q_DECL_EXPORT const NetplayEntry *dorvane_netplay_entry();

namespace {

// The router program is installed (and built) beside this module.
QString routerProgramBesideModule()
{
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void *>(&dorvane_netplay_entry), &info) == 0 || info.dli_fname == nullptr)
        return QString::fromLatin1(PortMapper::ProgramName);
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath() + QLatin1Char('/')
           + QLatin1String(PortMapper::ProgramName);
}

RouterOptions withProgram(RouterOptions options)
{
    if (options.helperProgram.isEmpty())
        options.helperProgram = routerProgramBesideModule();
    return options;
}

class ModuleRouter final : public RouterEngine
{
public:
    ModuleRouter(const RouterOptions &options, RouterEvents &events)
        : m_mapper(withProgram(options))
    {
        QObject::connect(&m_mapper, &PortMapper::statusLine,
                         [&events](const QString &t) { events.routerStatus(t); });
        QObject::connect(&m_mapper, &PortMapper::answered,
                         [&events](bool opened) { events.routerAnswered(opened); });
        QObject::connect(&m_mapper, &PortMapper::removed,
                         [&events](const QString &p) { events.routerRemoved(p); });
    }
    void start(quint16 port) override { m_mapper.start(port); }
    void stop() override { m_mapper.stop(); }
    bool waitForRemovals(int ms) override { return m_mapper.waitForRemovals(ms); }
    bool active() const override { return m_mapper.active(); }
    QString addressesLine(quint16 port) const override { return PortMapper::addressesLine(port, {}, {}); }

private:
    PortMapper m_mapper;
};

class ModuleAnnouncer final : public AnnouncerEngine
{
public:
    explicit ModuleAnnouncer(AnnouncerEvents &events)
    {
        QObject::connect(&m_announcer, &LanAnnouncer::established,
                         [&events] { events.announcementEstablished(); });
        QObject::connect(&m_announcer, &LanAnnouncer::failed,
                         [&events](const QString &reason) { events.announcementFailed(reason); });
    }
    void announce(const QString &player, quint16 port, int freeSeats) override
    {
        m_announcer.announce(player, port, freeSeats);
    }
    void setFreeSeats(int freeSeats) override { m_announcer.setFreeSeats(freeSeats); }
    void withdraw() override { m_announcer.withdraw(); }
    bool announced() const override { return m_announcer.announced(); }

private:
    LanAnnouncer m_announcer;
};

class ModuleBrowser final : public BrowserEngine
{
public:
    explicit ModuleBrowser(BrowserEvents &events)
    {
        QObject::connect(&m_browser, &LanBrowser::gameFound,
                         [&events](const LanGame &game) { events.lanGameFound(game); });
        QObject::connect(&m_browser, &LanBrowser::gameLost,
                         [&events](const QString &key) { events.lanGameLost(key); });
        QObject::connect(&m_browser, &LanBrowser::noteChanged,
                         [&events](const QString &note) { events.browserNote(note); });
    }
    void start() override { m_browser.start(); }
    void stop() override { m_browser.stop(); }
    bool browsing() const override { return m_browser.browsing(); }

private:
    LanBrowser m_browser;
};

void lookUpHost(const QString &host, QObject *context, std::function<void(QString)> done)
{
    QHostInfo::lookupHost(host, context, [host, done = std::move(done)](const QHostInfo &info) {
        if (info.error() != QHostInfo::NoError) {
            done(QStringLiteral("The address \"%1\" could not be found: %2")
                     .arg(host.left(60), info.errorString()));
            return;
        }
        for (const QHostAddress &address : info.addresses()) {
            const auto protocol = address.protocol();
            if (protocol == QAbstractSocket::IPv4Protocol || protocol == QAbstractSocket::IPv6Protocol) {
                done(QString());
                return;
            }
        }
        done(QStringLiteral("\"%1\" has no IPv4 or IPv6 address.").arg(host.left(60)));
    });
}

constexpr NetplayEntry Entry{
    [](const RouterOptions &options, RouterEvents &events) -> RouterEngine * {
        return new ModuleRouter(options, events);
    },
    [](AnnouncerEvents &events) -> AnnouncerEngine * { return new ModuleAnnouncer(events); },
    [](BrowserEvents &events) -> BrowserEngine * { return new ModuleBrowser(events); },
    lookUpHost,
};

} // namespace

extern "C" Q_DECL_EXPORT const NetplayEntry *dorvane_netplay_entry()
{
    return &Entry;
}
