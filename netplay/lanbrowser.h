// LanBrowser: follows the games announced on the local network, live.
#pragma once

#include "avahiqtpoll.h"
#include "langame.h"
#include "langamelist.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

struct AvahiClient;
struct AvahiServiceBrowser;
struct AvahiServiceResolver;

// Browses LanGame::ServiceType over IPv4 and keeps one resolver open per listed game, so a
// changed record (free seats) arrives as a new gameFound with the same key. Names and TXT
// values are cleaned before they leave this class. What is followed and listed is bounded per
// announcing address (LanGameList), so junk from one machine cannot hide the games of others.
// When the avahi daemon goes away the list empties and a note says so; when it is back the
// search starts again by itself.
class LanBrowser : public QObject
{
    Q_OBJECT
public:
    explicit LanBrowser(QObject *parent = nullptr, LanGameList::Limits limits = LanGameList::Limits{});
    ~LanBrowser() override;

    // Starts browsing; without a daemon emits noteChanged and waits for one to appear.
    void start();
    void stop();
    bool browsing() const { return m_browser != nullptr; }
    // Resolvers open now (listed games and those being resolved).
    int followed() const;
    int listed() const { return m_list.listedCount(); }

Q_SIGNALS:
    // Emitted when a game was found or its record changed.
    void gameFound(const LanGame &game);
    // Emitted when the game with this key is no longer announced.
    void gameLost(const QString &key);
    // Emitted with a one-line note about the search (empty when the search runs normally).
    void noteChanged(const QString &note);

private:
    // One announcement seen by the browser; resolver is open while it is followed.
    struct Service
    {
        int interface = 0;
        int protocol = 0;
        QByteArray name;
        QByteArray type;
        QByteArray domain;
        AvahiServiceResolver *resolver = nullptr;
    };

    static void clientChanged(AvahiClient *client, int state, void *self);
    static void browsed(AvahiServiceBrowser *browser, int interface, int protocol, int event, const char *name,
                        const char *type, const char *domain, void *self);
    void onResolved(const QString &key, int event, const char *name, const QString &address, quint16 port,
                    const QList<QByteArray> &txt);
    void connectClient();
    void reconnect();
    void release();
    void browse();
    void add(int interface, int protocol, const char *name, const char *type, const char *domain);
    void remove(const QString &key);
    // Opens resolvers for what may be followed now and closes those past their deadline.
    void pump();
    void closeResolver(const QString &key);
    void dropListed();

    AvahiQtPoll m_poll;
    AvahiClient *m_client = nullptr;
    AvahiServiceBrowser *m_browser = nullptr;
    QHash<QString, Service> m_services;
    LanGameList m_list;
    QTimer m_pumpTimer;
    QElapsedTimer m_clock;
    bool m_wanted = false;
};
