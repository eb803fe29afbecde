#include "relaybudget.h"

#include <algorithm>

namespace {

bool validEntry(int entry)
{
    return entry >= 1 && entry <= RelayBudget::MaxEntries;
}

} // namespace

double RelayBudget::refilled(const Bucket &bucket, double nowMs)
{
    if (!bucket.started)
        return double(BurstBytes);
    // A clock that went back (a new time scale) refills nothing.
    const double elapsed = std::max(0.0, nowMs - bucket.lastMs);
    return std::min(double(BurstBytes), bucket.bytes + elapsed * double(BytesPerSecond) / 1000.0);
}

void RelayBudget::refill(Bucket &bucket, double nowMs) const
{
    bucket.bytes = refilled(bucket, nowMs);
    bucket.lastMs = std::max(bucket.lastMs, nowMs);
    bucket.started = true;
}

void RelayBudget::reset(int entry, double nowMs)
{
    if (!validEntry(entry))
        return;
    m_buckets[entry] = Bucket{};
    m_buckets[entry].lastMs = nowMs;
    m_buckets[entry].started = true;
}

bool RelayBudget::take(int entry, qint64 bytes, double nowMs)
{
    if (!validEntry(entry) || bytes < 0)
        return false;
    Bucket &bucket = m_buckets[entry];
    refill(bucket, nowMs);
    if (double(bytes) > bucket.bytes)
        return false;
    bucket.bytes -= double(bytes);
    return true;
}

qint64 RelayBudget::available(int entry, double nowMs) const
{
    return validEntry(entry) ? qint64(refilled(m_buckets[entry], nowMs)) : 0;
}

RelayBudget::Verdict RelayBudget::charge(int entry, qint64 bytes, double nowMs)
{
    if (!validEntry(entry))
        return Verdict::Drop;
    Bucket &bucket = m_buckets[entry];
    // Only a sender whose budget filled up again has calmed down: its next drop is news.
    if (refilled(bucket, nowMs) >= double(BurstBytes))
        bucket.told = false;
    if (take(entry, bytes, nowMs))
        return Verdict::Send;
    if (bucket.told)
        return Verdict::Drop;
    bucket.told = true;
    return Verdict::DropAndTell;
}
