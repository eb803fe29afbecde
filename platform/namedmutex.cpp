#include "namedmutex.h"

NamedMutex::NamedMutex(const QString &name)
    : m_lock(name, NamedLock::Mode::Shared)
{
    m_lock.tryLock();
}
