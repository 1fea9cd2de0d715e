#pragma once

#include "archive/BitReader.h"
#include "archive/HuffmanTable.h"
#include "archive/LzDecoder.h"

#include <array>
#include <cstdint>

namespace kiro::lzh {

// -lh4- and -lh5- (and the larger dictionaries of the same family): blocks
// of static Huffman codes, each block starting with its symbol count and the
// three code tables (code lengths, literal/length codes, distance codes).
class BlockHuffmanCodec {
public:
    // positionCodes: number of distance codes (14 for -lh4-/-lh5-);
    // positionBits: width of the field that sends their count (4).
    BlockHuffmanCodec(unsigned positionCodes, unsigned positionBits);

    LzToken next(BitReader& bits, std::uint64_t /*produced*/)
    {
        if (m_blockRemaining == 0) {
            readBlockHeader(bits);
        }
        --m_blockRemaining;
        std::uint32_t symbol = m_literals.decode(bits);
        if (symbol < 256) {
            return {0, symbol};
        }
        std::uint32_t code = m_positions.decode(bits);
        std::uint32_t distance = code == 0 ? 0 : (1u << (code - 1)) + bits.get(code - 1);
        return {symbol - 256 + 3, distance + 1};
    }

private:
    static constexpr unsigned kLiteralCodes = 510; // 256 bytes + lengths 3..256
    static constexpr unsigned kLengthCodes = 19;   // codes of the code-length table

    void readBlockHeader(BitReader& bits);
    void readLengthTable(BitReader& bits, unsigned count, unsigned countBits, int special, HuffmanTable& table);
    void readLiteralTable(BitReader& bits);

    unsigned m_positionCodes;
    unsigned m_positionBits;
    std::uint16_t m_blockRemaining = 0; // 16-bit, as the format counts it
    std::array<std::uint8_t, kLiteralCodes> m_lengths{};
    HuffmanTable m_lengthCodes;
    HuffmanTable m_literals;
    HuffmanTable m_positions;
};

} // namespace kiro::lzh
