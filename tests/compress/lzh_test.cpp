// LZH coder in memory: round trips through tree rebuilds, damaged and short streams.
#include "lzh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

TLZH::ReadFn readFrom(const Bytes &data, std::size_t &pos)
{
    return [&data, &pos](std::uint8_t *buf, std::size_t cap) {
        const std::size_t n = std::min(cap, data.size() - pos);
        std::copy_n(data.begin() + std::ptrdiff_t(pos), n, buf);
        pos += n;
        return n;
    };
}

TLZH::WriteFn appendTo(Bytes &out)
{
    return [&out](const std::uint8_t *buf, std::size_t n) { out.insert(out.end(), buf, buf + n); };
}

Bytes encode(const Bytes &in)
{
    TLZH lzh;
    std::size_t pos = 0;
    Bytes out;
    const std::uint64_t written = lzh.encode(readFrom(in, pos), appendTo(out));
    EXPECT_EQ(written, out.size());
    return out;
}

TLZH::DecodeStatus decode(const Bytes &stream, std::uint64_t size, Bytes &out)
{
    TLZH lzh;
    std::size_t pos = 0;
    return lzh.decode(readFrom(stream, pos), appendTo(out), size);
}

Bytes mixed(std::size_t n, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < n) {
        if (rng() % 4 == 0) {
            out.insert(out.end(), rng() % 200, static_cast<std::uint8_t>(rng()));
        } else if (out.size() > 100 && rng() % 2 == 0) {
            const std::size_t from = out.size() - 1 - rng() % std::min<std::size_t>(out.size() - 1, 5000);
            const std::size_t len = 1 + rng() % 80;
            for (std::size_t k = 0; k < len; ++k)
                out.push_back(out[from + k]);
        } else {
            out.push_back(static_cast<std::uint8_t>(rng() % 64 + ' '));
        }
    }
    out.resize(n);
    return out;
}

TEST(LzhTest, RoundTrips)
{
    struct Case
    {
        const char *name;
        Bytes data;
    };
    std::mt19937 rng(3);
    Bytes noise(300000);
    for (auto &b : noise)
        b = static_cast<std::uint8_t>(rng());
    const std::vector<Case> cases = {
        {"one byte", {'A'}},
        {"spaces only, matching the ring's start", Bytes(1000, ' ')},
        {"long run, every match at full length", Bytes(200000, 'q')},
        {"noise, several tree rebuilds", noise},
        {"text-like with far matches", mixed(500000, 5)},
        {"shorter than the look-ahead", {'h', 'i', ' ', 't', 'h', 'e', 'r', 'e'}},
    };
    for (const Case &c : cases) {
        const Bytes stream = encode(c.data);
        Bytes out;
        EXPECT_EQ(decode(stream, c.data.size(), out), TLZH::DecodeStatus::Ok) << c.name;
        EXPECT_EQ(out, c.data) << c.name;
    }
}

TEST(LzhTest, EmptyInputWritesNoStream)
{
    EXPECT_TRUE(encode({}).empty());
    Bytes out;
    EXPECT_EQ(decode({}, 0, out), TLZH::DecodeStatus::Ok);
    EXPECT_TRUE(out.empty());
}

TEST(LzhTest, StreamEndingEarlyIsReported)
{
    const Bytes data = mixed(20000, 9);
    const Bytes stream = encode(data);
    for (std::size_t cut : {std::size_t(0), std::size_t(1), stream.size() / 2, stream.size() - 1}) {
        Bytes out;
        EXPECT_EQ(decode(Bytes(stream.begin(), stream.begin() + std::ptrdiff_t(cut)), data.size(), out),
                  TLZH::DecodeStatus::InputEnded)
            << "cut at " << cut;
        EXPECT_LT(out.size(), data.size());
    }
    Bytes out;
    EXPECT_EQ(decode(stream, data.size() + 1, out), TLZH::DecodeStatus::InputEnded);
}

TEST(LzhTest, DecodingStopsAtTheRequestedSize)
{
    const Bytes data = mixed(5000, 2);
    const Bytes stream = encode(data);
    // A smaller size either ends exactly there or inside a match, which is reported.
    for (std::uint64_t size : {1, 100, 2500, 4999}) {
        Bytes out;
        const auto status = decode(stream, size, out);
        ASSERT_NE(status, TLZH::DecodeStatus::InputEnded) << "size " << size;
        if (status == TLZH::DecodeStatus::Ok) {
            EXPECT_EQ(out, Bytes(data.begin(), data.begin() + std::ptrdiff_t(size))) << "size " << size;
        }
        EXPECT_LE(out.size(), size);
    }
}

TEST(LzhTest, GarbageStreamsNeverOverrun)
{
    std::mt19937 rng(17);
    for (int round = 0; round < 200; ++round) {
        Bytes stream(rng() % 2000);
        for (auto &b : stream)
            b = static_cast<std::uint8_t>(rng());
        const std::uint64_t size = rng() % 100000;
        Bytes out;
        const auto status = decode(stream, size, out);
        EXPECT_LE(out.size(), size) << "round " << round;
        if (status == TLZH::DecodeStatus::Ok) {
            EXPECT_EQ(out.size(), size) << "round " << round;
        }
    }
}

} // namespace
