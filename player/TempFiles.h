#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Files of the player: loading the KRD file, and the "_@temp" files it
// leaves in the temporary folder for the engine.
namespace kiro::player {

inline constexpr std::size_t kLoadGrowth = 16384;
inline constexpr char kMsgMallocFailed[] = "malloc : メモリーが足りません。\n他ののアプリケーションを終了してください";
inline constexpr char kMsgReallocFailed[] = "realloc : メモリーが足りません。\n他ののアプリケーションを終了してください";

struct LoadedKrd {
    std::vector<std::uint8_t> bytes; // exactly the file's bytes
    std::size_t bufferSize = 0;      // the buffer the growth rule ended with
    std::string error;               // empty on success
};

// Reads the whole file into a buffer that starts at 16384 bytes and grows by
// 16384 while the bytes read come within 32 bytes of its end.
LoadedKrd loadKrdFile(const std::filesystem::path& path);

// `folder`/`name` when it exists, else the first entry whose name equals
// `name` ignoring ASCII case (archives often arrive in upper case).
std::optional<std::filesystem::path> findFileIgnoringCase(const std::filesystem::path& folder, const std::string& name);

// Copies a file over any existing one; false on any failure.
bool copyFileOver(const std::filesystem::path& from, const std::filesystem::path& to);

struct TempDeletion {
    bool ok = true;
    std::string message; // "chmod error : %s" or "%s file delete error"
};

// Deletes every file of `folder` whose name begins with "_@temp". A file
// that resists is made writable and deleted again; the first file that
// still resists ends the deletion with its message.
TempDeletion deleteTempFiles(const std::filesystem::path& folder);

} // namespace kiro::player
