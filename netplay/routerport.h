// RouterPort: asks the home router to forward the game's port while this copy hosts.
#pragma once

#include "netplayengines.h"

#include <QObject>
#include <QStringList>
#include <memory>

class NetplayModule;

// The conversation with the router lives in the network module (see PortMapper), opened by
// the first start(). Without the module, start() says why in one status line and answers
// "not opened"; the game goes on.
class RouterPort : public QObject, private RouterEvents
{
    Q_OBJECT
public:
    explicit RouterPort(RouterOptions options = RouterOptions::fromEnvironment(), QObject *parent = nullptr);
    // moduleFolders: where the network module is looked for.
    RouterPort(RouterOptions options, const QStringList &moduleFolders, QObject *parent = nullptr);
    // Removes a held mapping, waiting for the router a few seconds at most.
    ~RouterPort() override;

    // Hosting began on port: ask the router to forward it. Does nothing while already mapping.
    void start(quint16 port);
    // Hosting ended: remove the mapping, or drop the one still being made.
    void stop();
    // Hosting on port without asking the router: one status line with this computer's
    // addresses on its networks, so the host knows what to tell the others.
    void tellAddresses(quint16 port);
    bool active() const { return m_engine && m_engine->active(); }

Q_SIGNALS:
    // Emitted with a finished sentence for the chat's status lines.
    void statusLine(const QString &text);
    // Emitted when the router answered the request to forward the port (opened or not).
    void answered(bool opened);
    // Emitted when a removal has been answered (text empty when the mapping is gone).
    void removed(const QString &problem);

private:
    bool makeEngine(quint16 port);
    void routerStatus(const QString &text) override { Q_EMIT statusLine(text); }
    void routerAnswered(bool opened) override { Q_EMIT answered(opened); }
    void routerRemoved(const QString &problem) override { Q_EMIT removed(problem); }

    RouterOptions m_options;
    std::unique_ptr<NetplayModule> m_module;
    std::unique_ptr<RouterEngine> m_engine; // made by the first start
};
