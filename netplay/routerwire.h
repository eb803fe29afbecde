// RouterWire: what the router program and the game say to each other over its pipes, one
// line at a time ("word text"), and the records those lines carry.
#pragma once

#include "ports.h"
#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

struct RouterRequest
{
    QByteArray rootUrl;          // the router's description; empty: look for it on the network
    quint16 port = ports::Game;  // external and internal TCP port
    int leaseSeconds = 4 * 3600; // the router drops the mapping after this unless renewed
    int discoveryMs = 2000;      // how long to wait for routers to answer the search
    QString ipv6Address;         // let in over IPv6 to this address; empty: this computer's own
};

struct RouterMapping
{
    bool opened = false;          // the router forwards the port to lanAddress
    quint16 port = 0;             // the forwarded port (external and internal)
    QString externalAddress;      // the router's internet address (dotted IPv4), when it gave one
    QString lanAddress;           // this computer's address towards the router
    QString problem;              // why the port is not open, as a sentence; empty when opened
    bool privateExternal = false; // the router's own address is private: another router is in front
    bool permanent = false;       // the router takes only mappings without a lease
    QByteArray controlUrl;        // where the router takes its commands (kept for closing)
    QByteArray serviceType;
    // IPv6: the router's firewall lets the port in to this computer's global address.
    QString ipv6Address;          // the address let in; empty when no pinhole is held
    QString ipv6Problem;          // the router offers IPv6 firewall control but refused, as a sentence
    QByteArray pinholeId;         // the router's UniqueID of the pinhole (kept for closing)
    QByteArray pinholeControlUrl; // where the router takes its firewall commands
    QByteArray pinholeServiceType;

    // Something is held on the router that must be renewed and removed.
    bool held() const { return opened || !pinholeId.isEmpty(); }
};

class RouterWire
{
public:
    // The game asks the program to remove the mapping and end (closing its input says the same).
    static constexpr const char *StopLine = "stop\n";
    // Longer lines are none of the program's: they are dropped.
    static constexpr qsizetype MaxLine = 2048;

    struct Event
    {
        enum Kind { Answer, Removed, Stopped };
        Kind kind = Answer;
        RouterMapping mapping; // Answer: the router's answer to opening (or renewing) the port
        QString text;          // Removed: empty when the mapping is gone, else why not; Stopped: why
    };

    // The lines that carry an answer to opening the port.
    static QByteArray answer(const RouterMapping &mapping);
    // The line after a removal (problem empty: the mapping is gone).
    static QByteArray removed(const QString &problem);
    // The line the program writes when its conversation ended abnormally.
    static QByteArray stopped(const QString &reason);

    // Takes the program's output as it comes and returns the events it completes.
    QList<Event> feed(const QByteArray &bytes);

private:
    QByteArray m_pending; // an unfinished line
    bool m_dropping = false;
    RouterMapping m_answer; // the answer being read
};
