#pragma once

#include <filesystem>

// Where the Windows folders of the original live on this platform.
namespace kiro::winpaths {

// $KIRO_WINDIR, else $XDG_CONFIG_HOME/kiro/windows (~/.config/kiro/windows);
// created when missing.
std::filesystem::path windowsDirectory();

// <windows directory>/system, created when missing.
std::filesystem::path systemDirectory();

// $TMPDIR, else /tmp.
std::filesystem::path temporaryDirectory();

} // namespace kiro::winpaths
