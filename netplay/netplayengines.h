// The machinery behind playing with others — the router's port (through the router program
// dorvane-router, installed beside the module), the games on the local network (avahi) and
// looking up a host's name (Qt Network) — kept in the module library "dorvanenetplay",
// which the program opens when a game is first hosted or joined.
// The program reaches it only through these interfaces (RouterPort, LanAnnouncement,
// LanSearch, NetplayModule::lookUpHost).
#pragma once

#include "langame.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QtGlobal>
#include <functional>

// How the router is asked to forward the game's port.
struct RouterOptions
{
    static constexpr int LeaseSeconds = 4 * 3600;
    static constexpr int AnswerDeadlineMs = 20000; // the chat says so when the router is slower
    static constexpr const char *RootUrlVariable = "DORVANE_UPNP_ROOT_URL";

    QByteArray rootUrl;    // empty: search the network
    QString helperProgram; // the program that talks to the router; empty: the one beside the module
    int leaseSeconds = LeaseSeconds;
    int answerDeadlineMs = AnswerDeadlineMs;
    QString ipv6Address; // the address let in over IPv6; empty: this computer's own global one

    // The options of a running game: the root URL from DORVANE_UPNP_ROOT_URL when set.
    static RouterOptions fromEnvironment()
    {
        RouterOptions options;
        options.rootUrl = qgetenv(RootUrlVariable);
        return options;
    }
};

// Events arrive on the thread that made the engine, from its event loop.
class RouterEvents
{
public:
    virtual void routerStatus(const QString &text) = 0;
    virtual void routerAnswered(bool opened) = 0;
    virtual void routerRemoved(const QString &problem) = 0;

protected:
    ~RouterEvents() = default;
};

// Keeps the port forwarded while hosting (see PortMapper). Destroying it removes a held
// mapping, waiting for the router a few seconds at most.
class RouterEngine
{
public:
    virtual ~RouterEngine() = default;
    virtual void start(quint16 port) = 0;
    virtual void stop() = 0;
    virtual bool waitForRemovals(int ms) = 0;
    virtual bool active() const = 0;
    // The sentence that tells the host which addresses others can join at, on port.
    virtual QString addressesLine(quint16 port) const = 0;
};

class AnnouncerEvents
{
public:
    virtual void announcementEstablished() = 0;
    virtual void announcementFailed(const QString &reason) = 0;

protected:
    ~AnnouncerEvents() = default;
};

// Announces the hosted game on the local network (see LanAnnouncer).
class AnnouncerEngine
{
public:
    virtual ~AnnouncerEngine() = default;
    virtual void announce(const QString &player, quint16 port, int freeSeats) = 0;
    virtual void setFreeSeats(int freeSeats) = 0;
    virtual void withdraw() = 0;
    virtual bool announced() const = 0;
};

class BrowserEvents
{
public:
    virtual void lanGameFound(const LanGame &game) = 0;
    virtual void lanGameLost(const QString &key) = 0;
    virtual void browserNote(const QString &note) = 0;

protected:
    ~BrowserEvents() = default;
};

// Follows the games announced on the local network (see LanBrowser).
class BrowserEngine
{
public:
    virtual ~BrowserEngine() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool browsing() const = 0;
};

// Looks host up without blocking and calls done with an empty text (it has an IPv4 or an
// IPv6 address) or a sentence why not; context ends a pending lookup.
using HostLookUp = void(const QString &host, QObject *context, std::function<void(QString)> done);

// What the module offers; every engine is owned by the caller and must not outlive its events.
struct NetplayEntry
{
    RouterEngine *(*router)(const RouterOptions &options, RouterEvents &events);
    AnnouncerEngine *(*announcer)(AnnouncerEvents &events);
    BrowserEngine *(*browser)(BrowserEvents &events);
    HostLookUp *lookUpHost;
};

// The module's one entry point.
using NetplayEntryFunction = const NetplayEntry *();
inline constexpr const char *NetplayEntrySymbol = "dorvane_netplay_entry";
