// LZRW1/KH block coder: one block of up to 32,768 bytes, coded on its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// Coded form: flag byte 0x80 + the bytes stored unchanged, or 0x40 + groups of a
// big-endian 16-bit control word and up to 16 items (literal, copy of 3..18 bytes from
// 1..4,095 bytes back, or a run of 16..4,095 equal bytes).
class TLZR
{
public:
    static constexpr std::size_t BlockSize = 32768;
    static constexpr std::size_t MaxCodedSize = BlockSize + 1;
    // Spare bytes the caller's output buffers must have past the stated capacity.
    static constexpr std::size_t CompressSlack = 80;
    static constexpr std::size_t DecompressSlack = 32;

    // Codes src[0..n) (n <= BlockSize) into dst, which must hold n + CompressSlack bytes.
    // Returns the coded length, at most n + 1. Reads nothing outside src[0..n).
    std::size_t compressBlock(const std::uint8_t *src, std::size_t n, std::uint8_t *dst);

    // Decodes the coded form src[0..len) into dst, which must hold cap + DecompressSlack
    // bytes. Returns the decoded length (<= cap), or nothing when the coded form is damaged
    // (an item past the end of src, a copy from before the block or beyond cap).
    static std::optional<std::size_t> decompressBlock(const std::uint8_t *src, std::size_t len, std::uint8_t *dst,
                                                      std::size_t cap);

private:
    std::size_t codeItems(const std::uint8_t *__restrict src, std::size_t n, std::uint8_t *__restrict dst);
    // One item at input position x, output position y (both advanced); true for a copy or run.
    bool fastItem(const std::uint8_t *s, std::size_t n, std::uint8_t *d, std::size_t &x, std::size_t &y);
    bool slowItem(const std::uint8_t *s, std::size_t n, std::uint8_t *d, std::size_t &x, std::size_t &y);

    static constexpr int HashSize = 4096;
    static constexpr std::int16_t EmptyEntry = -4096;
    static constexpr std::size_t FastMargin = 32;
    std::int16_t m_hash[HashSize];
};
