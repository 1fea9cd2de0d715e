#pragma once

#include "tools/songbox1/SongClock.h"
#include "tools/songbox1/SongCues.h"

#include <filesystem>
#include <functional>
#include <vector>

namespace kiro::songbox1 {

// Called with each lyric line as it falls due.
using LyricSink = std::function<void(const LyricLine&)>;

// Shows the pictures and the words of the song in a window, each at its
// time on the song's clock, and returns when the song is over (or the window
// is closed).
int showSong(int& argc, char** argv, const std::vector<std::filesystem::path>& bitmaps, const SongCues& cues,
    SongClock& clock, const LyricSink& sink);

// The same without a window: hands the lyric lines to `sink` as they fall due.
void followSong(const SongCues& cues, SongClock& clock, const LyricSink& sink);

// True when a window can be shown: DISPLAY or WAYLAND_DISPLAY is set.
bool displayAvailable();

} // namespace kiro::songbox1
