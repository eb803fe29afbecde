// Adaptive Huffman tree of the LZH method: 314 symbols (256 bytes and 58 match lengths),
// kept in sibling order and rebuilt with halved counts when the root count reaches 0x8000.
#pragma once

#include <cstdint>

class LzhHuffman
{
public:
    static constexpr int Symbols = 314;
    static constexpr int Nodes = 2 * Symbols - 1; // 627
    static constexpr int Root = Nodes - 1;        // 626
    static constexpr std::uint32_t MaxFreq = 0x8000;

    // Resets to the starting tree: every symbol counted once.
    void start();

    // Counts symbol c (0 <= c < Symbols) once more and restores the sibling order.
    void update(int c);

    // Code of symbol c before its update: the path from the root, first bit in the
    // highest of `length` bits.
    void code(int c, std::uint64_t &bits, int &length) const;

    // Tree walk for decoding: the first child of an inner node (< Nodes); a value of
    // Nodes + s stands for the leaf of symbol s.
    int child(int node) const { return m_son[node]; }

private:
    void rebuild();

    std::uint32_t m_freq[Nodes + 1]; // the last entry is a sentinel above every count
    int m_parent[Nodes + Symbols];   // parents of nodes, then of leaves (index Nodes + s)
    int m_son[Nodes];
};
