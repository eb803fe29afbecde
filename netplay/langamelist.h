// LanGameList: which announcements on the local network the browser follows and lists.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// Bounds what one machine on the network can make the Join window show: at most perAddress
// listed games from one address, at most followed announcements followed at once (listed or
// being resolved), at most known remembered. Announcements wait their turn in the order they
// came. One that does not resolve within resolveDeadlineMs is given up and tried again after
// retryAfterMs, when nothing new waits; a listed game never makes room for an unresolved one.
// One over its address's share waits until a game from that address leaves. Times are
// milliseconds of any steady clock. No network here: LanBrowser tells what happened.
class LanGameList
{
public:
    struct Limits
    {
        int perAddress = 8;
        int followed = 256;
        int known = 4096;
        qint64 resolveDeadlineMs = 15000;
        qint64 retryAfterMs = 60000;
    };
    // What a resolved announcement means for the list.
    enum class Verdict {
        Listed,    // show it (or show its changed record)
        Unlisted,  // it was shown and no longer may be: drop it, stop resolving it
        NotListed, // not shown (its address has its share): stop resolving it
        Ignored,   // not an announcement being followed
    };

    LanGameList();
    explicit LanGameList(Limits limits);

    // An announcement appeared. False when it is ignored: already known, or too many are.
    bool add(const QString &key);
    // It was withdrawn; true when it was listed (the list must drop it).
    bool remove(const QString &key);
    // Announcements to resolve now, oldest first, as many as there is room for; they count
    // as being resolved from now.
    QStringList nextToResolve(qint64 now);
    Verdict resolved(const QString &key, const QString &address);
    // Resolving failed (or gave an unusable record): tried again later.
    void failed(const QString &key, qint64 now);
    // Announcements still being resolved past the deadline: given up now (stop their resolvers).
    QStringList expire(qint64 now);
    void clear();

    bool isListed(const QString &key) const;
    QStringList listedKeys() const;
    int listedCount() const { return count(State::Listed); }
    int resolvingCount() const { return count(State::Resolving); }
    int knownCount() const { return int(m_entries.size()); }

private:
    enum class State { Waiting, Resolving, Listed, Parked, GivenUp };
    struct Entry
    {
        State state = State::Waiting;
        quint64 order = 0; // arrival; older goes first
        qint64 since = 0;  // resolving since, or given up since
        QString address;   // listed or parked: the address it resolved to
    };

    int count(State state) const;
    int listedFrom(const QString &address, const QString &except) const;
    // A listed game from address left: the oldest one waiting for that address's share may try again.
    void unparkOne(const QString &address);

    Limits m_limits;
    QHash<QString, Entry> m_entries;
    quint64 m_nextOrder = 0;
};
