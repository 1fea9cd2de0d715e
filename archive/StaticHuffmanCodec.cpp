#include "archive/StaticHuffmanCodec.h"

#include <algorithm>

namespace kiro::lzh {

void StaticHuffmanCodec::fixedPositionLengths(std::span<std::uint8_t> lengths, bool eightKilobytes)
{
    // First length, then the symbols where the length grows by one.
    static constexpr std::uint8_t k4K[] = {3, 1, 4, 12, 24, 48, 0};
    static constexpr std::uint8_t k8K[] = {2, 1, 1, 3, 6, 13, 31, 78, 0};
    const std::uint8_t* table = eightKilobytes ? k8K : k4K;
    unsigned length = *table++;
    for (unsigned symbol = 0; symbol < lengths.size(); ++symbol) {
        while (*table == symbol && symbol != 0) {
            ++length;
            ++table;
        }
        lengths[symbol] = static_cast<std::uint8_t>(length);
    }
}

void StaticHuffmanCodec::readBlockHeader(BitReader& bits)
{
    m_blockRemaining = static_cast<std::uint16_t>(bits.get(16));

    std::array<std::uint8_t, kLiteralCodes> literalLengths{};
    bool single = false;
    for (unsigned i = 0; i < kLiteralCodes; ++i) {
        literalLengths[i] = bits.getBit() ? static_cast<std::uint8_t>(bits.get(4) + 1) : 0;
        // Three 1-bit lengths first mean: one symbol only, sent in 9 bits.
        if (i == 2 && literalLengths[0] == 1 && literalLengths[1] == 1 && literalLengths[2] == 1) {
            unsigned symbol = bits.get(9);
            m_literals.buildSingle(static_cast<std::uint16_t>(std::min(symbol, kLiteralCodes - 1)));
            single = true;
            break;
        }
    }
    if (!single) {
        m_literals.build(literalLengths.data(), kLiteralCodes, 12);
    }

    std::array<std::uint8_t, kPositionCodes> positionLengths{};
    if (!bits.getBit()) {
        fixedPositionLengths(positionLengths, true);
        m_positions.build(positionLengths.data(), kPositionCodes, 8);
        return;
    }
    for (unsigned i = 0; i < kPositionCodes; ++i) {
        positionLengths[i] = static_cast<std::uint8_t>(bits.get(4));
        if (i == 2 && positionLengths[0] == 1 && positionLengths[1] == 1 && positionLengths[2] == 1) {
            m_positions.buildSingle(static_cast<std::uint16_t>(bits.get(7)));
            return;
        }
    }
    m_positions.build(positionLengths.data(), kPositionCodes, 8);
}

} // namespace kiro::lzh
