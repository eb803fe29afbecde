#include "pendingjoin.h"

#include "announcements.h"
#include "clientconnection.h"
#include "joinaddress.h"
#include "protocol.h"

PendingJoin::PendingJoin(MessageBoxes &boxes, const QString &name, const QString &address, QObject *parent)
    : QObject(parent)
    , m_connection(new ClientConnection(boxes, this))
    , m_name(name)
    , m_address(address)
{
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(OfferWaitMs);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("The host at %1 did not offer a seat: it may not be a Dorvane game.").arg(m_address));
    });
    m_connection->setDispatcher([this](const QByteArray &line) { received(line); });
    connect(m_connection, &ClientConnection::connectFailed, this, [this] {
        fail(QStringLiteral("Could not connect to %1. Check the address, and that the game is hosted there "
                            "and reachable from here.")
                 .arg(m_address));
    });
    connect(m_connection, &ClientConnection::connectionLost, this, [this] {
        fail(QStringLiteral("The connection to %1 broke before the host offered a seat.").arg(m_address));
    });
    connect(m_connection, &ClientConnection::socketClosed, this, [this] {
        fail(QStringLiteral("The host at %1 closed the connection without offering a seat.").arg(m_address));
    });
}

PendingJoin::~PendingJoin() = default;

QPair<QString, quint16> PendingJoin::endpoint(const QString &address, quint16 gamePort)
{
    // "name:port" reaches a dedicated host on another port; an IPv6 address may come in
    // brackets ("[2001:db8::7]:7000"); anything else is a host name.
    const JoinAddress parsed = JoinAddress::parse(address);
    if (parsed.valid())
        return {parsed.host, parsed.portGiven ? parsed.port : gamePort};
    return {address, gamePort};
}

void PendingJoin::start(quint16 gamePort)
{
    const auto [host, port] = endpoint(m_address, gamePort);
    m_deadline.start();
    m_connection->open(host, port);
}

ClientConnection *PendingJoin::takeConnection()
{
    if (!m_offered || !m_connection)
        return nullptr;
    ClientConnection *taken = m_connection;
    m_connection = nullptr;
    disconnect(taken, nullptr, this, nullptr);
    taken->setDispatcher({});
    taken->setParent(nullptr);
    return taken;
}

void PendingJoin::received(const QByteArray &line)
{
    if (m_finished)
        return;
    const auto [command, rest] = protocol::splitCommand(line);
    try {
        if (command == protocol::SendLoginInfo::Command) {
            protocol::SendLoginInfo::parse(rest);
            m_finished = true;
            m_offered = true;
            m_deadline.stop();
            Q_EMIT seatOffered(line);
            return;
        }
        if (command == protocol::Full::Command) {
            fail(QStringLiteral("Game is full. The host at %1 has no free place.").arg(m_address));
            return;
        }
    } catch (const protocol::ProtocolError &) {
        // falls through: an offer that cannot be read is no offer
    }
    fail(QStringLiteral("%1 did not answer as a Dorvane game.").arg(m_address));
}

void PendingJoin::fail(const QString &why)
{
    if (m_finished)
        return;
    m_finished = true;
    m_deadline.stop();
    // The connection goes now: the host sees this peer leave, and nothing more arrives.
    if (m_connection) {
        m_connection->setDispatcher({});
        disconnect(m_connection, nullptr, this, nullptr);
        m_connection->deleteLater();
        m_connection = nullptr;
    }
    Q_EMIT failed(why);
}
