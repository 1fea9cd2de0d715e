#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// The time of the song being sung. The song plays through the MIDI engine
// (liborvelmp) and its position is the clock; when the engine cannot play
// (no SoundFont, no audio output) the wall clock runs over the song's
// measured length instead, so the words and pictures still follow.
namespace kiro::songbox1 {

class SongClock {
public:
    SongClock(const std::filesystem::path& midi, std::chrono::microseconds length);
    ~SongClock();
    SongClock(const SongClock&) = delete;
    SongClock& operator=(const SongClock&) = delete;

    // Milliseconds from the start of the song; nothing once it is over.
    std::optional<std::uint32_t> now();
    bool audible() const { return m_engineOpen; }
    // Why the song is silent (empty when it plays).
    const std::string& problem() const { return m_problem; }

private:
    bool m_engineOpen = false;
    std::string m_problem;
    std::chrono::steady_clock::time_point m_started;
    std::chrono::microseconds m_length;
};

} // namespace kiro::songbox1
