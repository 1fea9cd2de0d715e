#include "archive/BlockHuffmanCodec.h"

#include <algorithm>

namespace kiro::lzh {

BlockHuffmanCodec::BlockHuffmanCodec(unsigned positionCodes, unsigned positionBits)
    : m_positionCodes(positionCodes), m_positionBits(positionBits)
{
}

void BlockHuffmanCodec::readBlockHeader(BitReader& bits)
{
    m_blockRemaining = static_cast<std::uint16_t>(bits.get(16));
    readLengthTable(bits, kLengthCodes, 5, 3, m_lengthCodes);
    readLiteralTable(bits);
    readLengthTable(bits, m_positionCodes, m_positionBits, -1, m_positions);
}

// Code lengths of the code-length code and of the distance code: 3 bits per
// length, 7 continued in unary. For the code-length code a 2-bit run of
// zeros follows the third length.
void BlockHuffmanCodec::readLengthTable(BitReader& bits, unsigned count, unsigned countBits, int special,
                                        HuffmanTable& table)
{
    unsigned n = bits.get(countBits);
    if (n == 0) {
        unsigned symbol = bits.get(countBits);
        table.buildSingle(static_cast<std::uint16_t>(std::min(symbol, count - 1)));
        return;
    }
    n = std::min(n, count);
    std::array<std::uint8_t, 32> lengths{};
    unsigned i = 0;
    while (i < n) {
        // A length of 7 or more continues in unary: up to 13 more 1-bits
        // and a 0, so look at 20 bits.
        std::uint32_t window = bits.peek(20) >> 4;
        unsigned length = window >> 13;
        if (length == 7) {
            for (std::uint32_t mask = 1u << 12; mask != 0 && (window & mask); mask >>= 1) {
                ++length;
            }
            bits.skip(length - 3);
        } else {
            bits.skip(3);
        }
        lengths[i++] = static_cast<std::uint8_t>(length);
        if (static_cast<int>(i) == special) {
            unsigned zeros = bits.get(2);
            while (zeros-- > 0 && i < count) {
                lengths[i++] = 0;
            }
        }
    }
    table.build(lengths.data(), count, 8);
}

void BlockHuffmanCodec::readLiteralTable(BitReader& bits)
{
    unsigned n = bits.get(9);
    if (n == 0) {
        unsigned symbol = bits.get(9);
        m_literals.buildSingle(static_cast<std::uint16_t>(std::min(symbol, kLiteralCodes - 1)));
        return;
    }
    n = std::min(n, kLiteralCodes);
    unsigned i = 0;
    while (i < n) {
        unsigned code = m_lengthCodes.decode(bits);
        if (code <= 2) {
            unsigned zeros = code == 0 ? 1 : code == 1 ? bits.get(4) + 3 : bits.get(9) + 20;
            while (zeros-- > 0 && i < kLiteralCodes) {
                m_lengths[i++] = 0;
            }
        } else {
            m_lengths[i++] = static_cast<std::uint8_t>(code - 2);
        }
    }
    std::fill(m_lengths.begin() + i, m_lengths.end(), 0);
    m_literals.build(m_lengths.data(), kLiteralCodes, 12);
}

} // namespace kiro::lzh
