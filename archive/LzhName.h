#pragma once

#include <string>
#include <string_view>

namespace kiro::lzh {

// The longest name kept from a header, in bytes of code page 932.
inline constexpr std::size_t kMaxNameBytes = 13;

// Turns a stored member name (code page 932) into the file name the
// extractor writes, in UTF-8: the text up to the first NUL, upper-cased
// (ASCII letters; double-byte characters are left whole), only its last
// path component (after '\' or '/'), then its first 13 bytes without
// splitting a double-byte character. Returns an empty string when nothing
// safe is left (empty, "." or ".."), so a member can never be written
// outside its destination folder.
std::string memberFileName(std::string_view storedName);

} // namespace kiro::lzh
