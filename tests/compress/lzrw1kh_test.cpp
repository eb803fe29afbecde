// LZRW1/KH block coder: exact coded bytes for known inputs, round trips, damaged blocks.
#include "lzrw1kh.h"

#include "testbytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes code(TLZR &lzr, const Bytes &in)
{
    Bytes out(in.size() + TLZR::CompressSlack);
    out.resize(lzr.compressBlock(in.data(), in.size(), out.data()));
    return out;
}

std::optional<Bytes> decode(const Bytes &coded, std::size_t cap = TLZR::BlockSize)
{
    Bytes out(cap + TLZR::DecompressSlack);
    const auto n = TLZR::decompressBlock(coded.data(), coded.size(), out.data(), cap);
    if (!n)
        return std::nullopt;
    out.resize(*n);
    return out;
}

Bytes twice(const std::string &s)
{
    Bytes out(s.begin(), s.end());
    out.insert(out.end(), s.begin(), s.end());
    return out;
}

TEST(Lzrw1khTest, CodesKnownInputsExactly)
{
    struct Case
    {
        const char *name;
        Bytes in;
        Bytes coded;
    };
    const std::vector<Case> cases = {
        {"empty input is stored", {}, {0x80}},
        {"two bytes are stored", {'a', 'b'}, {0x80, 'a', 'b'}},
        {"20 equal bytes are one run", Bytes(20, 'Z'), {0x40, 0x80, 0x00, 0x00, 0x00, 0x04, 'Z'}},
        {"run capped at 4095 then run of 905",
         Bytes(5000, 'A'),
         {0x40, 0xC0, 0x00, 0x00, 0x0F, 0xEF, 'A', 0x00, 0x03, 0x79, 'A'}},
        // "abcabcabcabc": 3 literals, then one copy of 9 bytes from 3 back.
        {"overlapping copy",
         {'a', 'b', 'c', 'a', 'b', 'c', 'a', 'b', 'c', 'a', 'b', 'c'},
         {0x40, 0x10, 0x00, 'a', 'b', 'c', 0x00, 0x36}},
        // A run of exactly the shortest length, alone and closing the block.
        {"16 equal bytes are one run", Bytes(16, 'Q'), {0x40, 0x80, 0x00, 0x00, 0x00, 0x00, 'Q'}},
        {"shortest run at the block's end",
         [] {
             Bytes in{'a', 'b'};
             in.insert(in.end(), 16, 'Z');
             return in;
         }(),
         {0x40, 0x20, 0x00, 'a', 'b', 0x00, 0x00, 0x00, 'Z'}},
        // 15 equal bytes are no run: literal, then a copy of 14 from 1 back.
        {"15 equal bytes are a copy, not a run", Bytes(15, 'x'), {0x40, 0x40, 0x00, 'x', 0x00, 0x1B}},
        // 16 literals fill the first control word; the 17th item gets a new one.
        {"17th item opens a new control word",
         twice("abcdefghijklmnop"),
         {0x40, 0x00, 0x00, 'a', 'b', 'c', 'd', 'e',  'f',  'g',  'h', 'i',
          'j',  'k',  'l',  'm', 'n', 'o', 'p', 0x80, 0x00, 0x01, 0x0D}},
    };
    TLZR lzr;
    for (const Case &c : cases)
        EXPECT_EQ(code(lzr, c.in), c.coded) << c.name;
}

TEST(Lzrw1khTest, RoundTripsAtEverySizeEdge)
{
    TLZR lzr;
    for (std::size_t n : {0, 1, 2, 3, 4, 15, 16, 17, 18, 19, 4095, 4096, 4097, 32767, 32768}) {
        for (const Bytes &in : {testbytes::text(n, 1), testbytes::random(n, 2), Bytes(n, 0xFF)}) {
            const Bytes coded = code(lzr, in);
            EXPECT_LE(coded.size(), n + 1) << "size " << n;
            EXPECT_EQ(decode(coded), in) << "size " << n;
        }
    }
}

TEST(Lzrw1khTest, IncompressibleBlockIsStoredOneByteLonger)
{
    TLZR lzr;
    const Bytes in = testbytes::random(TLZR::BlockSize, 7);
    const Bytes coded = code(lzr, in);
    ASSERT_EQ(coded.size(), in.size() + 1);
    EXPECT_EQ(coded[0], 0x80);
    EXPECT_TRUE(std::equal(in.begin(), in.end(), coded.begin() + 1));
}

TEST(Lzrw1khTest, MixedRunsMatchesAndLiteralsRoundTrip)
{
    std::mt19937 rng(11);
    TLZR lzr;
    for (int round = 0; round < 50; ++round) {
        Bytes in;
        while (in.size() < TLZR::BlockSize) {
            switch (rng() % 3) {
            case 0:
                in.insert(in.end(), 1 + rng() % 5000, static_cast<std::uint8_t>(rng()));
                break;
            case 1: {
                const Bytes t = testbytes::text(1 + rng() % 300, rng());
                in.insert(in.end(), t.begin(), t.end());
                break;
            }
            default: {
                const Bytes r = testbytes::random(1 + rng() % 40, rng());
                in.insert(in.end(), r.begin(), r.end());
            }
            }
        }
        in.resize(rng() % (TLZR::BlockSize + 1));
        EXPECT_EQ(decode(code(lzr, in)), in) << "round " << round;
    }
}

TEST(Lzrw1khTest, DecoderRejectsDamagedBlocks)
{
    struct Case
    {
        const char *name;
        Bytes coded;
        std::size_t cap;
    };
    const std::vector<Case> cases = {
        {"copy from before the block start", {0x40, 0x80, 0x00, 0x00, 0x10}, 100},
        {"copy item cut after one byte", {0x40, 0x40, 0x00, 'a', 0x00}, 100},
        {"run item cut short", {0x40, 0x80, 0x00, 0x00, 0x00, 0x04}, 100},
        {"run longer than the block", {0x40, 0x80, 0x00, 0x00, 0x0F, 0xFF, 'x'}, 1000},
        {"copy beyond the block", {0x40, 0x40, 0x00, 'a', 0x00, 0x1F}, 10},
        {"literals beyond the block", {0x40, 0x00, 0x00, 'a', 'b', 'c'}, 2},
        {"stored block beyond the block", {0x80, 1, 2, 3}, 2},
        {"control word cut after one byte",
         {0x40, 0x00, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0x00},
         100},
    };
    for (const Case &c : cases)
        EXPECT_EQ(decode(c.coded, c.cap), std::nullopt) << c.name;
}

TEST(Lzrw1khTest, ShortCodedFormsDecodeToNothing)
{
    EXPECT_EQ(decode({}), Bytes{});
    EXPECT_EQ(decode({0x40}), Bytes{});
    EXPECT_EQ(decode({0x40, 0xFF}), Bytes{});
    EXPECT_EQ(decode({0x80}), Bytes{});
    // Any first byte other than 0x80 means compressed.
    EXPECT_EQ(decode({0x00, 0x00, 0x00, 'q'}), Bytes{'q'});
}

} // namespace
