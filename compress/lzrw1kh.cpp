// LZRW1/KH block coder. The coded bytes are fixed by the file format, so the coder makes
// exactly the choices described in lzrw1kh.h; the speed comes from word-wide compares
// and copies, never from choosing differently.
#include "lzrw1kh.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr std::uint8_t FlagStored = 0x80;
constexpr std::uint8_t FlagCompressed = 0x40;
constexpr std::size_t MinRun = 16;
constexpr std::size_t MaxRun = 4095;
constexpr std::size_t MinMatch = 3;
constexpr std::size_t MaxMatch = 18;
constexpr std::size_t MaxDistance = 4095;

inline std::uint64_t load64(const std::uint8_t *p)
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Index of the first differing byte in memory order, given a non-zero XOR of two loads.
inline std::size_t firstDifferentByte(std::uint64_t diff)
{
    if constexpr (std::endian::native == std::endian::little)
        return std::countr_zero(diff) / 8;
    else
        return std::countl_zero(diff) / 8;
}

inline void store16be(std::uint8_t *d, std::uint32_t w)
{
    d[0] = static_cast<std::uint8_t>(w >> 8);
    d[1] = static_cast<std::uint8_t>(w);
}

// Length of the run of bytes equal to s[x] from x, capped at MaxRun and the block end;
// 0 when it is shorter than MinRun (then it does not matter how short).
inline std::size_t runLength(const std::uint8_t *s, std::size_t x, std::size_t n)
{
    const std::size_t limit = std::min(MaxRun, n - x);
    if (limit < MinRun)
        return 0;
    const std::uint64_t pattern = 0x0101010101010101ULL * s[x];
    if (load64(s + x) != pattern || load64(s + x + 8) != pattern)
        return 0;
    std::size_t r = MinRun;
    for (; r + 8 <= limit; r += 8) {
        const std::uint64_t diff = load64(s + x + r) ^ pattern;
        if (diff != 0)
            return r + firstDifferentByte(diff);
    }
    while (r < limit && s[x + r] == s[x])
        ++r;
    return r;
}

// How many bytes from x equal those from p (p < x), at most MaxMatch and up to the block end.
inline std::size_t matchLength(const std::uint8_t *s, std::size_t p, std::size_t x, std::size_t n)
{
    const std::size_t limit = std::min(MaxMatch, n - x);
    std::size_t k = 0;
    for (; k + 8 <= limit; k += 8) {
        const std::uint64_t diff = load64(s + x + k) ^ load64(s + p + k);
        if (diff != 0)
            return k + firstDifferentByte(diff);
    }
    while (k < limit && s[x + k] == s[p + k])
        ++k;
    return k;
}

inline void emitRun(std::uint8_t *d, std::size_t &y, std::size_t r, std::uint8_t value)
{
    d[y] = 0;
    d[y + 1] = static_cast<std::uint8_t>((r - MinRun) >> 8);
    d[y + 2] = static_cast<std::uint8_t>(r - MinRun);
    d[y + 3] = value;
    y += 4;
}

inline unsigned hash3(const std::uint8_t *s)
{
    const std::uint32_t v = (((std::uint32_t(s[0]) << 4) ^ s[1]) << 4) ^ s[2];
    return ((v * 40543U) >> 4) & 0x0FFF;
}

// Copies m bytes from dist bytes back; overlapping sources repeat. May write up to 24 bytes.
inline void copyMatch(std::uint8_t *d, std::size_t dist, std::size_t m)
{
    const std::uint8_t *from = d - dist;
    if (dist >= 8) {
        std::memcpy(d, from, 8);
        std::memcpy(d + 8, from + 8, 8);
        if (m > 16)
            std::memcpy(d + 16, from + 16, 8);
        return;
    }
    for (std::size_t k = 0; k < m; ++k)
        d[k] = from[k];
}

} // namespace

std::size_t TLZR::compressBlock(const std::uint8_t *src, std::size_t n, std::uint8_t *dst)
{
    const std::size_t y = codeItems(src, n, dst);
    if (y <= n)
        return y;
    dst[0] = FlagStored;
    if (n > 0)
        std::memcpy(dst + 1, src, n);
    return n + 1;
}

// One item where at least FastMargin input bytes remain, so every load is in bounds.
// Literal and short copy are told apart without a branch. Returns true for a copy or run.
[[gnu::always_inline]] inline bool TLZR::fastItem(const std::uint8_t *s, std::size_t n, std::uint8_t *d,
                                                  std::size_t &x, std::size_t &y)
{
    const std::uint64_t here = load64(s + x);
    if (here == load64(s + x + 1)) { // nine equal bytes: maybe a run
        const std::size_t r = runLength(s, x, n);
        if (r >= MinRun) {
            emitRun(d, y, r, s[x]);
            x += r;
            return true;
        }
    }
    const unsigned h = hash3(s + x);
    const std::size_t dist = x - std::size_t(std::ptrdiff_t(m_hash[h]));
    m_hash[h] = static_cast<std::int16_t>(x);
    const bool near = dist <= MaxDistance;
    const std::uint64_t diff = here ^ load64(s + (near ? x - dist : 0));
    std::size_t m;
    if (diff == 0) {
        if (near) {
            m = matchLength(s, x - dist, x, n);
            store16be(d + y, std::uint32_t((dist << 4) + (m - MinMatch)));
            y += 2;
            x += m;
            return true;
        }
        m = 0;
    } else {
        m = near ? firstDifferentByte(diff) : 0;
    }
    const bool copy = m >= MinMatch;
    const std::uint32_t k = std::uint32_t((dist << 4) + (m - MinMatch));
    d[y] = copy ? static_cast<std::uint8_t>(k >> 8) : s[x];
    d[y + 1] = static_cast<std::uint8_t>(k); // a literal's next item overwrites this
    y += 1 + std::size_t(copy);
    x += copy ? m : 1;
    return copy;
}

// One item anywhere in the block, for the last bytes. Returns true for a copy or run.
bool TLZR::slowItem(const std::uint8_t *s, std::size_t n, std::uint8_t *d, std::size_t &x, std::size_t &y)
{
    const std::size_t r = runLength(s, x, n);
    if (r >= MinRun) {
        emitRun(d, y, r, s[x]);
        x += r;
        return true;
    }
    // The last two positions can never start a match, and their hash entries would
    // never be looked up again, so they go straight out as literals.
    if (x + 2 < n) {
        const unsigned h = hash3(s + x);
        const std::size_t dist = x - std::size_t(std::ptrdiff_t(m_hash[h]));
        m_hash[h] = static_cast<std::int16_t>(x);
        if (dist <= MaxDistance) {
            const std::size_t m = matchLength(s, x - dist, x, n);
            if (m >= MinMatch) {
                store16be(d + y, std::uint32_t((dist << 4) + (m - MinMatch)));
                y += 2;
                x += m;
                return true;
            }
        }
    }
    d[y++] = s[x++];
    return false;
}

// Codes items until the input ends or the output has grown past the input length (then
// the caller stores the block instead). Returns the output length. The output length is
// checked once per group: once it has passed the input length the block is stored in
// any case, so coding the rest of the group changes nothing (it costs up to 66 bytes of
// the destination's slack).
std::size_t TLZR::codeItems(const std::uint8_t *__restrict s, std::size_t n, std::uint8_t *__restrict d)
{
    // An empty entry holds a position too far back to match: one compare covers both.
    std::fill(m_hash, m_hash + HashSize, EmptyEntry);
    d[0] = FlagCompressed;
    std::size_t x = 0, y = 3, z = 1;
    for (;;) {
        std::uint32_t w = 0;
        unsigned b = 0;
        for (; b < 16 && x < n; ++b) {
            const bool item = x + FastMargin <= n ? fastItem(s, n, d, x, y) : slowItem(s, n, d, x, y);
            w = (w << 1) | std::uint32_t(item);
        }
        if (x >= n || y > n) {
            store16be(d + z, w << (16 - b));
            return y;
        }
        store16be(d + z, w);
        z = y;
        y += 2;
    }
}

namespace {

// Decoding state of one compressed block.
struct Decoder
{
    const std::uint8_t *c;
    std::size_t len;
    std::uint8_t *d;
    std::size_t cap;
    std::size_t x = 3, o = 0;
    std::uint16_t w = 0;
    int bits = 16;

    void shift(int k)
    {
        w = static_cast<std::uint16_t>(w << k);
        bits -= k;
    }

    // Items of a fresh group while both buffers have room for any 16 items, so only
    // copy distances and run lengths need checking. Returns false on a damaged item;
    // stops early (true) when a run leaves too little room, the careful loop goes on.
    bool fastGroup()
    {
        while (bits > 0) {
            if ((w & 0x8000) == 0) {
                const int k = std::min(std::countl_zero(w), bits);
                std::memcpy(d + o, c + x, 16);
                x += std::size_t(k);
                o += std::size_t(k);
                shift(k);
                continue;
            }
            const std::size_t dist = std::size_t(c[x]) << 4 | c[x + 1] >> 4;
            if (dist == 0) {
                const std::size_t r = (std::size_t(c[x + 1]) << 8 | c[x + 2]) + MinRun;
                if (r > cap - o)
                    return false;
                std::memset(d + o, c[x + 3], r);
                o += r;
                x += 4;
                shift(1);
                if (cap - o < GroupOutput)
                    return true;
                continue;
            }
            const std::size_t m = (c[x + 1] & 15) + MinMatch;
            if (dist > o)
                return false;
            copyMatch(d + o, dist, m);
            o += m;
            x += 2;
            shift(1);
        }
        return true;
    }

    // One item with every bound checked. Returns false on a damaged item.
    bool carefulItem()
    {
        if ((w & 0x8000) == 0) {
            if (o >= cap)
                return false;
            d[o++] = c[x++];
        } else {
            if (x + 2 > len)
                return false;
            const std::size_t dist = std::size_t(c[x]) << 4 | c[x + 1] >> 4;
            if (dist == 0) {
                if (x + 4 > len)
                    return false;
                const std::size_t r = (std::size_t(c[x + 1]) << 8 | c[x + 2]) + MinRun;
                if (r > cap - o)
                    return false;
                std::memset(d + o, c[x + 3], r);
                o += r;
                x += 4;
            } else {
                const std::size_t m = (c[x + 1] & 15) + MinMatch;
                if (dist > o || m > cap - o)
                    return false;
                copyMatch(d + o, dist, m);
                o += m;
                x += 2;
            }
        }
        shift(1);
        return true;
    }

    // Room a group may need: 16 items of up to 4 input bytes plus the 16 bytes a literal
    // copy reads; 16 copies of 18 output bytes.
    static constexpr std::size_t GroupInput = 16 * 4 + 16;
    static constexpr std::size_t GroupOutput = 16 * MaxMatch;

    bool run()
    {
        while (x < len) {
            if (bits == 0) {
                if (x + 2 > len)
                    return false;
                w = static_cast<std::uint16_t>(c[x] << 8 | c[x + 1]);
                x += 2;
                bits = 16;
            }
            if (bits == 16 && len - x >= GroupInput && cap - o >= GroupOutput) {
                if (!fastGroup())
                    return false;
            } else if (x < len && !carefulItem()) {
                return false;
            }
        }
        return true;
    }
};

} // namespace

std::optional<std::size_t> TLZR::decompressBlock(const std::uint8_t *c, std::size_t len, std::uint8_t *d,
                                                 std::size_t cap)
{
    if (len < 2)
        return 0;
    if (c[0] == FlagStored) {
        if (len - 1 > cap)
            return std::nullopt;
        std::memcpy(d, c + 1, len - 1);
        return len - 1;
    }
    if (len < 3)
        return 0;
    Decoder decoder{c, len, d, cap};
    decoder.w = static_cast<std::uint16_t>(c[1] << 8 | c[2]);
    if (!decoder.run())
        return std::nullopt;
    return decoder.o;
}
