#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kiro::lzh {

// The CRC-16 LHA stores for every member's uncompressed data (reflected
// polynomial 0xA001, starting at 0).
class Crc16 {
public:
    void update(const std::uint8_t* data, std::size_t size)
    {
        static const std::array<std::uint16_t, 256> table = makeTable();
        std::uint16_t crc = m_value;
        for (std::size_t i = 0; i < size; ++i) {
            crc = static_cast<std::uint16_t>((crc >> 8) ^ table[(crc ^ data[i]) & 0xFF]);
        }
        m_value = crc;
    }

    std::uint16_t value() const { return m_value; }

private:
    static std::array<std::uint16_t, 256> makeTable()
    {
        std::array<std::uint16_t, 256> table{};
        for (unsigned i = 0; i < 256; ++i) {
            unsigned crc = i;
            for (int bit = 0; bit < 8; ++bit) {
                crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
            }
            table[i] = static_cast<std::uint16_t>(crc);
        }
        return table;
    }

    std::uint16_t m_value = 0;
};

} // namespace kiro::lzh
