#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// How long a standard MIDI file plays: the last event of any track, timed
// through the tempo map (or the SMPTE time base).
namespace kiro::songbox1 {

struct TempoChange {
    std::uint32_t tick;
    std::uint32_t microsecondsPerQuarter;
};

struct SmfLength {
    std::chrono::microseconds duration{0};
    std::uint32_t lastTick = 0;
    std::uint16_t division = 0;       // ticks per quarter, or SMPTE when the top bit is set
    std::vector<TempoChange> tempos;  // sorted by tick
    std::string error; // empty when the file could be read
    bool ok() const { return error.empty(); }
};

SmfLength measureSmf(std::span<const std::uint8_t> file);

// Converts between ticks and time through the tempo map of a measured file
// (120 beats per minute before the first tempo event).
double tickToMicroseconds(const SmfLength& song, std::uint32_t tick);
std::uint32_t microsecondsToTick(const SmfLength& song, double microseconds);

} // namespace kiro::songbox1
