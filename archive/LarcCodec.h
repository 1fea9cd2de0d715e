#pragma once

#include "archive/BitReader.h"
#include "archive/LzDecoder.h"

#include <cstdint>
#include <vector>

namespace kiro::lzh {

// LArc's two LZSS methods. Matches name an absolute place in LArc's ring,
// whose writing starts `lookahead` bytes before its end; our dictionary
// starts writing at 0, so the place is shifted by that much.
//  -lzs-: per token one flag bit (1 = literal byte), else an 11-bit place
//         and a 4-bit length from 2; 2 KB ring.
//  -lz5-: a flag byte per 8 tokens (low bit first, 1 = literal byte), else
//         two bytes: 12-bit place and 4-bit length from 3; 4 KB ring.
class LarcCodec {
public:
    enum class Variant { Lzs, Lz5 };

    explicit LarcCodec(Variant variant) : m_variant(variant) {}

    LzToken next(BitReader& bits, std::uint64_t produced)
    {
        if (m_variant == Variant::Lzs) {
            if (bits.getBit()) {
                return {0, bits.getByte()};
            }
            std::uint32_t place = bits.get(11);
            std::uint32_t length = bits.get(4) + 2;
            return {length, distanceTo(place, produced, 17, 0x7FF)};
        }
        if (m_flagsLeft == 0) {
            m_flags = bits.getByte();
            m_flagsLeft = 8;
        }
        --m_flagsLeft;
        bool literal = m_flags & 1;
        m_flags >>= 1;
        std::uint32_t low = bits.getByte();
        if (literal) {
            return {0, low};
        }
        std::uint32_t high = bits.getByte();
        std::uint32_t place = low | ((high & 0xF0) << 4);
        return {(high & 0x0F) + 3, distanceTo(place, produced, 18, 0xFFF)};
    }

    // The dictionary each variant starts with: spaces for -lzs-; for -lz5-
    // LArc's pattern (13 copies of every byte value, the values up, the
    // values down, 128 zeros, 110 spaces, 18 zeros), rotated to our origin.
    static std::vector<std::uint8_t> initialDictionary(Variant variant);

private:
    static std::uint32_t distanceTo(std::uint32_t place, std::uint64_t produced, std::uint32_t lookahead,
                                    std::uint32_t mask)
    {
        std::uint32_t source = (place + lookahead) & mask;
        std::uint32_t position = static_cast<std::uint32_t>(produced) & mask;
        // 1..ring size; the full ring size reads the byte about to be replaced.
        return ((position - source - 1) & mask) + 1;
    }

    Variant m_variant;
    std::uint32_t m_flags = 0;
    unsigned m_flagsLeft = 0;
};

} // namespace kiro::lzh
