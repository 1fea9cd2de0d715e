#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A karaoke song of our own for the demo: a tune composed like the
// background songs and a KRD command file whose text commands carry its
// (invented) words, each timed by its head field in milliseconds from the
// start of the song, as songbox1 reads them.
namespace kiro::music {

struct DemoSong {
    std::vector<std::uint8_t> midi;
    std::vector<std::uint8_t> krd;
};

DemoSong composeDemoSong();

// Writes "<base>.MID" and "<base>.KRD" into `folder`; false when either fails.
bool writeDemoSong(const std::filesystem::path& folder, const std::string& base = "KIRODEMO");

} // namespace kiro::music
