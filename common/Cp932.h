#pragma once

#include <optional>
#include <string>
#include <string_view>

// Code page 932 (Shift-JIS as Windows writes it) at the program's boundaries:
// the host line, INI files, mail files, KRD strings, update scripts and
// archive member names. Inside, every string is UTF-8.
namespace kiro::cp932 {

// True when the byte starts a double-byte character.
bool isLeadByte(unsigned char byte);

// True when the CP932 text holds at least one double-byte character.
bool holdsDoubleByte(std::string_view cp932Text);

// Strict conversions: nullopt when the input cannot be converted.
std::optional<std::string> tryToUtf8(std::string_view cp932Text);
std::optional<std::string> tryFromUtf8(std::string_view utf8Text);

// Lenient conversions for display and file names: a byte or character that
// has no counterpart becomes '?' instead of failing the whole text.
std::string toUtf8(std::string_view cp932Text);
std::string fromUtf8(std::string_view utf8Text);

} // namespace kiro::cp932
