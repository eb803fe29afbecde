// LZH coder: encoder with binary-tree match search, decoder, and their bit I/O.
#include "lzh.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

namespace {

constexpr std::size_t ChunkSize = 32768;

// Fixed prefix codes for the upper 6 bits of a match position: 64 codes in six groups.
struct PositionCodes
{
    std::array<std::uint8_t, 256> decodeCode{};   // first 8 stream bits -> upper 6 bits
    std::array<std::uint8_t, 256> decodeLength{}; // first 8 stream bits -> prefix length
    std::array<std::uint8_t, 64> encodeCode{};    // upper 6 bits -> prefix, left-aligned in 8 bits
    std::array<std::uint8_t, 64> encodeLength{};
};

constexpr PositionCodes makePositionCodes()
{
    // {number of codes, prefix length}; a code of length L fills 2^(8-L) table slots.
    constexpr int groups[6][2] = {{1, 3}, {3, 4}, {8, 5}, {12, 6}, {24, 7}, {16, 8}};
    PositionCodes t;
    int slot = 0, code = 0;
    for (const auto &g : groups) {
        for (int n = 0; n < g[0]; ++n, ++code) {
            t.encodeCode[code] = static_cast<std::uint8_t>(slot);
            t.encodeLength[code] = static_cast<std::uint8_t>(g[1]);
            for (int r = 0; r < (1 << (8 - g[1])); ++r, ++slot) {
                t.decodeCode[slot] = static_cast<std::uint8_t>(code);
                t.decodeLength[slot] = static_cast<std::uint8_t>(g[1]);
            }
        }
    }
    return t;
}

constexpr PositionCodes positionCodes = makePositionCodes();
static_assert(positionCodes.encodeCode[63] == 0xFF && positionCodes.decodeCode[255] == 63);

class BitWriter
{
public:
    explicit BitWriter(const TLZH::WriteFn &write)
        : m_write(write)
    {
        m_buffer.reserve(ChunkSize);
    }

    // Appends the low `count` bits of value, highest first (count <= 56).
    void put(std::uint64_t value, int count)
    {
        m_acc = (m_acc << count) | (value & ((std::uint64_t(1) << count) - 1));
        m_bits += count;
        while (m_bits >= 8) {
            m_bits -= 8;
            pushByte(static_cast<std::uint8_t>(m_acc >> m_bits));
        }
    }

    // Pads the last byte with zero bits and hands out everything; returns the bytes written.
    std::uint64_t finish()
    {
        if (m_bits > 0)
            put(0, 8 - m_bits);
        flush();
        return m_total;
    }

private:
    void pushByte(std::uint8_t b)
    {
        m_buffer.push_back(b);
        if (m_buffer.size() == ChunkSize)
            flush();
    }
    void flush()
    {
        if (!m_buffer.empty())
            m_write(m_buffer.data(), m_buffer.size());
        m_total += m_buffer.size();
        m_buffer.clear();
    }

    const TLZH::WriteFn &m_write;
    std::vector<std::uint8_t> m_buffer;
    std::uint64_t m_acc = 0;
    int m_bits = 0;
    std::uint64_t m_total = 0;
};

// Buffered bytes from a ReadFn.
class ByteSource
{
public:
    explicit ByteSource(const TLZH::ReadFn &read)
        : m_read(read)
        , m_buffer(ChunkSize)
    {
    }

    // Next byte, or -1 once the input has ended.
    int next()
    {
        if (m_pos == m_end) {
            if (m_ended)
                return -1;
            m_end = m_read(m_buffer.data(), m_buffer.size());
            m_pos = 0;
            if (m_end == 0) {
                m_ended = true;
                return -1;
            }
        }
        return m_buffer[m_pos++];
    }

private:
    const TLZH::ReadFn &m_read;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_pos = 0, m_end = 0;
    bool m_ended = false;
};

struct InputEnded
{
};

class BitReader
{
public:
    explicit BitReader(ByteSource &source)
        : m_source(source)
    {
    }

    int bit()
    {
        if (m_bits == 0) {
            const int b = m_source.next();
            if (b < 0)
                throw InputEnded{};
            m_byte = static_cast<unsigned>(b);
            m_bits = 8;
        }
        --m_bits;
        return (m_byte >> m_bits) & 1;
    }

    unsigned bits(int count)
    {
        unsigned v = 0;
        while (count-- > 0)
            v = (v << 1) | static_cast<unsigned>(bit());
        return v;
    }

private:
    ByteSource &m_source;
    unsigned m_byte = 0;
    int m_bits = 0;
};

class ByteSink
{
public:
    explicit ByteSink(const TLZH::WriteFn &write)
        : m_write(write)
    {
        m_buffer.reserve(ChunkSize);
    }

    void put(std::uint8_t b)
    {
        m_buffer.push_back(b);
        if (m_buffer.size() == ChunkSize)
            flush();
    }
    void flush()
    {
        if (!m_buffer.empty())
            m_write(m_buffer.data(), m_buffer.size());
        m_buffer.clear();
    }

private:
    const TLZH::WriteFn &m_write;
    std::vector<std::uint8_t> m_buffer;
};

} // namespace

// Blanks before the first write position, zero everywhere else: a copy from a position no
// byte was written to yet gives zeros, and no coding depends on what an earlier one left.
void TLZH::resetRing()
{
    std::fill(std::begin(m_text), std::end(m_text), std::uint8_t(0));
    std::fill_n(m_text, RingSize - LookAhead, std::uint8_t(' '));
}

void TLZH::initTree()
{
    for (int i = RingSize + 1; i <= RingSize + 256; ++i)
        m_right[i] = Nil;
    for (int i = 0; i < RingSize; ++i)
        m_parent[i] = Nil;
}

// Inserts the string at r into its tree and leaves the longest match (nearest on a tie)
// in m_matchLength and m_matchPosition (distance back minus one). A node holding the
// same LookAhead bytes is replaced by r.
void TLZH::insertNode(int r)
{
    const std::uint8_t *key = &m_text[r];
    int cmp = 1;
    int p = RingSize + 1 + key[0];
    m_right[r] = m_left[r] = Nil;
    m_matchLength = 0;
    for (;;) {
        int &next = cmp >= 0 ? m_right[p] : m_left[p];
        if (next == Nil) {
            next = r;
            m_parent[r] = p;
            return;
        }
        p = next;
        int i = 1;
        for (; i < LookAhead; ++i) {
            cmp = key[i] - m_text[p + i];
            if (cmp != 0)
                break;
        }
        if (i > Threshold) {
            const int position = ((r - p) & (RingSize - 1)) - 1;
            if (i > m_matchLength) {
                m_matchPosition = position;
                m_matchLength = i;
                if (i >= LookAhead)
                    break;
            } else if (i == m_matchLength && position < m_matchPosition) {
                m_matchPosition = position;
            }
        }
    }
    m_parent[r] = m_parent[p];
    m_left[r] = m_left[p];
    m_right[r] = m_right[p];
    m_parent[m_left[p]] = r;
    m_parent[m_right[p]] = r;
    if (m_right[m_parent[p]] == p)
        m_right[m_parent[p]] = r;
    else
        m_left[m_parent[p]] = r;
    m_parent[p] = Nil;
}

void TLZH::deleteNode(int p)
{
    if (m_parent[p] == Nil)
        return;
    int q;
    if (m_right[p] == Nil) {
        q = m_left[p];
    } else if (m_left[p] == Nil) {
        q = m_right[p];
    } else {
        q = m_left[p];
        if (m_right[q] != Nil) {
            do {
                q = m_right[q];
            } while (m_right[q] != Nil);
            m_right[m_parent[q]] = m_left[q];
            m_parent[m_left[q]] = m_parent[q];
            m_left[q] = m_left[p];
            m_parent[m_left[p]] = q;
        }
        m_right[q] = m_right[p];
        m_parent[m_right[p]] = q;
    }
    m_parent[q] = m_parent[p];
    if (m_right[m_parent[p]] == p)
        m_right[m_parent[p]] = q;
    else
        m_left[m_parent[p]] = q;
    m_parent[p] = Nil;
}

std::uint64_t TLZH::encode(const ReadFn &read, const WriteFn &write)
{
    ByteSource in(read);
    BitWriter out(write);
    const int first = in.next();
    if (first < 0)
        return 0;

    m_huffman.start();
    initTree();
    resetRing();
    int s = 0;
    int r = RingSize - LookAhead;
    int len = 0; // bytes in the look-ahead
    for (int c = first; c >= 0; c = in.next()) {
        m_text[r + len++] = static_cast<std::uint8_t>(c);
        if (len == LookAhead)
            break;
    }
    for (int i = 1; i <= LookAhead; ++i)
        insertNode(r - i);
    insertNode(r);

    auto putSymbol = [&](int c) {
        std::uint64_t bits;
        int length;
        m_huffman.code(c, bits, length);
        out.put(bits, length);
        m_huffman.update(c);
    };
    do {
        if (m_matchLength > len)
            m_matchLength = len;
        if (m_matchLength <= Threshold) {
            m_matchLength = 1;
            putSymbol(m_text[r]);
        } else {
            putSymbol(255 - Threshold + m_matchLength);
            const int upper = m_matchPosition >> 6;
            out.put(positionCodes.encodeCode[upper] >> (8 - positionCodes.encodeLength[upper]),
                    positionCodes.encodeLength[upper]);
            out.put(m_matchPosition & 0x3F, 6);
        }
        const int lastMatchLength = m_matchLength;
        int i = 0;
        for (; i < lastMatchLength; ++i) {
            const int c = in.next();
            if (c < 0)
                break;
            deleteNode(s);
            m_text[s] = static_cast<std::uint8_t>(c);
            if (s < LookAhead - 1)
                m_text[s + RingSize] = static_cast<std::uint8_t>(c);
            s = (s + 1) & (RingSize - 1);
            r = (r + 1) & (RingSize - 1);
            insertNode(r);
        }
        for (; i < lastMatchLength; ++i) {
            deleteNode(s);
            s = (s + 1) & (RingSize - 1);
            r = (r + 1) & (RingSize - 1);
            if (--len > 0)
                insertNode(r);
        }
    } while (len > 0);
    return out.finish();
}

TLZH::DecodeStatus TLZH::decode(const ReadFn &read, const WriteFn &write, std::uint64_t size)
{
    ByteSource in(read);
    BitReader bits(in);
    ByteSink out(write);
    if (size == 0)
        return DecodeStatus::Ok;

    m_huffman.start();
    resetRing();
    int r = RingSize - LookAhead;
    auto emit = [&](std::uint8_t c) {
        out.put(c);
        m_text[r] = c;
        r = (r + 1) & (RingSize - 1);
    };
    try {
        for (std::uint64_t count = 0; count < size;) {
            int node = m_huffman.child(LzhHuffman::Root);
            while (node < LzhHuffman::Nodes)
                node = m_huffman.child(node + bits.bit());
            const int c = node - LzhHuffman::Nodes;
            m_huffman.update(c);
            if (c < 256) {
                emit(static_cast<std::uint8_t>(c));
                ++count;
                continue;
            }
            const unsigned head = bits.bits(8);
            const unsigned low =
                (head << (positionCodes.decodeLength[head] - 2)) | bits.bits(positionCodes.decodeLength[head] - 2);
            const int position = positionCodes.decodeCode[head] << 6 | (low & 0x3F);
            const int from = (r - position - 1) & (RingSize - 1);
            const int length = c - 255 + Threshold;
            if (size - count < std::uint64_t(length)) {
                out.flush();
                return DecodeStatus::Overrun;
            }
            for (int k = 0; k < length; ++k)
                emit(m_text[(from + k) & (RingSize - 1)]);
            count += std::uint64_t(length);
        }
    } catch (const InputEnded &) {
        out.flush();
        return DecodeStatus::InputEnded;
    }
    out.flush();
    return DecodeStatus::Ok;
}
