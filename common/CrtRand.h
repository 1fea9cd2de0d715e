#pragma once

#include <cstdint>

namespace kiro {

// The Microsoft C runtime's srand/rand. Stored scrambled settings were made
// with this generator, so its exact sequence is part of the file format.
class CrtRand {
public:
    static constexpr int kRandMax = 0x7FFF;

    // A fresh generator behaves as if srand(1) had been called.
    CrtRand() = default;
    explicit CrtRand(std::uint32_t seed) : m_state(seed) {}

    void srand(std::uint32_t seed) { m_state = seed; }

    // 0 .. 32767.
    int rand()
    {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFF);
    }

private:
    std::uint32_t m_state = 1;
};

} // namespace kiro
