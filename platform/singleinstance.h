// SingleInstance: lets only one copy of the program run per user.
#pragma once

#include "namedlock.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <map>

class QSocketNotifier;

// The first copy holds an exclusive NamedLock and listens on a local (Unix domain) socket
// named after it, in the same private folder, readable and writable by the user only. A
// later copy fails to take the lock, asks the first copy (over the socket) to raise its
// window and then ends. The name is a parameter so tests do not collide with a running game. Plain POSIX sockets: the
// check runs before the first window, and Qt's network library would cost that window
// the loading of a library stack it never needs otherwise.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString &name, QObject *parent = nullptr);
    // folder: where the lock and the socket live (NamedLock::runtimeFolder() when empty).
    SingleInstance(const QString &name, const QString &folder, QObject *parent = nullptr);
    ~SingleInstance() override;

    // False only when another copy holds the lock. True when this is the only copy (the lock
    // is taken and the raise channel listens), and also when no lock can be had at all: a
    // copy that cannot check runs rather than ending without a word.
    bool tryAcquire();
    // Second copy: asks the running copy to raise its window. True when it was told.
    bool askRunningCopyToRaise(int timeoutMs = 1000);

    QString serverPath() const;

Q_SIGNALS:
    // Emitted when another copy was started and asked this one to come to the front.
    void raiseRequested();

private:
    struct Peer
    {
        QSocketNotifier *notifier = nullptr;
        QByteArray received;
    };

    void listen();
    void onNewConnection();
    void onPeerReadable(int fd);
    void closePeer(int fd);

    QString m_name;
    NamedLock m_lock;
    int m_listener = -1;
    QSocketNotifier *m_listenNotifier = nullptr;
    std::map<int, Peer> m_peers;
};
