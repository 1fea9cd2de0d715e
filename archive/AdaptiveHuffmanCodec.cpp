#include "archive/AdaptiveHuffmanCodec.h"

#include "archive/StaticHuffmanCodec.h"

namespace kiro::lzh {

AdaptiveHuffmanCodec::AdaptiveHuffmanCodec(Variant variant)
    : m_variant(variant), m_symbols(variant == Variant::Lh1 ? 314 : 286),
      m_escape(variant == Variant::Lh1 ? 512 : 285)
{
    for (int i = 0; i < kTreeSize; ++i) {
        m_stock[i] = i;
    }
    startCharTree();
    if (variant == Variant::Lh1) {
        std::array<std::uint8_t, 64> lengths{};
        StaticHuffmanCodec::fixedPositionLengths(lengths, false);
        m_fixedPositions.build(lengths.data(), 64, 8);
    } else {
        startPositionTree();
    }
}

void AdaptiveHuffmanCodec::startCharTree()
{
    int j = m_symbols * 2 - 2;
    for (int i = 0; i < m_symbols; ++i, --j) {
        m_freq[j] = 1;
        m_child[j] = ~i;
        m_leaf[i] = j;
        m_block[j] = 1;
    }
    m_avail = 2;
    m_edge[1] = m_symbols - 1;
    int i = m_symbols * 2 - 2;
    while (j >= 0) {
        std::uint32_t f = m_freq[j] = m_freq[i] + m_freq[i - 1];
        m_child[j] = i;
        m_parent[i] = m_parent[i - 1] = j;
        if (f == m_freq[j + 1]) {
            m_edge[m_block[j] = m_block[j + 1]] = j;
        } else {
            m_edge[m_block[j] = m_stock[m_avail++]] = j;
        }
        i -= 2;
        --j;
    }
}

void AdaptiveHuffmanCodec::startPositionTree()
{
    // One leaf (distance code 0) at the root; codes are added as output grows.
    m_freq[kRootPos] = 1;
    m_child[kRootPos] = ~kCharCodes;
    m_leaf[kCharCodes] = kRootPos;
    m_edge[m_block[kRootPos] = m_stock[m_avail++]] = kRootPos;
    m_lastPositionNode = kRootPos;
    m_positionTotal = 0;
    m_dictionarySize = 1u << 13;
    m_nextGrowth = 64;
}

int AdaptiveHuffmanCodec::walk(BitReader& bits, int root) const
{
    int c = m_child[root];
    while (c > 0) {
        c = m_child[c - static_cast<int>(bits.getBit())];
    }
    return ~c;
}

std::uint32_t AdaptiveHuffmanCodec::decodeSymbol(BitReader& bits)
{
    int symbol = walk(bits, kRootChar);
    updateChar(symbol);
    if (symbol == m_escape) {
        symbol += static_cast<int>(bits.get(8));
    }
    return static_cast<std::uint32_t>(symbol);
}

std::uint32_t AdaptiveHuffmanCodec::decodePosition(BitReader& bits, std::uint64_t produced)
{
    while (produced > m_nextGrowth) {
        addPositionCode(static_cast<int>(m_nextGrowth / 64));
        m_nextGrowth += 64;
        if (m_nextGrowth >= m_dictionarySize) {
            m_nextGrowth = UINT64_MAX;
        }
    }
    int symbol = walk(bits, kRootPos) - kCharCodes;
    updatePosition(symbol);
    return static_cast<std::uint32_t>(symbol);
}

// Halves every weight and rebuilds the nodes [start, end) in weight order.
void AdaptiveHuffmanCodec::rebuild(int start, int end)
{
    int b = 0;
    int j = start;
    for (int i = start; i < end; ++i) {
        int k = m_child[i];
        if (k < 0) {
            m_freq[j] = (m_freq[i] + 1) / 2;
            m_child[j] = k;
            ++j;
        }
        if (m_edge[b = m_block[i]] == i) {
            m_stock[--m_avail] = b;
        }
    }
    --j;
    int i = end - 1;
    int l = end - 2;
    while (i >= start) {
        while (i >= l) {
            m_freq[i] = m_freq[j];
            m_child[i] = m_child[j];
            --i;
            --j;
        }
        std::uint32_t f = m_freq[l] + m_freq[l + 1];
        int k = start;
        while (f < m_freq[k]) {
            ++k;
        }
        while (j >= k) {
            m_freq[i] = m_freq[j];
            m_child[i] = m_child[j];
            --i;
            --j;
        }
        m_freq[i] = f;
        m_child[i] = l + 1;
        --i;
        l -= 2;
    }
    std::uint32_t f = 0;
    for (i = start; i < end; ++i) {
        j = m_child[i];
        if (j < 0) {
            m_leaf[~j] = i;
        } else {
            m_parent[j] = m_parent[j - 1] = i;
        }
        std::uint32_t g = m_freq[i];
        if (g == f) {
            m_block[i] = b;
        } else {
            m_edge[b = m_block[i] = m_stock[m_avail++]] = i;
            f = g;
        }
    }
}

// Adds one to a node's weight, first swapping it with the first node of its
// block so the nodes stay in order of weight; returns its parent.
int AdaptiveHuffmanCodec::increment(int p)
{
    int b = m_block[p];
    int q = m_edge[b];
    bool leavesBlock = false;
    if (q != p) {
        int r = m_child[p];
        int s = m_child[q];
        m_child[p] = s;
        m_child[q] = r;
        if (r >= 0) {
            m_parent[r] = m_parent[r - 1] = q;
        } else {
            m_leaf[~r] = q;
        }
        if (s >= 0) {
            m_parent[s] = m_parent[s - 1] = p;
        } else {
            m_leaf[~s] = p;
        }
        p = q;
        leavesBlock = true;
    } else if (b == m_block[p + 1]) {
        leavesBlock = true;
    }
    if (leavesBlock) {
        ++m_edge[b];
        if (++m_freq[p] == m_freq[p - 1]) {
            m_block[p] = m_block[p - 1];
        } else {
            m_edge[m_block[p] = m_stock[m_avail++]] = p;
        }
    } else if (++m_freq[p] == m_freq[p - 1]) {
        m_stock[--m_avail] = b; // the block is now empty
        m_block[p] = m_block[p - 1];
    }
    return m_parent[p];
}

void AdaptiveHuffmanCodec::updateChar(int symbol)
{
    if (m_freq[kRootChar] == 0x8000) {
        rebuild(0, m_symbols * 2 - 1);
    }
    ++m_freq[kRootChar];
    int q = m_leaf[symbol];
    do {
        q = increment(q);
    } while (q != kRootChar);
}

void AdaptiveHuffmanCodec::updatePosition(int symbol)
{
    if (m_positionTotal == 0x8000) {
        rebuild(kRootPos, m_lastPositionNode + 1);
        m_positionTotal = m_freq[kRootPos];
        m_freq[kRootPos] = 0xFFFF;
    }
    int q = m_leaf[symbol + kCharCodes];
    while (q != kRootPos) {
        q = increment(q);
    }
    ++m_positionTotal;
}

// Splits the last leaf of the distance tree into itself and a new leaf of
// weight 0 for the new code.
void AdaptiveHuffmanCodec::addPositionCode(int symbol)
{
    int r = m_lastPositionNode + 1;
    int q = r + 1;
    m_leaf[~(m_child[r] = m_child[m_lastPositionNode])] = r;
    m_child[q] = ~(symbol + kCharCodes);
    m_child[m_lastPositionNode] = q;
    m_freq[r] = m_freq[m_lastPositionNode];
    m_freq[q] = 0;
    m_block[r] = m_block[m_lastPositionNode];
    if (m_lastPositionNode == kRootPos) {
        m_freq[kRootPos] = 0xFFFF;
        ++m_edge[m_block[kRootPos]];
    }
    m_parent[r] = m_parent[q] = m_lastPositionNode;
    m_edge[m_block[q] = m_stock[m_avail++]] = m_leaf[symbol + kCharCodes] = m_lastPositionNode = q;
    updatePosition(symbol);
}

} // namespace kiro::lzh
