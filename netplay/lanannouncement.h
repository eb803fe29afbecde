// LanAnnouncement: announces the hosted game on the local network while this copy hosts.
#pragma once

#include "netplayengines.h"

#include <QObject>
#include <QStringList>
#include <memory>

class NetplayModule;

// The announcement lives in the network module (see LanAnnouncer), opened by the first
// announce(). Without the module, announce() reports why through failed(); the game goes on.
class LanAnnouncement : public QObject, private AnnouncerEvents
{
    Q_OBJECT
public:
    explicit LanAnnouncement(QObject *parent = nullptr);
    // moduleFolders: where the network module is looked for.
    explicit LanAnnouncement(const QStringList &moduleFolders, QObject *parent = nullptr);
    ~LanAnnouncement() override;

    // Starts announcing (replaces an earlier announcement).
    void announce(const QString &player, quint16 port, int freeSeats);
    // Changes the free seats in the record.
    void setFreeSeats(int freeSeats);
    // Ends the announcement; never opens the module.
    void withdraw();
    bool announced() const { return m_engine && m_engine->announced(); }

Q_SIGNALS:
    // Emitted once the daemon confirmed the announcement.
    void established();
    // Emitted with a sentence when the game cannot be announced.
    void failed(const QString &reason);

private:
    void announcementEstablished() override { Q_EMIT established(); }
    void announcementFailed(const QString &reason) override { Q_EMIT failed(reason); }

    std::unique_ptr<NetplayModule> m_module;
    std::unique_ptr<AnnouncerEngine> m_engine; // made by the first announce
};
