#pragma once

#include <filesystem>
#include <string>

namespace kiro::catalogue {

// Deletes a downloaded song's three files in the karaoke folder of the
// install folder: base.KRD, base.MID and the bare base name of the
// catalogue's ファイル名, whatever their letter case on the disk. A missing
// file is no error.
void deleteSongFiles(const std::filesystem::path& installFolder, const std::string& fileName);

} // namespace kiro::catalogue
