// PortMapper: keeps the game's port forwarded on the home router while this copy hosts.
#pragma once

#include "netplayengines.h"
#include "upnpgateway.h"

#include <QObject>
#include <QTimer>
#include <memory>

// Every conversation with the router runs on a worker thread of its own; results come back
// as queued calls, so the window and the game go on meanwhile. The mapping is renewed at
// half its lease and removed when hosting ends. A router that never answers leaves a worker
// waiting (the library's own socket time-outs end it), never the window.
class PortMapper : public QObject
{
    Q_OBJECT
public:
    static constexpr int LeaseSeconds = RouterOptions::LeaseSeconds;
    static constexpr int AnswerDeadlineMs = RouterOptions::AnswerDeadlineMs;
    static constexpr const char *RootUrlVariable = RouterOptions::RootUrlVariable;

    using Options = RouterOptions;
    // The options of a running game: the root URL from DORVANE_UPNP_ROOT_URL when set.
    static Options fromEnvironment() { return RouterOptions::fromEnvironment(); }

    explicit PortMapper(Options options = fromEnvironment(), QObject *parent = nullptr);
    // Removes a held mapping, waiting for the router at most ExitWaitMs.
    ~PortMapper() override;
    static constexpr int ExitWaitMs = 3000;

    // Hosting began on port: ask the router to forward it. Does nothing while already mapping.
    void start(quint16 port);
    // Hosting ended: remove the mapping (on a worker), or drop the one still being made.
    void stop();
    // Waits at most ms for pending removals (the program is ending). True when none is left.
    bool waitForRemovals(int ms);

    bool active() const { return m_port != 0; }
    const RouterMapping &mapping() const { return m_mapping; }

Q_SIGNALS:
    // Emitted with a finished sentence for the chat's status lines.
    void statusLine(const QString &text);
    // Emitted when the router answered the request to forward the port (opened or not).
    void answered(bool opened);
    // Emitted when a removal has been answered (text empty when the mapping is gone).
    void removed(const QString &problem);

private:
    struct Worker;
    void runOpen();
    void onOpened(quint64 generation, const RouterMapping &mapping);
    void removeMapping(const RouterMapping &mapping);
    void onDeadline();

    Options m_options;
    quint16 m_port = 0;       // hosting on this port; 0 while not hosting
    quint64 m_generation = 0; // answers of an earlier hosting are not ours any more
    bool m_waiting = false;   // an open request is out
    RouterMapping m_mapping;  // what the router holds for us
    QTimer m_renew;
    QTimer m_deadline;
    std::shared_ptr<Worker> m_worker;
};
