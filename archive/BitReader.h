#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace kiro::lzh {

static_assert(std::endian::native == std::endian::little, "the bit reader's word refill assumes little-endian");

// Most-significant-bit-first reader over one member's packed data. Past its
// end it reads 1-bits (what a read at end of file gave the DOS tools), so a
// decoder may look ahead freely; overran() tells when bits beyond the packed
// data were actually used, which means the data is cut short or damaged.
class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> input)
        : m_next(input.data()), m_end(input.data() + input.size()), m_limitBits(std::uint64_t{input.size()} * 8)
    {
    }

    // The next n bits (n <= 32) without consuming them.
    std::uint32_t peek(unsigned n)
    {
        if (m_count < n) {
            refill();
        }
        return n == 0 ? 0 : static_cast<std::uint32_t>(m_buffer >> (64 - n));
    }

    // Consumes n bits (n <= 32) that were peeked before.
    void skip(unsigned n)
    {
        m_buffer = n >= 64 ? 0 : m_buffer << n;
        m_count -= n;
        m_usedBits += n;
    }

    bool overran() const { return m_usedBits > m_limitBits; }

    std::uint32_t get(unsigned n)
    {
        std::uint32_t value = peek(n);
        skip(n);
        return value;
    }

    unsigned getBit() { return get(1); }

    std::uint8_t getByte() { return static_cast<std::uint8_t>(get(8)); }

private:
    void refill()
    {
        if (m_end - m_next >= 8) {
            // Whole bytes up to 63 bits. Bits of the following byte may come
            // in below the count; the next refill ORs the same bits again.
            std::uint64_t word;
            std::memcpy(&word, m_next, 8);
            word = __builtin_bswap64(word);
            m_buffer |= word >> m_count;
            unsigned take = (63 - m_count) >> 3;
            m_next += take;
            m_count += take * 8;
            return;
        }
        while (m_count <= 56) {
            std::uint8_t byte = m_next < m_end ? *m_next++ : 0xFF;
            m_buffer |= static_cast<std::uint64_t>(byte) << (56 - m_count);
            m_count += 8;
        }
    }

    const std::uint8_t* m_next;
    const std::uint8_t* m_end;
    std::uint64_t m_limitBits;
    std::uint64_t m_usedBits = 0;
    std::uint64_t m_buffer = 0; // unread bits, left-aligned
    unsigned m_count = 0;       // number of valid bits in m_buffer
};

} // namespace kiro::lzh
