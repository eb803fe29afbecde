// A start-up fixture with the real host of this program beside the window, and a probe of
// whether a connection to an address is accepted.
#pragma once

#include "clientfixture.h"
#include "serverform.h"
#include "sock.h"

#include <QTest>

class StartupWithHost : public ClientFixture
{
protected:
    void created() override { chat->setServer(&server); }

    // Whether a connection to address:port is accepted.
    static bool connects(const char *address, quint16 port)
    {
        TSock probe;
        bool connected = false;
        bool failed = false;
        probe.OnConnect = [&](TSock *) { connected = true; };
        probe.OnInfo = [&](TSock *, TSocketInfo info, const QString &) { failed = failed || info == siError; };
        probe.setHostName(QString::fromLatin1(address));
        probe.setPortName(QString::number(port));
        probe.Open();
        (void)QTest::qWaitFor([&] { return connected || failed; }, 3000);
        return connected;
    }

    TServer server;
};
