#include "serverformtestbench.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

void ServerFormTestBench::SetUp()
{
    server.setPortName(QStringLiteral("0"));
    server.setTimeScale(0.1);
    server.startListening();
    port = server.listeningPort();
    ASSERT_NE(port, 0);
    QObject::connect(&server, &TServer::requestDropped, [this](const QString &reason) { dropped.append(reason); });
}

bool ServerFormTestBench::pumpUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        for (auto &client : clients)
            client->poll();
        if (done())
            return true;
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::usleep(300);
    }
}

void ServerFormTestBench::pumpFor(int ms)
{
    pumpUntil([] { return false; }, ms);
}

HostClient &ServerFormTestBench::connectClient(int receiveBuffer)
{
    clients.push_back(std::make_unique<HostClient>(port, receiveBuffer));
    return *clients.back();
}

HostClient &ServerFormTestBench::join()
{
    HostClient &client = connectClient();
    EXPECT_TRUE(pumpUntil([&] { return client.seat() != 0 || client.closedByPeer(); })) << "no CMD_sendlogininfo";
    return client;
}

HostClient &ServerFormTestBench::login(const QByteArray &name, const QByteArray &version)
{
    HostClient &client = join();
    const QByteArray seat = QByteArray::number(client.seat());
    client.sendMessage("CMD_logininfo+" + seat + "+" + version + "+" + name);
    EXPECT_TRUE(pumpUntil([&] { return client.has("CMD_newplayerinfo+" + seat + "+" + name); }))
        << "log-in of " << name.constData() << " not announced";
    return client;
}

void ServerFormTestBench::sync(HostClient &client)
{
    const QByteArray seat = QByteArray::number(client.seat());
    const QByteArray marker = "sync" + QByteArray::number(++m_syncCount);
    client.sendMessage("CMD_chat+" + seat + "+" + marker);
    const QByteArray expected = " chats: " + marker;
    ASSERT_TRUE(pumpUntil([&] {
        const QList<QByteArray> chats = client.withPrefix("CMD_chat+" + seat + "+");
        return !chats.isEmpty() && chats.last().endsWith(expected);
    })) << "marker "
        << marker.constData() << " never came back";
}

bool ServerFormTestBench::droppedContains(const QString &text) const
{
    for (const QString &reason : dropped) {
        if (reason.contains(text))
            return true;
    }
    return false;
}
