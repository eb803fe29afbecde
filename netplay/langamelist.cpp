#include "langamelist.h"

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

LanGameList::LanGameList()
    : LanGameList(Limits{})
{
}

LanGameList::LanGameList(Limits limits)
    : m_limits(limits)
{
}

bool LanGameList::add(const QString &key)
{
    if (m_entries.contains(key) || m_entries.size() >= m_limits.known)
        return false;
    Entry entry;
    entry.order = m_nextOrder++;
    m_entries.insert(key, entry);
    return true;
}

bool LanGameList::remove(const QString &key)
{
    const auto it = m_entries.constFind(key);
    if (it == m_entries.cend())
        return false;
    const bool listed = it->state == State::Listed;
    const QString address = it->address;
    m_entries.erase(it);
    if (listed)
        unparkOne(address);
    return listed;
}

QStringList LanGameList::nextToResolve(qint64 now)
{
    int room = m_limits.followed - count(State::Listed) - count(State::Resolving);
    if (room <= 0)
        return {};
    // New announcements first, then those given up long enough ago; each group oldest first.
    std::vector<std::pair<std::pair<int, quint64>, QString>> candidates;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        if (it->state == State::Waiting)
            candidates.push_back({{0, it->order}, it.key()});
        else if (it->state == State::GivenUp && now - it->since >= m_limits.retryAfterMs)
            candidates.push_back({{1, it->order}, it.key()});
    }
    const auto take = std::min(candidates.size(), size_t(room));
    std::partial_sort(candidates.begin(), candidates.begin() + std::ptrdiff_t(take), candidates.end());
    QStringList keys;
    for (size_t i = 0; i < take; ++i) {
        Entry &entry = m_entries[candidates[i].second];
        entry.state = State::Resolving;
        entry.since = now;
        keys.append(candidates[i].second);
    }
    return keys;
}

LanGameList::Verdict LanGameList::resolved(const QString &key, const QString &address)
{
    const auto it = m_entries.find(key);
    if (it == m_entries.end() || (it->state != State::Resolving && it->state != State::Listed))
        return Verdict::Ignored;
    const bool wasListed = it->state == State::Listed;
    const QString before = it->address;
    if (wasListed && before == address)
        return Verdict::Listed;
    if (listedFrom(address, key) >= m_limits.perAddress) {
        it->state = State::Parked;
        it->address = address;
        if (wasListed)
            unparkOne(before);
        return wasListed ? Verdict::Unlisted : Verdict::NotListed;
    }
    it->state = State::Listed;
    it->address = address;
    if (wasListed)
        unparkOne(before); // moved away: its old address has a place again
    return Verdict::Listed;
}

void LanGameList::failed(const QString &key, qint64 now)
{
    const auto it = m_entries.find(key);
    if (it == m_entries.end() || it->state != State::Resolving)
        return; // a listed game stays until it is withdrawn
    it->state = State::GivenUp;
    it->since = now;
}

QStringList LanGameList::expire(qint64 now)
{
    QStringList keys;
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->state == State::Resolving && now - it->since >= m_limits.resolveDeadlineMs) {
            it->state = State::GivenUp;
            it->since = now;
            keys.append(it.key());
        }
    }
    return keys;
}

void LanGameList::clear()
{
    m_entries.clear();
}

bool LanGameList::isListed(const QString &key) const
{
    const auto it = m_entries.constFind(key);
    return it != m_entries.cend() && it->state == State::Listed;
}

QStringList LanGameList::listedKeys() const
{
    QStringList keys;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        if (it->state == State::Listed)
            keys.append(it.key());
    }
    return keys;
}

int LanGameList::count(State state) const
{
    return int(
        std::count_if(m_entries.cbegin(), m_entries.cend(), [state](const Entry &e) { return e.state == state; }));
}

int LanGameList::listedFrom(const QString &address, const QString &except) const
{
    int n = 0;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        if (it->state == State::Listed && it->address == address && it.key() != except)
            ++n;
    }
    return n;
}

void LanGameList::unparkOne(const QString &address)
{
    Entry *oldest = nullptr;
    for (Entry &entry : m_entries) {
        if (entry.state == State::Parked && entry.address == address && (!oldest || entry.order < oldest->order))
            oldest = &entry;
    }
    if (oldest)
        oldest->state = State::Waiting;
}
