#pragma once

#include "archive/BitReader.h"

#include <array>
#include <cstdint>

namespace kiro::lzh {

// Canonical Huffman code as the LHA formats send it: code lengths per symbol
// (0 = unused), codes assigned in order of length, then symbol. Decoding goes
// through a lookup table of the first kFastBits bits; longer codes take a
// slower walk. Damaged length sets (over- or under-subscribed) still give a
// usable table, because a damaged member is written as decoded.
class HuffmanTable {
public:
    static constexpr unsigned kMaxSymbols = 512;
    static constexpr unsigned kMaxLength = 16;

    // lengths[0..count) with count <= kMaxSymbols; lengths above 16 count as
    // unused. fastBits <= 12.
    void build(const std::uint8_t* lengths, unsigned count, unsigned fastBits);

    // Every code is the one symbol, taking no bits.
    void buildSingle(std::uint16_t symbol);

    std::uint16_t decode(BitReader& bits) const
    {
        std::uint32_t entry = m_fast[bits.peek(m_fastBits)];
        std::uint32_t length = entry & 0xFF;
        if (length != kLongCode) {
            bits.skip(length);
            return static_cast<std::uint16_t>(entry >> 8);
        }
        return decodeLong(bits);
    }

private:
    static constexpr std::uint32_t kLongCode = 0xFF;

    std::uint16_t decodeLong(BitReader& bits) const;

    unsigned m_fastBits = 1;
    std::array<std::uint32_t, 1u << 12> m_fast{};
    std::array<std::uint16_t, kMaxLength + 1> m_counts{};
    std::array<std::uint16_t, kMaxSymbols> m_sorted{}; // symbols by (length, symbol)
    std::uint16_t m_fallback = 0;                      // for bit strings no code matches
    unsigned m_longest = 0;
};

} // namespace kiro::lzh
