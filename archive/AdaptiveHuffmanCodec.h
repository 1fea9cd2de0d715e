#pragma once

#include "archive/BitReader.h"
#include "archive/HuffmanTable.h"
#include "archive/LzDecoder.h"

#include <array>
#include <cstdint>

namespace kiro::lzh {

// -lh1- and -lh2-: the literal/length code is an adaptive Huffman tree that
// is updated after every symbol (nodes kept in order of weight, grouped in
// blocks of equal weight so an update is a few swaps).
//  -lh1-: 314 symbols (lengths 3..60), 4 KB; distances use LHarc's fixed
//         code for the upper 6 bits and 6 plain bits.
//  -lh2-: 286 symbols, the last one extended by 8 bits; 8 KB; distances use
//         a second adaptive tree that gains a code for every 64 bytes of
//         output until it covers the dictionary.
class AdaptiveHuffmanCodec {
public:
    enum class Variant { Lh1, Lh2 };

    explicit AdaptiveHuffmanCodec(Variant variant);

    LzToken next(BitReader& bits, std::uint64_t produced)
    {
        std::uint32_t symbol = decodeSymbol(bits);
        if (symbol < 256) {
            return {0, symbol};
        }
        std::uint32_t upper = m_variant == Variant::Lh1 ? m_fixedPositions.decode(bits) : decodePosition(bits, produced);
        std::uint32_t distance = (upper << 6) + bits.get(6);
        return {symbol - 256 + 3, distance + 1};
    }

private:
    static constexpr int kCharCodes = 314;              // largest literal/length alphabet
    static constexpr int kTreeSizeChar = kCharCodes * 2; // node slots of the literal tree
    static constexpr int kTreeSizePos = 128 * 2;         // node slots of the distance tree
    static constexpr int kTreeSize = kTreeSizeChar + kTreeSizePos;
    static constexpr int kRootChar = 0;
    static constexpr int kRootPos = kTreeSizeChar;

    std::uint32_t decodeSymbol(BitReader& bits);
    std::uint32_t decodePosition(BitReader& bits, std::uint64_t produced);
    int walk(BitReader& bits, int root) const;
    void startCharTree();
    void startPositionTree();
    void rebuild(int start, int end);
    int increment(int node);
    void updateChar(int symbol);
    void updatePosition(int symbol);
    void addPositionCode(int symbol);

    Variant m_variant;
    int m_symbols;     // literal/length alphabet size
    int m_escape;      // the symbol followed by 8 more bits (none for -lh1-)
    HuffmanTable m_fixedPositions;

    // Tree in arrays: child[n] >= 0 is the higher-numbered of two child
    // nodes (the other is child[n] - 1); child[n] < 0 is a leaf, ~symbol.
    // Nodes are ordered by falling weight; block[] groups equal weights and
    // edge[] names each block's first node.
    std::array<std::int32_t, kTreeSize> m_child{};
    std::array<std::int32_t, kTreeSize> m_parent{};
    std::array<std::int32_t, kTreeSize> m_block{};
    std::array<std::int32_t, kTreeSize> m_edge{};
    std::array<std::int32_t, kTreeSize> m_stock{};
    std::array<std::int32_t, kTreeSize / 2> m_leaf{};
    std::array<std::uint32_t, kTreeSize + 1> m_freq{};
    int m_avail = 0;

    int m_lastPositionNode = kRootPos;
    std::uint32_t m_positionTotal = 0;
    std::uint64_t m_nextGrowth = 64;
    std::uint64_t m_dictionarySize = 8192;
};

} // namespace kiro::lzh
