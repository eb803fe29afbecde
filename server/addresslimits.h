// AddressLimits: how many connections an address holds, and whether it is guessing codes.
#pragma once

#include "addresskey.h"

#include <QHash>
#include <QList>

// Times are in the server's table time (milliseconds), so a time scale shortens the
// windows with everything else.
class AddressLimits
{
public:
    struct Config
    {
        int maxConnections = 256;      // at once, per address
        int unknownCodesAllowed = 10;  // within one window; one more starts a block
        double windowMs = 60 * 1000.0; // the window the unknown codes are counted in
        double blockMs = 10 * 60 * 1000.0;
    };

    AddressLimits() = default;
    explicit AddressLimits(const Config &config)
        : m_config(config)
    {
    }

    // Counts a new connection from key; false (and nothing counted) when the address holds
    // its most already.
    bool admit(const AddressKey &key);
    void release(const AddressKey &key);
    int connections(const AddressKey &key) const;

    // True while requests from key for unknown codes go unanswered.
    bool guessingBlocked(const AddressKey &key, double nowMs) const;
    // Counts a request for an unknown code; the one past the allowance within the window
    // starts the block.
    void unknownCode(const AddressKey &key, double nowMs);

    // Forgets addresses with no connection and nothing left to remember.
    void sweep(double nowMs);
    qsizetype addressesKnown() const { return m_entries.size(); }

private:
    struct Entry
    {
        int connections = 0;
        QList<double> unknownAt; // within the last window, oldest first
        double blockedUntil = -1;
    };

    void trim(Entry &entry, double nowMs) const;

    Config m_config;
    QHash<AddressKey, Entry> m_entries;
};
