#include "pendingjoin.h"

#include "announcements.h"
#include "clientconnection.h"
#include "joinaddress.h"
#include "protocol.h"
#include "tablecode.h"
#include "tablepreamble.h"

#include <variant>

namespace {

// The socket's error as a reason a player can act on.
QString reason(const QString &socketError)
{
    if (socketError.contains(QLatin1String("CONNREFUSED")))
        return QStringLiteral("nothing answers on that port");
    if (socketError.contains(QLatin1String("TIMEDOUT")))
        return QStringLiteral("no answer came in time");
    if (socketError.contains(QLatin1String("UNREACH")) || socketError.contains(QLatin1String("NETDOWN")))
        return QStringLiteral("that address cannot be reached from here");
    return socketError;
}

} // namespace

PendingJoin::PendingJoin(MessageBoxes &boxes, const QString &name, const QString &address, QObject *parent)
    : QObject(parent)
    , m_boxes(boxes)
    , m_name(name)
    , m_address(address)
{
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(OfferWaitMs);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (m_tableServer)
            fail(QStringLiteral("The table server at %1 did not answer: it may not be a Dorvane table server.")
                     .arg(peer()));
        else
            fail(QStringLiteral("The host at %1 did not offer a seat: it may not be a Dorvane game.")
                     .arg(m_address));
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

void PendingJoin::useTableServer(const QString &code)
{
    m_tableServer = true;
    m_joinsTable = !code.isEmpty();
    m_code = code;
}

void PendingJoin::start(quint16 gamePort)
{
    m_deadline.start();
    if (!m_tableServer) {
        const auto [host, port] = endpoint(m_address, gamePort);
        connectTo(host, port);
        return;
    }
    // A table server is reached on its own port, the game's port unless one is given.
    const JoinAddress server = JoinAddress::parse(m_address);
    if (!server.valid()) {
        fail(server.problem);
        return;
    }
    connectTo(server.host, server.port);
}

void PendingJoin::connectTo(const QString &host, quint16 port)
{
    m_connection = new ClientConnection(m_boxes, this);
    m_connection->setDispatcher([this](const QByteArray &line) { received(line); });
    connect(m_connection, &ClientConnection::connected, this, &PendingJoin::sendTableRequest);
    connect(m_connection, &ClientConnection::connectFailed, this, [this] {
        const QString why = reason(m_connection->lastError());
        if (m_tableServer)
            fail(QStringLiteral("Could not connect to the table server at %1 (%2). Check its address, and that "
                                "the server runs and can be reached from here.")
                     .arg(peer(), why));
        else
            fail(QStringLiteral("Could not connect to %1. Check the address, and that the game is hosted there "
                                "and reachable from here.")
                     .arg(m_address));
    });
    connect(m_connection, &ClientConnection::connectionLost, this, [this] {
        fail(QStringLiteral("The connection to %1 broke before the host offered a seat.").arg(peer()));
    });
    connect(m_connection, &ClientConnection::socketClosed, this, [this] {
        if (m_tableServer)
            fail(QStringLiteral("The table server at %1 closed the connection without an answer. After many "
                                "unknown codes it answers none from your address for ten minutes.")
                     .arg(peer()));
        else
            fail(QStringLiteral("The host at %1 closed the connection without offering a seat.").arg(m_address));
    });
    try {
        m_connection->open(host, port);
    } catch (const std::exception &) {
        // The name was not found (the windows look it up before; a command line does not).
        fail(QStringLiteral("Could not find the computer \"%1\". Check the address.").arg(host.left(60)));
    }
}

void PendingJoin::sendTableRequest()
{
    if (!m_tableServer || !m_connection)
        return;
    if (m_joinsTable)
        m_connection->send(protocol::JoinTable{m_code.toLatin1()}.build());
    else
        m_connection->send(protocol::OpenTable{}.build());
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
    if (m_tableServer && tableAnswer(line))
        return;
    const auto [command, rest] = protocol::splitCommand(line);
    try {
        if (command == protocol::SendLoginInfo::Command) {
            protocol::SendLoginInfo::parse(rest);
            if (opensTable() && !m_tableOpened) {
                // A game hosted by a player offers its seat at once: it opens no table.
                fail(QStringLiteral("%1 is a game hosted by a player, not a table server: join it with \"Join a "
                                    "Game...\" and no table code.")
                         .arg(peer()));
                return;
            }
            m_finished = true;
            m_offered = true;
            m_deadline.stop();
            Q_EMIT seatOffered(line);
            return;
        }
        if (command == protocol::Full::Command) {
            if (m_tableServer)
                fail(QStringLiteral("Game is full. The table %1 on %2 has no free place.")
                         .arg(tableText(), peer()));
            else
                fail(QStringLiteral("Game is full. The host at %1 has no free place.").arg(m_address));
            return;
        }
    } catch (const protocol::ProtocolError &) {
        // falls through: an offer that cannot be read is no offer
    }
    if (m_tableServer)
        fail(QStringLiteral("%1 did not answer as a Dorvane table server.").arg(peer()));
    else
        fail(QStringLiteral("%1 did not answer as a Dorvane game.").arg(m_address));
}

bool PendingJoin::tableAnswer(const QByteArray &line)
{
    const std::optional<protocol::TableAnswer> answer = protocol::parseTableAnswer(line);
    if (!answer)
        return false;
    if (const auto *opened = std::get_if<protocol::TableOpened>(&*answer)) {
        const QString code = tablecode::normalize(QString::fromLatin1(opened->code));
        if (!opensTable() || m_tableOpened || code.isEmpty()) {
            fail(QStringLiteral("%1 did not answer as a Dorvane table server.").arg(peer()));
            return true;
        }
        m_code = code;
        m_tableOpened = true;
        return true;
    }
    if (std::holds_alternative<protocol::NoTable>(*answer)) {
        fail(QStringLiteral("No table with code %1 is open on %2. Check the code; a table closes when the "
                            "player who opened it leaves.")
                 .arg(tableText(), peer()));
        return true;
    }
    follow(std::get<protocol::TableAt>(*answer).address);
    return true;
}

void PendingJoin::follow(const QByteArray &address)
{
    const JoinAddress next = JoinAddress::parse(QString::fromLatin1(address));
    if (!m_joinsTable || !m_redirectedTo.isEmpty() || !next.valid()) {
        fail(QStringLiteral("The table server at %1 sent the table %2 on to another server that could not be "
                            "followed (\"%3\"). Tell the people who run it.")
                 .arg(peer(), tableText(), QString::fromLatin1(address.left(60))));
        return;
    }
    m_redirectedTo = next.text();
    dropConnection();
    connectTo(next.host, next.port);
}

void PendingJoin::dropConnection()
{
    if (!m_connection)
        return;
    m_connection->setDispatcher({});
    disconnect(m_connection, nullptr, this, nullptr);
    m_connection->deleteLater();
    m_connection = nullptr;
}

void PendingJoin::fail(const QString &why)
{
    if (m_finished)
        return;
    m_finished = true;
    m_deadline.stop();
    // The connection goes now: the host sees this peer leave, and nothing more arrives.
    dropConnection();
    Q_EMIT failed(why);
}

QString PendingJoin::peer() const
{
    return m_redirectedTo.isEmpty() ? m_address : m_redirectedTo;
}

QString PendingJoin::tableText() const
{
    return tablecode::display(m_code);
}
