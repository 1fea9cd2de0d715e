#include "archive/HuffmanTable.h"

#include <algorithm>

namespace kiro::lzh {

void HuffmanTable::buildSingle(std::uint16_t symbol)
{
    m_fastBits = 1;
    m_fast[0] = m_fast[1] = static_cast<std::uint32_t>(symbol) << 8;
    m_counts.fill(0);
    m_longest = 0;
    m_fallback = symbol;
}

void HuffmanTable::build(const std::uint8_t* lengths, unsigned count, unsigned fastBits)
{
    if (count > kMaxSymbols) {
        count = kMaxSymbols;
    }
    m_fastBits = fastBits;
    m_counts.fill(0);
    m_longest = 0;
    for (unsigned s = 0; s < count; ++s) {
        unsigned len = lengths[s];
        if (len >= 1 && len <= kMaxLength) {
            ++m_counts[len];
            if (len > m_longest) {
                m_longest = len;
            }
        }
    }

    std::array<std::uint16_t, kMaxLength + 2> offsets{};
    for (unsigned len = 1; len <= kMaxLength; ++len) {
        offsets[len + 1] = static_cast<std::uint16_t>(offsets[len] + m_counts[len]);
    }
    for (unsigned s = 0; s < count; ++s) {
        unsigned len = lengths[s];
        if (len >= 1 && len <= kMaxLength) {
            m_sorted[offsets[len]++] = static_cast<std::uint16_t>(s);
        }
    }
    m_fallback = m_counts[m_longest] ? m_sorted[0] : 0;

    // Unassigned bit strings (an incomplete code) decode as the fallback
    // symbol and take the full table width, so decoding always advances.
    const std::uint32_t tableSize = 1u << fastBits;
    const std::uint32_t unassigned = (static_cast<std::uint32_t>(m_fallback) << 8) | fastBits;
    std::fill(m_fast.begin(), m_fast.begin() + tableSize, unassigned);

    std::uint32_t code = 0; // canonical code of the next symbol, left-aligned to 16 bits
    unsigned index = 0;
    for (unsigned len = 1; len <= kMaxLength; ++len) {
        const std::uint32_t step = 1u << (kMaxLength - len);
        for (unsigned i = 0; i < m_counts[len]; ++i, ++index) {
            if (code >= (1u << kMaxLength)) {
                return; // over-subscribed: later codes cannot be reached
            }
            std::uint32_t first = code >> (kMaxLength - fastBits);
            if (len <= fastBits) {
                std::uint32_t span = 1u << (fastBits - len);
                std::uint32_t entry = (static_cast<std::uint32_t>(m_sorted[index]) << 8) | len;
                for (std::uint32_t k = 0; k < span; ++k) {
                    m_fast[first + k] = entry;
                }
            } else {
                m_fast[first] = kLongCode;
            }
            code += step;
        }
    }
}

std::uint16_t HuffmanTable::decodeLong(BitReader& bits) const
{
    std::uint32_t window = bits.peek(kMaxLength);
    std::uint32_t code = 0;
    std::uint32_t first = 0;
    unsigned index = 0;
    for (unsigned len = 1; len <= m_longest; ++len) {
        code |= (window >> (kMaxLength - len)) & 1u;
        std::uint32_t count = m_counts[len];
        if (code - first < count) {
            bits.skip(len);
            return m_sorted[index + (code - first)];
        }
        index += count;
        first = (first + count) << 1;
        code <<= 1;
    }
    bits.skip(m_longest ? m_longest : 1);
    return m_fallback;
}

} // namespace kiro::lzh
