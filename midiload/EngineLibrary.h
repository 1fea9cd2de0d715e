#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

// Finding and binding the player engine named in the registry.
namespace kiro::midiload {

inline constexpr const char* kEngineKey = "SOFTWARE\\Orvel\\ＫＩＲＯ\\smfplayer";
inline constexpr const char* kDefaultEngine = "orvelmp.dll";
inline constexpr std::size_t kEngineNameBuffer = 30; // bytes, with the terminating NUL
inline constexpr std::size_t kEntryCount = 36;

// The engine's entry names in binding order.
extern const std::array<const char*, kEntryCount> kEntryNames;

struct EngineChoice {
    bool ok = false; // false: the key is missing or the interface kind is 2 or more
    std::string name = kDefaultEngine;
    std::uint32_t interfaceKind = 0;
};

// Reads the key; a name that does not fit the 30-byte buffer, or a value
// that cannot be read, keeps the default.
EngineChoice readEngineChoice();

// "name.dll" is the shared library "libname.so" on this platform.
std::string sharedLibraryName(const std::string& engineName);

// The folder of this library (where the engine is looked for first).
std::filesystem::path loaderFolder();

// Loads the engine: from `folder` (the name matched ignoring letter case),
// else by name through the library path. Null when it cannot be loaded.
void* openEngineLibrary(const std::string& engineName, const std::filesystem::path& folder);

} // namespace kiro::midiload
