// LZH coder: LZSS over a 4,096-byte ring with adaptive Huffman coding of bytes and match
// lengths, and fixed prefix codes for the upper 6 bits of match positions.
#pragma once

#include "lzhhuffman.h"

#include <cstddef>
#include <cstdint>
#include <functional>

class TLZH
{
public:
    // Fills buf with up to cap bytes and returns how many; 0 means the input has ended.
    using ReadFn = std::function<std::size_t(std::uint8_t *buf, std::size_t cap)>;
    // Takes n bytes of output.
    using WriteFn = std::function<void(const std::uint8_t *buf, std::size_t n)>;

    enum class DecodeStatus {
        Ok,         // exactly the requested number of bytes was produced
        InputEnded, // the bit stream ended first
        Overrun     // a match ran past the requested size (damaged stream)
    };

    // Codes everything read() gives as one bit stream (most significant bit first, the
    // last byte padded with zero bits). Returns the number of stream bytes written.
    std::uint64_t encode(const ReadFn &read, const WriteFn &write);

    // Decodes until `size` bytes have been produced. Never reads past what it needs.
    DecodeStatus decode(const ReadFn &read, const WriteFn &write, std::uint64_t size);

private:
    static constexpr int RingSize = 4096;
    static constexpr int LookAhead = 60;
    static constexpr int Threshold = 2; // matches are longer than this
    static constexpr int Nil = RingSize;

    void resetRing();
    void initTree();
    void insertNode(int r);
    void deleteNode(int p);

    LzhHuffman m_huffman;
    // The ring, and a copy of its first LookAhead - 1 bytes behind it so the encoder can
    // compare strings that wrap around. resetRing() gives every coding the same start.
    std::uint8_t m_text[RingSize + LookAhead - 1];
    // Binary search trees of the ring positions, one per first byte (roots RingSize + 1 + byte).
    int m_left[RingSize + 1];
    int m_right[RingSize + 257];
    int m_parent[RingSize + 1];
    int m_matchPosition = 0;
    int m_matchLength = 0;
};
