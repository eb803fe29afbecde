// LanBrowser: follows the games announced on the local network, live.
#pragma once

#include "avahiqtpoll.h"
#include "langame.h"

#include <QHash>
#include <QObject>
#include <QString>

struct AvahiClient;
struct AvahiServiceBrowser;
struct AvahiServiceResolver;

// Browses LanGame::ServiceType over IPv4 and keeps one resolver open per announcement, so a
// changed record (free seats) arrives as a new gameFound with the same key. Names and TXT
// values are cleaned before they leave this class; at most MaxGames are followed.
class LanBrowser : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxGames = 64;

    explicit LanBrowser(QObject *parent = nullptr);
    ~LanBrowser() override;

    // Starts browsing; without a daemon emits noteChanged once and stays empty.
    void start();
    void stop();
    bool browsing() const { return m_browser != nullptr; }
    int followed() const { return int(m_resolvers.size()); }

Q_SIGNALS:
    // Emitted when a game was found or its record changed.
    void gameFound(const LanGame &game);
    // Emitted when the game with this key is no longer announced.
    void gameLost(const QString &key);
    // Emitted with a one-line note about the search (empty when the search runs normally).
    void noteChanged(const QString &note);

private:
    static void clientChanged(AvahiClient *client, int state, void *self);
    static void browsed(AvahiServiceBrowser *browser, int interface, int protocol, int event, const char *name,
                        const char *type, const char *domain, void *self);
    static void resolved(int interface, int protocol, int event, const char *name, const char *domain,
                         const QString &address, quint16 port, const QList<QByteArray> &txt, void *self);
    void follow(int interface, int protocol, const char *name, const char *type, const char *domain);
    void forget(const QString &key);

    AvahiQtPoll m_poll;
    AvahiClient *m_client = nullptr;
    AvahiServiceBrowser *m_browser = nullptr;
    QHash<QString, AvahiServiceResolver *> m_resolvers;
};
