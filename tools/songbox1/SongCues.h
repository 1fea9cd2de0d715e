#pragma once

#include "player/TempKrd.h"

#include <cstdint>
#include <string>
#include <vector>

// What songbox1 shows while a song plays, and when. The engine reads each
// command's 4-byte head field as milliseconds from the start of the song:
// a text command (code 2 or 15) becomes a lyric line at that time, a picture
// command shows its bitmap from that time on. When the picture commands
// carry no times (all zero, or going backwards), the pictures share the song
// equally, one after another.
namespace kiro::songbox1 {

struct LyricLine {
    std::uint32_t ms = 0;
    std::string text; // UTF-8
};

struct SongCues {
    std::vector<LyricLine> lyrics;          // by time; equal times keep stream order
    std::vector<std::uint32_t> pictureTimes; // start of each picture, in step with the TempKrd's picture list

    // How many lyric lines are due at `ms`; the last of them is the line to show.
    std::size_t lyricsDue(std::uint32_t ms) const;
    // The picture to show at `ms` (0 before the first one's time).
    std::size_t pictureAt(std::uint32_t ms) const;
};

SongCues songCues(const kiro::player::TempKrdPictures& tempKrd, std::uint32_t songMs);

} // namespace kiro::songbox1
