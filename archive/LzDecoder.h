#pragma once

#include "archive/BitReader.h"
#include "archive/LzhDecoder.h"

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

namespace kiro::lzh {

// One step of a method's code: a literal byte, or a match of `length` bytes
// starting `distance` bytes back (1 = the byte just written).
struct LzToken {
    std::uint32_t length;   // 0 for a literal
    std::uint32_t distance; // or the literal byte
};

// The sliding-dictionary part shared by every compressed method. The Codec
// turns bits into tokens: LzToken next(BitReader&, std::uint64_t produced),
// where produced counts the bytes written so far (some methods grow their
// code or address the dictionary by it).
template <class Codec>
class LzDecoder final : public LzhDecoder {
public:
    // initialDictionary has exactly 1 << dictionaryBits bytes.
    LzDecoder(std::span<const std::uint8_t> input, unsigned dictionaryBits, std::vector<std::uint8_t> initialDictionary,
              Codec codec)
        : m_bits(input), m_dictionary(std::move(initialDictionary)), m_mask((1u << dictionaryBits) - 1),
          m_codec(std::move(codec))
    {
    }

    std::size_t read(std::uint8_t* out, std::size_t size) override
    {
        std::uint8_t* const dictionary = m_dictionary.data();
        const std::uint32_t mask = m_mask;
        std::size_t done = 0;
        while (done < size) {
            if (m_pendingLength == 0) {
                LzToken token = m_codec.next(m_bits, m_produced + done);
                if (token.length == 0) {
                    std::uint8_t byte = static_cast<std::uint8_t>(token.distance);
                    out[done++] = byte;
                    dictionary[m_position] = byte;
                    m_position = (m_position + 1) & mask;
                    continue;
                }
                m_pendingLength = token.length;
                m_source = (m_position - token.distance) & mask;
            }
            std::size_t count = std::min<std::size_t>(m_pendingLength, size - done);
            m_pendingLength -= static_cast<std::uint32_t>(count);
            const std::uint32_t gap = (m_position - m_source) & mask;
            if (gap >= count && m_source + count <= mask + 1 && m_position + count <= mask + 1) {
                // Neither wraps nor overlaps (gap 0, the full ring, fails gap >= count).
                std::memcpy(out + done, dictionary + m_source, count);
                std::memcpy(dictionary + m_position, out + done, count);
                m_source = (m_source + static_cast<std::uint32_t>(count)) & mask;
                m_position = (m_position + static_cast<std::uint32_t>(count)) & mask;
                done += count;
                continue;
            }
            std::uint32_t source = m_source;
            std::uint32_t position = m_position;
            for (std::size_t i = 0; i < count; ++i) {
                std::uint8_t byte = dictionary[source];
                out[done + i] = byte;
                dictionary[position] = byte;
                source = (source + 1) & mask;
                position = (position + 1) & mask;
            }
            m_source = source;
            m_position = position;
            done += count;
        }
        m_produced += done;
        return done;
    }

    bool overran() const override { return m_bits.overran(); }

private:
    BitReader m_bits;
    std::vector<std::uint8_t> m_dictionary;
    std::uint32_t m_mask;
    std::uint32_t m_position = 0;
    std::uint32_t m_source = 0;
    std::uint32_t m_pendingLength = 0;
    std::uint64_t m_produced = 0;
    Codec m_codec;
};

} // namespace kiro::lzh
