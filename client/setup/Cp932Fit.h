#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Edit limits of the setup dialogs count code page 932 bytes, as the
// settings file stores the text: a kanji takes two, a half-width katakana one.
namespace kiro::setup {

// Bytes of the UTF-8 text in code page 932 (a character without a code page
// 932 form counts as the one '?' it would be stored as).
std::size_t cp932Length(std::string_view utf8);

// The longest leading part of the text that fits `limit` bytes, cut between
// characters. Characters that have no code page 932 form are dropped, since
// the settings file could not hold them.
std::string fitCp932(std::string_view utf8, std::size_t limit);

} // namespace kiro::setup
