// RelayBudget: how many relay bytes each connection may still make the host send.
#pragma once

#include <QtGlobal>
#include <array>

// A token bucket per entry (1 to 9): it holds at most BurstBytes and refills at
// BytesPerSecond. Every chat, action and chatter-sound relay a connection causes is
// charged once (not once per reader); a relay that does not fit is dropped. The rate is far
// above what anyone types, and low enough that with eight other senders at full rate a
// reader taking 1 MB/s never falls behind.
//
// Time is passed in by the caller in milliseconds of the host's own (scaled) clock, so the
// budget is a pure function of what was charged when.
class RelayBudget
{
public:
    static constexpr int MaxEntries = 9;
    static constexpr qint64 BytesPerSecond = 8 * 1024;
    static constexpr qint64 BurstBytes = 32 * 1024;

    // A new connection in entry starts with a full budget.
    void reset(int entry, double nowMs);
    // Takes bytes from entry's budget when they fit and tells whether they did. A relay
    // larger than BurstBytes never fits.
    bool take(int entry, qint64 bytes, double nowMs);
    // What entry may still send at nowMs.
    qint64 available(int entry, double nowMs) const;

    // What becomes of a relay: it goes out; it is dropped and its sender is to be told; or it
    // is dropped and the sender was told already. The sender is told once until its budget
    // has filled up again (it paused), so the notices cannot grow into a flood themselves.
    enum class Verdict { Send, DropAndTell, Drop };
    Verdict charge(int entry, qint64 bytes, double nowMs);

private:
    struct Bucket
    {
        double bytes = BurstBytes;
        double lastMs = 0;
        bool started = false;
        bool told = false;
    };
    void refill(Bucket &bucket, double nowMs) const;
    static double refilled(const Bucket &bucket, double nowMs);

    std::array<Bucket, MaxEntries + 1> m_buckets{};
};
