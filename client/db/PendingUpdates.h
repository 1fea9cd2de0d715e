#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace kiro::db {

class CatalogueDb;

// Where updates are applied and how archives are unpacked.
struct UpdateEnvironment {
    std::filesystem::path installFolder;
    // Extracts every member of an LZH archive into an existing folder;
    // 0 means success.
    std::function<int(const std::filesystem::path& archive, const std::filesystem::path& folder)> extract;

    // The client's own: the LZH extractor of the archive library.
    static UpdateEnvironment standard(const std::filesystem::path& installFolder);
};

// Applies the updates that were received but not yet applied, in key order:
// extracts each file of an update into its folder ("%KIRO%" = the install
// folder), runs the database script of a database update ("D"), marks the
// update applied (scripts and mark in one transaction) and then deletes its
// archives. A failed update stays pending with its archives for the next
// start; later database updates wait behind it, other updates go on.
// 0 = all applied, 1 = at least one failed.
int ApplyPendingUpdates(CatalogueDb& db, const UpdateEnvironment& environment);

// A Windows-style path relative to the install folder ("karaoke\A.LZH") as
// a path under `base`, each part matched to an existing entry regardless of
// case. nullopt when the text is absolute or climbs out of `base` with "..".
std::optional<std::filesystem::path> pathUnder(const std::filesystem::path& base, std::string_view windowsRelative);

} // namespace kiro::db
