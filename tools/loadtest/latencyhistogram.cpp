#include "latencyhistogram.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

constexpr std::size_t FineBuckets = LatencyHistogram::FineLimitMicros / LatencyHistogram::FineStepMicros;
constexpr std::size_t CoarseBuckets =
    (LatencyHistogram::LimitMicros - LatencyHistogram::FineLimitMicros) / LatencyHistogram::CoarseStepMicros;

} // namespace

LatencyHistogram::LatencyHistogram()
    : m_buckets(FineBuckets + CoarseBuckets + 1, 0)
{
}

std::size_t LatencyHistogram::bucketOf(std::int64_t micros)
{
    micros = std::max<std::int64_t>(micros, 0);
    if (micros < FineLimitMicros)
        return std::size_t(micros / FineStepMicros);
    if (micros >= LimitMicros)
        return FineBuckets + CoarseBuckets; // the overflow bucket
    return FineBuckets + std::size_t((micros - FineLimitMicros) / CoarseStepMicros);
}

std::int64_t LatencyHistogram::upperBoundMicros(std::size_t bucket)
{
    if (bucket < FineBuckets)
        return std::int64_t(bucket + 1) * FineStepMicros;
    return FineLimitMicros + std::int64_t(bucket - FineBuckets + 1) * CoarseStepMicros;
}

void LatencyHistogram::record(std::int64_t micros)
{
    ++m_buckets[bucketOf(micros)];
    ++m_count;
    m_max = std::max(m_max, micros);
}

void LatencyHistogram::merge(const LatencyHistogram &other)
{
    for (std::size_t i = 0; i < m_buckets.size(); ++i)
        m_buckets[i] += other.m_buckets[i];
    m_count += other.m_count;
    m_max = std::max(m_max, other.m_max);
}

double LatencyHistogram::percentileMs(double p) const
{
    if (m_count == 0)
        return 0;
    if (p >= 1)
        return double(m_max) / 1000.0;
    // The rank of the sample at p, counted from 1: the median of 1..100 is the 50th.
    const auto rank = std::max<std::uint64_t>(1, std::uint64_t(std::ceil(p * double(m_count))));
    std::uint64_t seen = 0;
    for (std::size_t i = 0; i < m_buckets.size(); ++i) {
        seen += m_buckets[i];
        if (seen >= rank)
            return double(std::min(upperBoundMicros(i), m_max)) / 1000.0;
    }
    return double(m_max) / 1000.0;
}

std::string LatencyHistogram::serialize() const
{
    std::ostringstream out;
    out << "max:" << m_max;
    for (std::size_t i = 0; i < m_buckets.size(); ++i) {
        if (m_buckets[i] != 0)
            out << ' ' << i << ':' << m_buckets[i];
    }
    return out.str();
}

bool LatencyHistogram::parse(const std::string &text, LatencyHistogram &out)
{
    LatencyHistogram h;
    std::istringstream in(text);
    std::string pair;
    if (!(in >> pair) || pair.rfind("max:", 0) != 0)
        return false;
    char *end = nullptr;
    h.m_max = std::strtoll(pair.c_str() + 4, &end, 10);
    if (*end != '\0' || h.m_max < 0)
        return false;
    while (in >> pair) {
        const unsigned long long bucket = std::strtoull(pair.c_str(), &end, 10);
        if (*end != ':' || bucket >= h.m_buckets.size())
            return false;
        const char *countText = end + 1;
        const unsigned long long n = std::strtoull(countText, &end, 10);
        if (*end != '\0' || end == countText || n == 0 || n > 0xffffffffULL)
            return false;
        h.m_buckets[bucket] += std::uint32_t(n);
        h.m_count += n;
    }
    out = std::move(h);
    return true;
}
