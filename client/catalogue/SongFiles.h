#pragma once

#include <filesystem>
#include <string>

namespace kiro::catalogue {

// The catalogue's file name without folder and extension ("K000001.KRD" →
// "K000001"); folders may be written with '\' or '/'. The same as
// productBaseName.
std::string songBaseName(const std::string& fileName);

// Deletes a downloaded song's three files in the karaoke folder of the
// install folder: base.KRD, base.MID and the bare base name, whatever their
// letter case on the disk. A missing file is no error.
void deleteSongFiles(const std::filesystem::path& installFolder, const std::string& fileName);

} // namespace kiro::catalogue
