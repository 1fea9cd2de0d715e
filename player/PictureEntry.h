#pragma once

#include <cstdint>
#include <string>

namespace kiro::player {

// One row of the picture table: one per command with code 1, 6, 7 or 13, in
// stream order. The strings are unbounded (the table grows), so a long
// archive name cannot overrun a neighbouring field.
struct PictureEntry {
    std::uint8_t code = 0;
    // 1 when a code 1/6 request names one archive by its picture number.
    std::int32_t exact = 0;
    // Exact: the eight-digit archive name. By attributes: the 16-byte key
    // (attributes, NUL, priorities, NUL). Code 7: the archive base name as
    // stored (code page 932). Code 13: fifteen blanks.
    std::string name;
    // Full path of the chosen picture source; empty when there is none.
    std::string source;
    // Base name of the row's bitmap in the temporary folder ("_@temp<n>").
    std::string tempName;
    // "lzh" for exact and code-7 rows, payload bytes 15..17 for rows by
    // attributes, "ext" for code 13.
    std::string extension;

    bool byAttributes() const { return (code == 1 || code == 6) && exact == 0; }
};

} // namespace kiro::player
