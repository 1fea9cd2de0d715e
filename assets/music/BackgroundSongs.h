#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Our own background songs for the client's eleven tunes: short loops
// composed from a seed, a key, a tempo and a sound each. Ticks are 96 per
// quarter; a looping song plays a one-beat pick-up, then its loop from tick
// 96 to its loop end, then one beat more, so the player's repeat points
// (96 and the end) cut it cleanly.
namespace kiro::music {

inline constexpr std::uint16_t kTicksPerQuarter = 96;

struct SongPlan {
    std::string fileName;
    bool loops;
    std::uint32_t loopEnd; // tick; for songs that do not loop, where the song ends
    double beatsPerMinute;
    int rootKey;  // MIDI key of the tonic
    int melodyProgram;
    int padProgram;
    std::uint32_t seed;
};

// The eleven tunes in the order of the controller's song table.
const std::vector<SongPlan>& backgroundSongPlans();

std::vector<std::uint8_t> composeSong(const SongPlan& plan);

// Writes every tune into `folder`; returns the names that could not be written.
std::vector<std::string> writeBackgroundSongs(const std::filesystem::path& folder);

} // namespace kiro::music
