#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kiro {

// Replaces a file's content so that a reader sees either the old or the new
// file, never a half-written one, even if the process dies mid-write: the
// bytes go to a temporary file in the same folder, are flushed, and the
// temporary file is renamed over the target. The folder must exist.
// Returns an empty string on success, else a message naming the file.
std::string writeFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// Reads a whole file; false when it cannot be opened or read.
bool readWholeFile(const std::filesystem::path& file, std::string& bytes);

} // namespace kiro
