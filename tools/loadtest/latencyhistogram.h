#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Request-to-answer times in fixed buckets: 10 us wide up to 200 ms, 1 ms wide up to a
// minute, so percentiles of millions of samples cost a few hundred KiB and histograms
// from several processes add up exactly. The largest time is kept as it was measured.
class LatencyHistogram
{
public:
    LatencyHistogram();

    void record(std::int64_t micros);
    void merge(const LatencyHistogram &other);

    std::uint64_t count() const { return m_count; }
    std::int64_t maxMicros() const { return m_max; }
    // The smallest bucket bound at or above the fraction p (0 to 1) of the samples, in
    // milliseconds; 0 without samples. percentileMs(1) is the measured largest time.
    double percentileMs(double p) const;

    // One line of "bucket:count" pairs (only the buckets in use) and the largest time,
    // for a parent process to add up; parse() reads it back, false on malformed text.
    std::string serialize() const;
    static bool parse(const std::string &text, LatencyHistogram &out);

    static constexpr std::int64_t FineStepMicros = 10;
    static constexpr std::int64_t FineLimitMicros = 200000;
    static constexpr std::int64_t CoarseStepMicros = 1000;
    static constexpr std::int64_t LimitMicros = 60000000;

private:
    static std::size_t bucketOf(std::int64_t micros);
    static std::int64_t upperBoundMicros(std::size_t bucket);

    std::vector<std::uint32_t> m_buckets;
    std::uint64_t m_count = 0;
    std::int64_t m_max = 0;
};
