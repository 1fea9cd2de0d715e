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
// `mode`: the new file's permissions; -1 keeps those of the file replaced
// (0644 for a new file). A link standing under the name is replaced, never
// followed.
std::string writeFileAtomically(const std::filesystem::path& file, std::string_view bytes, int mode = -1);

// Reads a whole file; false when it cannot be opened or read.
bool readWholeFile(const std::filesystem::path& file, std::string& bytes);

} // namespace kiro
