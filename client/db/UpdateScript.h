#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kiro::db {

class CatalogueDb;

inline constexpr char kUpdateScriptName[] = "$KrDBUPD.SQL";
inline constexpr char kUpdateLogName[] = "SqlError.Log";
inline constexpr size_t kMaxScriptStatement = 4096;

// Runs a database update script: statements end with ";" (the ";" belongs
// to the statement, text before it — line breaks too — to the statement),
// at most 4096 bytes each; a longer one is dropped and reading goes on after
// its 4096 bytes. Each statement is executed in turn and logged to `logFile`
// (recreated, lines ending CR LF); the first failure is logged with the
// engine's code and message and ends the run. The script runs as one
// transaction: a failure (its log then names the statements rolled back) or
// a kill leaves the database as before it. The script is deleted at the
// end; a path that is not a file is refused and nothing is touched. The
// script and log are code page 932. Returns 0 on success, 1 on failure.
int RunUpdateScript(const std::filesystem::path& script, CatalogueDb& db,
                    const std::filesystem::path& logFile = kUpdateLogName);

// Replaces the folder token "%KIRO%" (the install folder, which is the
// current directory) together with one "\" right after it by nothing:
// "%KIRO%\karaoke" -> "karaoke", "%KIRO%" -> "". Other text, a lone "%"
// included, is copied as written.
std::string ResolveFolderToken(std::string_view folder);

} // namespace kiro::db
