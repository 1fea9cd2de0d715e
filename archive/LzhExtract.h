#pragma once

#include <filesystem>
#include <string>

namespace kiro {

// Extracts every member of the LZH archive into destinationFolder (which must
// exist). Members are written in archive order under their stored names
// (upper-cased, last path component, at most 13 characters, converted from
// code page 932 to UTF-8); existing files are overwritten. Extraction stops at
// the first failing member; the members written before it stay, the failing
// one is removed.
// Returns 0 on success, 1 on failure (archive unreadable or without members,
// file cannot be written, packed data ends before the member does or is cut
// off by the end of the file, CRC-16 mismatch), 2 for an unknown method or a
// damaged header.
int LzhExtractAll(const std::filesystem::path& archive, const std::filesystem::path& destinationFolder);

// The same; on failure `why` says which member failed and the reason.
int LzhExtractAll(const std::filesystem::path& archive, const std::filesystem::path& destinationFolder,
                  std::string& why);

} // namespace kiro
