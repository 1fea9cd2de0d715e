#pragma once

#include "player/KrdFormat.h"
#include "player/PictureEntry.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The TempKrd: the command stream rewritten for the playback engine, with
// every picture payload replaced by the base name of its bitmap.
namespace kiro::player {

inline constexpr char kTempPrefix[] = "_@temp";

// Gives every row its temp name: codes 1, 6 and 7 take "_@temp<n>" with n
// counting from 0; code 13 takes the name current at its place ("_@temp0"
// before any other picture row).
void assignTempNames(std::vector<PictureEntry>& rows);

struct TempKrdWriting {
    std::vector<std::uint8_t> bytes; // what was written, also on failure
    KrdWalkEnd end;
    bool ok() const { return end.complete(); }
};

// The writing pass over a whole KRD file (header included) with the rows of
// its reading pass. A row count that does not match the stream (a caller's
// mistake) stops the pass as a failure rather than reading past the table.
TempKrdWriting writeTempKrd(std::span<const std::uint8_t> file, const std::vector<PictureEntry>& rows);

// The bitmap base names a TempKrd refers to, in stream order (the engine's
// view of the file); `end` tells whether the stream was whole.
struct TempKrdText {
    std::uint32_t head = 0; // the command's head field
    std::string text;       // code page 932, without its NUL
};

struct TempKrdPictures {
    std::vector<std::string> tempNames;
    std::vector<std::uint32_t> pictureHeads; // head field of each picture command, in step with tempNames
    std::vector<TempKrdText> texts;          // the text commands (codes 2 and 15) in stream order
    KrdWalkEnd end;
};

TempKrdPictures readTempKrdPictures(std::span<const std::uint8_t> tempKrd);

} // namespace kiro::player
