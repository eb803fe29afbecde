// A loopback listener that plays the host: sends scripted messages, records requests.
#pragma once

#include "messageframer.h"
#include "protocol.h"
#include "sock.h"

#include <QByteArrayList>
#include <QTest>

class ScriptedHost
{
public:
    ScriptedHost()
    {
        listener.setPortName(QStringLiteral("0"));
        listener.OnAccept = [this](TSock *s) {
            TSock *client = nullptr;
            if (s->Accept(client)) {
                peer = client;
                ++accepted;
            }
        };
        listener.OnRead = [this](TSock *s, int) { received.append(framer.feed(s->Receive())); };
        listener.setListen(true);
    }

    quint16 port() const { return listener.boundPort(); }

    bool waitForClient(int ms = 3000)
    {
        return QTest::qWaitFor([this] { return peer != nullptr; }, ms);
    }

    void send(const QByteArray &message) { peer->Send(protocol::frame(message)); }
    void sendRaw(const QByteArray &bytes) { peer->Send(bytes); }

    // Waits until a request equal to message has arrived.
    bool waitForRequest(const QByteArray &message, int ms = 3000)
    {
        return QTest::qWaitFor([&] { return received.contains(message); }, ms);
    }
    // Waits until some request starting with prefix has arrived; returns the last one.
    QByteArray waitForPrefix(const QByteArray &prefix, int ms = 3000)
    {
        QByteArray found;
        (void)QTest::qWaitFor(
            [&] {
                for (const QByteArray &r : received)
                    if (r.startsWith(prefix))
                        found = r;
                return !found.isEmpty();
            },
            ms);
        return found;
    }
    QByteArrayList requestsStartingWith(const QByteArray &prefix) const
    {
        QByteArrayList out;
        for (const QByteArray &r : received)
            if (r.startsWith(prefix))
                out.append(r);
        return out;
    }

    TSock listener;
    TSock *peer = nullptr;
    int accepted = 0;
    MessageFramer framer;
    QByteArrayList received;
};
