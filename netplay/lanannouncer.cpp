#include "lanannouncer.h"

#include "langame.h"
#include "version.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>

#include <QTimer>

namespace {

QString daemonProblem(int error)
{
    if (error == AVAHI_ERR_NO_DAEMON || error == AVAHI_ERR_DISCONNECTED)
        return QStringLiteral("The game is not announced on the local network, so it does not appear in the Join "
                              "window of players there: the avahi service, which announces it, is not running on "
                              "this computer. Friends can still join by typing your address.");
    return QStringLiteral("The game is not announced on the local network, so it does not appear in the Join "
                          "window of players there (%1). Friends can still join by typing your address.")
        .arg(QString::fromUtf8(avahi_strerror(error)));
}

} // namespace

LanAnnouncer::LanAnnouncer(QObject *parent)
    : QObject(parent)
{
}

LanAnnouncer::~LanAnnouncer()
{
    withdraw();
}

void LanAnnouncer::announce(const QString &player, quint16 port, int freeSeats)
{
    withdraw();
    m_active = true;
    m_failed = false;
    m_player = player;
    m_port = port;
    m_freeSeats = freeSeats;
    m_name = LanGame::instanceName(player);
    connectClient();
}

// With AVAHI_CLIENT_NO_FAIL a missing daemon leaves the client waiting for it (CONNECTING):
// the note says so at once, and the game is announced when the daemon appears.
void LanAnnouncer::connectClient()
{
    int error = 0;
    AvahiClient *client = avahi_client_new(
        m_poll.poll(), AVAHI_CLIENT_NO_FAIL,
        [](AvahiClient *c, AvahiClientState s, void *self) { clientChanged(c, s, self); }, this, &error);
    if (!client) {
        fail(daemonProblem(error));
        return;
    }
    m_client = client;
}

// A client that lost its daemon (it stopped or restarted) is dead: a new one announces again
// once the daemon is back.
void LanAnnouncer::reconnect()
{
    if (!m_active || !m_client || avahi_client_get_state(m_client) != AVAHI_CLIENT_FAILURE)
        return;
    release();
    connectClient();
}

void LanAnnouncer::withdraw()
{
    m_active = false;
    release();
}

void LanAnnouncer::release()
{
    m_established = false;
    m_publishedFree = -1;
    if (m_group) {
        avahi_entry_group_free(m_group);
        m_group = nullptr;
    }
    if (m_client) {
        avahi_client_free(m_client);
        m_client = nullptr;
    }
}

void LanAnnouncer::setFreeSeats(int freeSeats)
{
    m_freeSeats = freeSeats;
    if (m_group && m_established && m_publishedFree != freeSeats)
        updateRecord();
}

QList<QByteArray> LanAnnouncer::record() const
{
    return {"player=" + m_player.toUtf8(), "free=" + QByteArray::number(m_freeSeats),
            QByteArray("version=") + GameVersion};
}

void LanAnnouncer::updateRecord()
{
    const QList<QByteArray> txt = record();
    if (avahi_entry_group_update_service_txt(m_group, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET, AvahiPublishFlags(0),
                                             m_name.constData(), LanGame::ServiceType, nullptr, txt[0].constData(),
                                             txt[1].constData(), txt[2].constData(), nullptr)
        >= 0)
        m_publishedFree = m_freeSeats;
}

void LanAnnouncer::clientChanged(AvahiClient *client, int state, void *self)
{
    auto *announcer = static_cast<LanAnnouncer *>(self);
    switch (state) {
    case AVAHI_CLIENT_S_RUNNING:
        announcer->m_client = client; // also reached from inside avahi_client_new
        announcer->publish();
        break;
    case AVAHI_CLIENT_S_COLLISION:
    case AVAHI_CLIENT_S_REGISTERING:
        if (announcer->m_group)
            avahi_entry_group_reset(announcer->m_group);
        announcer->m_established = false;
        break;
    case AVAHI_CLIENT_CONNECTING:
        announcer->fail(daemonProblem(AVAHI_ERR_NO_DAEMON));
        break;
    case AVAHI_CLIENT_FAILURE: {
        const int error = avahi_client_errno(client);
        announcer->fail(daemonProblem(error));
        if (error == AVAHI_ERR_DISCONNECTED) // freed outside avahi's own call
            QTimer::singleShot(0, announcer, &LanAnnouncer::reconnect);
        break;
    }
    default:
        break;
    }
}

void LanAnnouncer::publish()
{
    if (!m_group) {
        m_group = avahi_entry_group_new(
            m_client, [](AvahiEntryGroup *g, AvahiEntryGroupState s, void *self) { groupChanged(g, s, self); },
            this);
        if (!m_group) {
            fail(daemonProblem(avahi_client_errno(m_client)));
            return;
        }
    }
    if (!avahi_entry_group_is_empty(m_group))
        return;
    const QList<QByteArray> txt = record();
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int r =
            avahi_entry_group_add_service(m_group, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET, AvahiPublishFlags(0),
                                          m_name.constData(), LanGame::ServiceType, nullptr, nullptr, m_port,
                                          txt[0].constData(), txt[1].constData(), txt[2].constData(), nullptr);
        if (r == AVAHI_ERR_COLLISION) {
            char *other = avahi_alternative_service_name(m_name.constData());
            m_name = other;
            avahi_free(other);
            continue;
        }
        if (r < 0 || avahi_entry_group_commit(m_group) < 0) {
            fail(daemonProblem(r < 0 ? r : avahi_client_errno(m_client)));
            return;
        }
        m_publishedFree = m_freeSeats;
        return;
    }
    fail(QStringLiteral("The game is not announced on the local network: every name tried is taken."));
}

void LanAnnouncer::groupChanged(AvahiEntryGroup *group, int state, void *self)
{
    auto *announcer = static_cast<LanAnnouncer *>(self);
    if (state == AVAHI_ENTRY_GROUP_ESTABLISHED) {
        announcer->m_established = true;
        announcer->m_failed = false; // a later loss of the daemon is reported again
        if (announcer->m_publishedFree != announcer->m_freeSeats)
            announcer->updateRecord(); // the seats changed while the daemon registered the name
        Q_EMIT announcer->established();
    } else if (state == AVAHI_ENTRY_GROUP_COLLISION) {
        char *other = avahi_alternative_service_name(announcer->m_name.constData());
        announcer->m_name = other;
        avahi_free(other);
        avahi_entry_group_reset(group);
        announcer->publish();
    } else if (state == AVAHI_ENTRY_GROUP_FAILURE) {
        announcer->fail(daemonProblem(avahi_client_errno(avahi_entry_group_get_client(group))));
    }
}

void LanAnnouncer::fail(const QString &reason)
{
    m_established = false;
    if (m_failed)
        return; // one note per announcement
    m_failed = true;
    Q_EMIT failed(reason);
}
