#pragma once

#include <chrono>
#include <filesystem>
#include <vector>

namespace kiro::songbox1 {

// Shows the bitmaps one after another, each for an equal share of the song,
// and returns when the song is over (or the window is closed).
int showPictures(int& argc, char** argv, const std::vector<std::filesystem::path>& bitmaps,
                 std::chrono::microseconds songLength);

// True when a window can be shown: DISPLAY or WAYLAND_DISPLAY is set.
bool displayAvailable();

} // namespace kiro::songbox1
