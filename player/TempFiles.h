#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
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

// Reads the whole file into a buffer that starts at 16384 bytes and doubles
// while the bytes read come within 32 bytes of its end. Anything but a
// regular file is refused.
LoadedKrd loadKrdFile(const std::filesystem::path& path);

// `folder`/`name` when it exists, else the first entry whose name equals
// `name` ignoring ASCII case (archives often arrive in upper case).
std::optional<std::filesystem::path> findFileIgnoringCase(const std::filesystem::path& folder, const std::string& name);

// Removes whatever entry has the name `to` and creates the file anew with
// the bytes (O_EXCL | O_NOFOLLOW, mode 0600); false on any failure, and then
// no partial file is left.
bool writeFileFresh(const std::filesystem::path& to, std::span<const std::uint8_t> bytes);

// Copies a regular file to `to` as writeFileFresh does; false on any failure.
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
