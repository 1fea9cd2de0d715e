#pragma once

#include "archive/LzhDecoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

namespace kiro::lzh {

// -lh0- and -lz4-: the data is the member itself. It may end early (the
// archive is cut short), and then read returns fewer bytes.
class StoredDecoder final : public LzhDecoder {
public:
    explicit StoredDecoder(std::span<const std::uint8_t> input) : m_input(input) {}

    std::size_t read(std::uint8_t* out, std::size_t size) override
    {
        std::size_t count = std::min(size, m_input.size());
        if (count > 0) {
            std::memcpy(out, m_input.data(), count);
        }
        m_input = m_input.subspan(count);
        return count;
    }

private:
    std::span<const std::uint8_t> m_input;
};

} // namespace kiro::lzh
