// Writes LZH bit streams item by item, for decoder tests that need streams an encoder
// would never write (copies from ring positions no byte was written to).
#pragma once

#include "lzhhuffman.h"

#include <cstdint>
#include <vector>

class LzhStreamWriter
{
public:
    LzhStreamWriter() { m_huffman.start(); }

    void literal(std::uint8_t c) { symbol(c); }

    // A copy of `length` bytes (3 to 60) from the farthest ring position, 4,096 bytes back:
    // position 4,095, whose prefix is eight 1 bits, followed by its low six bits.
    void copyFromFarthest(int length)
    {
        symbol(255 - 2 + length);
        put(0xFF, 8);
        put(0x3F, 6);
    }

    // The stream so far, the last byte padded with zero bits.
    std::vector<std::uint8_t> bytes() const
    {
        std::vector<std::uint8_t> out = m_bytes;
        if (m_bits > 0)
            out.push_back(static_cast<std::uint8_t>(m_acc << (8 - m_bits)));
        return out;
    }

private:
    void symbol(int c)
    {
        std::uint64_t code;
        int length;
        m_huffman.code(c, code, length);
        put(code, length);
        m_huffman.update(c);
    }
    void put(std::uint64_t value, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            m_acc = (m_acc << 1) | ((value >> i) & 1);
            if (++m_bits == 8) {
                m_bytes.push_back(static_cast<std::uint8_t>(m_acc));
                m_acc = 0;
                m_bits = 0;
            }
        }
    }

    LzhHuffman m_huffman;
    std::vector<std::uint8_t> m_bytes;
    unsigned m_acc = 0;
    int m_bits = 0;
};
