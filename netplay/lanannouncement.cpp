#include "lanannouncement.h"

#include "modulelibrary.h"
#include "netplaymodule.h"

LanAnnouncement::LanAnnouncement(QObject *parent)
    : LanAnnouncement(ModuleLibrary::defaultFolders(), parent)
{
}

LanAnnouncement::LanAnnouncement(const QStringList &moduleFolders, QObject *parent)
    : QObject(parent)
    , m_module(std::make_unique<NetplayModule>(moduleFolders))
{
}

LanAnnouncement::~LanAnnouncement()
{
    m_engine.reset();
}

void LanAnnouncement::announce(const QString &player, quint16 port, int freeSeats)
{
    if (!m_engine) {
        const NetplayEntry *entry = m_module->entry();
        if (!entry) {
            Q_EMIT failed(
                m_module->problem(QStringLiteral("The game is not announced on the local network; friends "
                                                 "in the house can still join with your address")));
            return;
        }
        m_engine.reset(entry->announcer(*this));
    }
    m_engine->announce(player, port, freeSeats);
}

void LanAnnouncement::setFreeSeats(int freeSeats)
{
    if (m_engine)
        m_engine->setFreeSeats(freeSeats);
}

void LanAnnouncement::withdraw()
{
    if (m_engine)
        m_engine->withdraw();
}
