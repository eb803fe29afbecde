// ServerFormTestBench: a TServer on an ephemeral loopback port plus raw clients, and a
// pump that runs the event loop until a condition holds.
#pragma once

#include "hostclient.h"
#include "serverform.h"

#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

class ServerFormTestBench : public ::testing::Test
{
protected:
    void SetUp() override;

    // Runs the event loop and polls every client until done() or the timeout.
    bool pumpUntil(const std::function<bool()> &done, int timeoutMs = 5000);
    void pumpFor(int ms);

    HostClient &connectClient(int receiveBuffer = 0);
    // Connects and waits for CMD_sendlogininfo.
    HostClient &join();
    // Joins and logs in, waiting for its own CMD_newplayerinfo.
    HostClient &login(const QByteArray &name, const QByteArray &version = "1.0.9");
    // Sends a chat marker and waits until it comes back: everything the client sent
    // before has been dispatched by then.
    void sync(HostClient &client);
    bool droppedContains(const QString &text) const;

    TServer server;
    quint16 port = 0;
    QStringList dropped;
    std::vector<std::unique_ptr<HostClient>> clients;

private:
    int m_syncCount = 0;
};
