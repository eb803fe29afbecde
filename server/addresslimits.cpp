#include "addresslimits.h"

bool AddressLimits::admit(const AddressKey &key)
{
    Entry &entry = m_entries[key];
    if (entry.connections >= m_config.maxConnections)
        return false;
    ++entry.connections;
    return true;
}

void AddressLimits::release(const AddressKey &key)
{
    const auto it = m_entries.find(key);
    if (it == m_entries.end())
        return;
    if (it->connections > 0)
        --it->connections;
    if (it->connections == 0 && it->unknownAt.isEmpty() && it->blockedUntil < 0)
        m_entries.erase(it);
}

int AddressLimits::connections(const AddressKey &key) const
{
    const auto it = m_entries.constFind(key);
    return it == m_entries.cend() ? 0 : it->connections;
}

bool AddressLimits::guessingBlocked(const AddressKey &key, double nowMs) const
{
    const auto it = m_entries.constFind(key);
    return it != m_entries.cend() && it->blockedUntil >= 0 && nowMs < it->blockedUntil;
}

void AddressLimits::trim(Entry &entry, double nowMs) const
{
    while (!entry.unknownAt.isEmpty() && entry.unknownAt.first() <= nowMs - m_config.windowMs)
        entry.unknownAt.removeFirst();
    if (entry.blockedUntil >= 0 && nowMs >= entry.blockedUntil)
        entry.blockedUntil = -1;
}

void AddressLimits::unknownCode(const AddressKey &key, double nowMs)
{
    Entry &entry = m_entries[key];
    trim(entry, nowMs);
    entry.unknownAt.append(nowMs);
    if (entry.unknownAt.size() > m_config.unknownCodesAllowed) {
        entry.blockedUntil = nowMs + m_config.blockMs;
        entry.unknownAt.clear(); // the block is what is remembered now
        entry.unknownAt.squeeze();
    }
}

void AddressLimits::sweep(double nowMs)
{
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        trim(*it, nowMs);
        if (it->connections == 0 && it->unknownAt.isEmpty() && it->blockedUntil < 0)
            it = m_entries.erase(it);
        else
            ++it;
    }
}
