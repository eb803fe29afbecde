// NamedMutex: a named system object held for the life of the process, never waited on.
#pragma once

#include "namedlock.h"

#include <QString>

// Other programs may look for the object to learn that the game runs; the game itself
// only creates it. Several holders may exist at once (a shared lock).
class NamedMutex
{
public:
    explicit NamedMutex(const QString &name);
    bool isHeld() const { return m_lock.isLocked(); }

private:
    NamedLock m_lock;
};
