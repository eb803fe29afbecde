// SingleInstance: lets only one copy of the program run per user.
#pragma once

#include "namedlock.h"

#include <QObject>
#include <QString>

class QLocalServer;

// The first copy holds an exclusive NamedLock and listens on a local socket named after it.
// A later copy fails to take the lock, asks the first copy (over the socket) to raise its
// window and then ends. The name is a parameter so tests do not collide with a running game.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString &name, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this is the only copy: the lock is taken and the raise channel listens.
    bool tryAcquire();
    // Second copy: asks the running copy to raise its window. True when it was told.
    bool askRunningCopyToRaise(int timeoutMs = 1000);

    QString serverPath() const;

Q_SIGNALS:
    // Emitted when another copy was started and asked this one to come to the front.
    void raiseRequested();

private:
    void onNewConnection();

    QString m_name;
    NamedLock m_lock;
    QLocalServer *m_server = nullptr;
};
