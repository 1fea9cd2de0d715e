#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Which folder the client runs in. The client works in its install folder
// (it takes it from the current folder); a user who starts it from the
// desktop menu or a terminal elsewhere gets a folder of their own, made once
// from the installed template.
namespace kiro::app {

// True when `folder` holds the catalogue sysfile/KIRODB.MDB (any letter case).
bool isInstallFolder(const std::filesystem::path& folder);

// True when `folder` has a sysfile/ folder: an install folder, perhaps one
// whose catalogue is missing or damaged (the client then ends after its
// splash, as it always has, instead of moving elsewhere).
bool looksLikeInstallFolder(const std::filesystem::path& folder);

// The installed template of an install folder: $KIRO_TEMPLATE_DIR, else
// <program folder>/../share/kiro/template (an installed copy), else
// <program folder>/../template (the build tree). Nothing when none exists.
std::optional<std::filesystem::path> findTemplateFolder(const std::filesystem::path& programFolder);

// $XDG_DATA_HOME/kiro, else ~/.local/share/kiro.
std::filesystem::path defaultUserFolder();

// Copies the template to `target`, which must not exist yet: into a hidden
// sibling first, then renamed into place, so a start killed half-way never
// leaves a half-made folder that looks complete. Copied files are writable by
// the user whatever the template's modes are (an installed template is
// read-only); programs stay executable. Returns "" or what went wrong.
std::string createFromTemplate(const std::filesystem::path& templateFolder, const std::filesystem::path& target);

struct InstallFolderChoice {
    std::filesystem::path folder; // empty when there is none to use
    bool created = false;         // made from the template just now
    std::string problem;          // why there is no folder
};

// The folder to run in: `requested` (--install DIR) when given, else the
// current folder when it looks like an install folder, else the user's own
// folder.
// A chosen folder that is not an install folder yet is made from the
// template (a requested folder that exists and is not empty is refused).
InstallFolderChoice chooseInstallFolder(const std::optional<std::filesystem::path>& requested,
    const std::filesystem::path& currentFolder, const std::filesystem::path& programFolder);

} // namespace kiro::app
