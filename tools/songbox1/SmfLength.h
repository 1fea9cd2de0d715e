#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>

// How long a standard MIDI file plays: the last event of any track, timed
// through the tempo map (or the SMPTE time base).
namespace kiro::songbox1 {

struct SmfLength {
    std::chrono::microseconds duration{0};
    std::uint32_t lastTick = 0;
    std::string error; // empty when the file could be read
    bool ok() const { return error.empty(); }
};

SmfLength measureSmf(std::span<const std::uint8_t> file);

} // namespace kiro::songbox1
