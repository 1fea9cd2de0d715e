#pragma once

#include <filesystem>

namespace kiro::client {

// The registry key and values by which the MIDI loader library picks its engine.
inline constexpr const char* kSmfPlayerKey = "SOFTWARE\\Orvel\\ＫＩＲＯ\\smfplayer";

// Kind 0 writes the standard engine ("orvelmp.dll", interface 0), kind 1 the
// software synthesizer ("orvelsmp.dll", interface 1), creating the key when
// missing. If either write fails both values are deleted; other kinds do
// nothing. Returns true when both values were written.
bool selectMidiEngine(int kind, const std::filesystem::path& registryFile);

} // namespace kiro::client
