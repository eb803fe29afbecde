// PortMapper: keeps the game's port forwarded on the home router while this copy hosts.
#pragma once

#include "netplayengines.h"
#include "routerwire.h"

#include <QObject>
#include <QProcess>
#include <QTimer>
#include <memory>
#include <vector>

// The conversation with the router runs in the router program (dorvane-router), one process
// per hosting, so that nothing a router or another device sends can take the game's memory,
// time or life. The program renews the mapping, and removes it when told or when the game's
// end closes its input. Its answers come back as signals; the window never waits for them.
class PortMapper : public QObject
{
    Q_OBJECT
public:
    static constexpr int LeaseSeconds = RouterOptions::LeaseSeconds;
    static constexpr int AnswerDeadlineMs = RouterOptions::AnswerDeadlineMs;
    static constexpr const char *RootUrlVariable = RouterOptions::RootUrlVariable;
    static constexpr const char *ProgramName = "dorvane-router";

    using Options = RouterOptions;
    // The options of a running game: the root URL from DORVANE_UPNP_ROOT_URL when set.
    static Options fromEnvironment() { return RouterOptions::fromEnvironment(); }

    explicit PortMapper(Options options = fromEnvironment(), QObject *parent = nullptr);
    // Asks for a held or coming mapping to be removed and waits at most ExitWaitMs for it;
    // a removal still going on then finishes in the router program on its own.
    ~PortMapper() override;
    static constexpr int ExitWaitMs = 3000;

    // Hosting began on port: ask the router to forward it. Does nothing while already mapping.
    void start(quint16 port);
    // Hosting ended: remove the mapping, or the one still being made once it is made.
    void stop();
    // Waits at most ms for pending removals (the program is ending). True when none is left.
    bool waitForRemovals(int ms);

    bool active() const { return m_port != 0; }
    const RouterMapping &mapping() const { return m_mapping; }

    // The chat's sentence naming where others can join: this computer's local network
    // addresses (the one towards the router first) and the router's internet address.
    static QString addressesLine(quint16 port, const QString &lanAddress, const QString &externalAddress);
    // The chat's sentence naming the IPv6 address the router lets players in at, on port.
    static QString ipv6Line(quint16 port, const QString &address);

Q_SIGNALS:
    // Emitted with a finished sentence for the chat's status lines.
    void statusLine(const QString &text);
    // Emitted when the router answered the request to forward the port (opened or not).
    void answered(bool opened);
    // Emitted when a removal has been answered (text empty when the mapping is gone).
    void removed(const QString &problem);

private:
    struct Talk; // one run of the router program
    void launch();
    void onEvent(Talk *talk, const RouterWire::Event &event);
    void onFinished(Talk *talk);
    void onOpened(const RouterMapping &mapping);
    void reportPort(const RouterMapping &mapping, bool renewal);
    void reportPinhole(const RouterMapping &mapping, const RouterMapping &before);
    void onDeadline();

    Options m_options;
    quint16 m_port = 0;      // hosting on this port; 0 while not hosting
    bool m_waiting = false;  // an open request is out
    RouterMapping m_mapping; // what the router holds for us
    QTimer m_deadline;
    Talk *m_current = nullptr;                     // the run for this hosting
    std::vector<std::unique_ptr<Talk>> m_talks;    // every run not finished yet
    std::vector<std::unique_ptr<Talk>> m_finished; // runs whose end is being handled
};
