// LZH coder in memory: round trips through tree rebuilds, damaged and short streams.
#include "lzh.h"

#include "lzhstream.h"

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

// The ring starts as 4,036 blanks; its other 60 positions read as zero until written, so a
// copy from them gives the same bytes on every run and after any earlier decode.
TEST(LzhTest, UnwrittenRingPositionsReadAsZero)
{
    struct Case
    {
        const char *name;
        int literals; // 'a' bytes before the copy
        Bytes expected;
    };
    const auto concat = [](std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const Bytes &p : parts)
            all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    const std::vector<Case> cases = {
        {"copy of the whole unwritten tail", 0, Bytes(60, 0)},
        {"copy across the ring's end into the blanks", 10, concat({Bytes(10, 'a'), Bytes(50, 0), Bytes(10, ' ')})},
    };
    TLZH reused;
    for (const Case &c : cases) {
        LzhStreamWriter w;
        for (int i = 0; i < c.literals; ++i)
            w.literal('a');
        w.copyFromFarthest(60);
        const Bytes stream = w.bytes();

        Bytes fresh;
        EXPECT_EQ(decode(stream, c.expected.size(), fresh), TLZH::DecodeStatus::Ok) << c.name;
        EXPECT_EQ(fresh, c.expected) << c.name << ", new decoder";

        // A decode that writes all over the ring first must leave nothing behind.
        const Bytes filler = encode(Bytes(5000, 'q'));
        Bytes scratch;
        std::size_t pos = 0;
        ASSERT_EQ(reused.decode(readFrom(filler, pos), appendTo(scratch), 5000), TLZH::DecodeStatus::Ok);
        Bytes again;
        pos = 0;
        EXPECT_EQ(reused.decode(readFrom(stream, pos), appendTo(again), c.expected.size()), TLZH::DecodeStatus::Ok)
            << c.name;
        EXPECT_EQ(again, c.expected) << c.name << ", decoder used before";
    }
}

// Short inputs compare look-ahead bytes past their end; what an earlier coding left in the
// ring must not change the stream (a value-initialised coder starts from a zero ring).
TEST(LzhTest, EncodingDoesNotDependOnEarlierCodings)
{
    const std::vector<std::string> inputs = {"    ", "a   ", "hi there", "9\r\n1\r\n0\r\n"};
    TLZH reused;
    for (const std::string &text : inputs) {
        const Bytes data(text.begin(), text.end());
        TLZH zeroed{};
        std::size_t pos = 0;
        Bytes expected;
        zeroed.encode(readFrom(data, pos), appendTo(expected));

        for (const Bytes &earlier : {Bytes(5000, ' '), Bytes(5000, 'a')}) {
            Bytes scratch, stream;
            pos = 0;
            reused.encode(readFrom(earlier, pos), appendTo(scratch));
            pos = 0;
            reused.encode(readFrom(data, pos), appendTo(stream));
            EXPECT_EQ(stream, expected) << "\"" << text << "\" after 5000 x " << char(earlier[0]);
        }
        Bytes back;
        EXPECT_EQ(decode(expected, data.size(), back), TLZH::DecodeStatus::Ok) << text;
        EXPECT_EQ(back, data) << text;
    }
}

} // namespace
