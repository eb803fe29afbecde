// LanAnnouncer: announces the hosted game on the local network (DNS-SD over the avahi daemon).
#pragma once

#include "avahiqtpoll.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

struct AvahiClient;
struct AvahiEntryGroup;

// One service of type LanGame::ServiceType on the game's port, with the TXT strings
// "player=NAME", "free=N" and "version=V". Without a daemon nothing is announced and one
// note says so; the game never waits for the daemon. When the daemon appears later, or comes
// back after it stopped or restarted, the game is announced again.
class LanAnnouncer : public QObject
{
    Q_OBJECT
public:
    explicit LanAnnouncer(QObject *parent = nullptr);
    ~LanAnnouncer() override;

    // Starts announcing (replaces an earlier announcement).
    void announce(const QString &player, quint16 port, int freeSeats);
    // Changes the free seats in the record; nothing when the number did not change.
    void setFreeSeats(int freeSeats);
    // Ends the announcement.
    void withdraw();

    bool announced() const { return m_established; }
    // The instance name in use (it changes when another game on the network has the same).
    QByteArray instanceName() const { return m_name; }

Q_SIGNALS:
    // Emitted once the daemon confirmed the announcement.
    void established();
    // Emitted with a sentence when the game cannot be announced.
    void failed(const QString &reason);

private:
    static void clientChanged(AvahiClient *client, int state, void *self);
    static void groupChanged(AvahiEntryGroup *group, int state, void *self);
    void connectClient();
    void reconnect();
    void release();
    void publish();
    QList<QByteArray> record() const;
    void updateRecord();
    void fail(const QString &reason);

    AvahiQtPoll m_poll;
    AvahiClient *m_client = nullptr;
    AvahiEntryGroup *m_group = nullptr;
    QString m_player;
    QByteArray m_name;
    quint16 m_port = 0;
    int m_freeSeats = 0;
    int m_publishedFree = -1;
    bool m_established = false;
    bool m_failed = false;
    bool m_active = false; // between announce() and withdraw()
};
