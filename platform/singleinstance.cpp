#include "singleinstance.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace {
constexpr char RaiseRequest[] = "raise\n";
}

SingleInstance::SingleInstance(const QString &name, QObject *parent)
    : QObject(parent)
    , m_name(name)
    , m_lock(name, NamedLock::Mode::Exclusive)
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverPath() const
{
    return NamedLock::runtimeFolder() + QLatin1Char('/') + m_name + QStringLiteral(".sock");
}

bool SingleInstance::tryAcquire()
{
    if (!m_lock.tryLock())
        return false;
    if (!m_server) {
        m_server = new QLocalServer(this);
        // Holding the lock means any socket file left behind belongs to a dead copy.
        QLocalServer::removeServer(serverPath());
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        m_server->listen(serverPath());
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    }
    return true;
}

bool SingleInstance::askRunningCopyToRaise(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverPath());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(RaiseRequest);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return sent;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains("raise"))
                Q_EMIT raiseRequested();
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}
