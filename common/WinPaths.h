#pragma once

#include <filesystem>

// Where the Windows folders of the original live on this platform.
namespace kiro::winpaths {

// $KIRO_WINDIR, else $XDG_CONFIG_HOME/kiro/windows (~/.config/kiro/windows);
// created when missing.
std::filesystem::path windowsDirectory();

// <windows directory>/system, created when missing.
std::filesystem::path systemDirectory();

// This user's private temporary folder (mode 0700, created when missing):
// $TMPDIR/kiro-<uid>, else $XDG_RUNTIME_DIR/kiro, else /tmp/kiro-<uid>.
// A name held by another user or by a link is passed over (kiro-<uid>.1, ...).
std::filesystem::path temporaryDirectory();

} // namespace kiro::winpaths
