#pragma once

#include "archive/BitReader.h"
#include "archive/HuffmanTable.h"
#include "archive/LzDecoder.h"

#include <array>
#include <cstdint>
#include <span>

namespace kiro::lzh {

// -lh3-: blocks of static Huffman codes with an 8 KB dictionary. Each block
// sends its literal/length code lengths (a presence bit, then 4 bits), and
// either its own distance code lengths or a flag for the fixed set. Distances
// are a Huffman-coded upper part and 6 plain bits.
class StaticHuffmanCodec {
public:
    StaticHuffmanCodec() = default;

    LzToken next(BitReader& bits, std::uint64_t /*produced*/)
    {
        if (m_blockRemaining == 0) {
            readBlockHeader(bits);
        }
        --m_blockRemaining;
        std::uint32_t symbol = m_literals.decode(bits);
        if (symbol == kLiteralCodes - 1) {
            symbol += bits.get(8); // the last code carries 8 more bits of length
        }
        if (symbol < 256) {
            return {0, symbol};
        }
        std::uint32_t upper = m_positions.decode(bits);
        std::uint32_t distance = (upper << 6) + bits.get(6);
        return {symbol - 256 + 3, distance + 1};
    }

    // The fixed distance code lengths: LHarc's set for 4 KB (-lh1-, 64
    // codes) and the set for 8 KB (-lh3-, 128 codes).
    static void fixedPositionLengths(std::span<std::uint8_t> lengths, bool eightKilobytes);

private:
    static constexpr unsigned kLiteralCodes = 286;
    static constexpr unsigned kPositionCodes = 128;

    void readBlockHeader(BitReader& bits);

    std::uint16_t m_blockRemaining = 0;
    HuffmanTable m_literals;
    HuffmanTable m_positions;
};

} // namespace kiro::lzh
