// Adaptive Huffman tree of the LZH method.
#include "lzhhuffman.h"

#include <algorithm>

void LzhHuffman::start()
{
    for (int i = 0; i < Symbols; ++i) {
        m_freq[i] = 1;
        m_son[i] = i + Nodes;
        m_parent[i + Nodes] = i;
    }
    for (int i = 0, j = Symbols; j <= Root; i += 2, ++j) {
        m_freq[j] = m_freq[i] + m_freq[i + 1];
        m_son[j] = i;
        m_parent[i] = m_parent[i + 1] = j;
    }
    m_freq[Nodes] = 0xFFFF;
    m_parent[Root] = 0;
}

// Halves every leaf count and builds the inner nodes again in ascending order. An inner
// node is inserted by moving whole entries (count and child link together) up by one.
void LzhHuffman::rebuild()
{
    int j = 0;
    for (int i = 0; i < Nodes; ++i) {
        if (m_son[i] >= Nodes) {
            m_freq[j] = (m_freq[i] + 1) / 2;
            m_son[j] = m_son[i];
            ++j;
        }
    }
    for (int i = 0, j = Symbols; j < Nodes; i += 2, ++j) {
        const std::uint32_t f = m_freq[i] + m_freq[i + 1];
        m_freq[j] = f;
        int k = j - 1;
        while (k >= 0 && f < m_freq[k])
            --k;
        ++k;
        std::move_backward(m_freq + k, m_freq + j, m_freq + j + 1);
        std::move_backward(m_son + k, m_son + j, m_son + j + 1);
        m_freq[k] = f;
        m_son[k] = i;
    }
    for (int i = 0; i < Nodes; ++i) {
        const int k = m_son[i];
        m_parent[k] = i;
        if (k < Nodes)
            m_parent[k + 1] = i;
    }
}

void LzhHuffman::update(int c)
{
    if (m_freq[Root] == MaxFreq)
        rebuild();
    c = m_parent[c + Nodes];
    do {
        const std::uint32_t k = ++m_freq[c];
        int l = c + 1;
        if (k > m_freq[l]) {
            // Swap c with the last node of a lower count, keeping the order ascending.
            while (k > m_freq[++l]) {
            }
            --l;
            m_freq[c] = m_freq[l];
            m_freq[l] = k;
            const int i = m_son[c];
            m_parent[i] = l;
            if (i < Nodes)
                m_parent[i + 1] = l;
            const int s = m_son[l];
            m_son[l] = i;
            m_parent[s] = c;
            if (s < Nodes)
                m_parent[s + 1] = c;
            m_son[c] = s;
            c = l;
        }
        c = m_parent[c];
    } while (c != 0);
}

void LzhHuffman::code(int c, std::uint64_t &bits, int &length) const
{
    bits = 0;
    length = 0;
    int k = m_parent[c + Nodes];
    do {
        bits |= std::uint64_t(k & 1) << length;
        ++length;
        k = m_parent[k];
    } while (k != Root);
}
