#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// HKEY_LOCAL_MACHINE as one text file in the .reg format that Windows'
// registry editor exports:
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Orvel\ＫＩＲＯ\smfplayer]
//   "engine"="orvelmp.dll"
//   "interface"=dword:00000000
//
// The file is UTF-8 and lives in the Windows directory as "registry.reg".
// Key paths are given below HKEY_LOCAL_MACHINE with backslashes
// ("SOFTWARE\Orvel\ＫＩＲＯ\smfplayer"); a leading "HKEY_LOCAL_MACHINE\" is
// accepted. Key and value names compare case-insensitively (ASCII and
// full-width Latin letters). "" or "@" names a key's default value.
//
// Each call reads the file again when it changed, and each change rewrites it
// atomically under a lock, so several programs (the client, the MIDI loader,
// the uninstaller) can share it. Lines that do not parse are reported with
// their line number and skipped; before such a file is first rewritten it is
// copied to "registry.reg.bak" (or .bak2, .bak3 ...) so nothing is lost.
namespace kiro {

struct RegistryValue {
    enum class Type {
        String, // "name"="text"
        Dword,  // "name"=dword:0000000c
        Other,  // hex:..., hex(n):... kept verbatim so a rewrite loses nothing
    };
    Type type = Type::String;
    std::string text;        // String: the text; Other: the right-hand side as written
    std::uint32_t dword = 0; // Dword
};

struct RegistryProblem {
    int line = 0; // 1-based line of the file; 0 for a file-level problem
    std::string message;
};

class RegistryKey;

class Registry {
public:
    // The file "registry.reg" in the Windows directory.
    static std::filesystem::path defaultFile();

    explicit Registry(std::filesystem::path file = defaultFile());

    const std::filesystem::path& file() const { return m_file; }

    // Open fails (nullopt) when the key does not exist; create makes the key
    // and its missing parents.
    std::optional<RegistryKey> openKey(std::string_view keyPath);
    std::optional<RegistryKey> createKey(std::string_view keyPath);
    bool keyExists(std::string_view keyPath);
    // Deletes the key with its values and subkeys; false when missing or the
    // file could not be written.
    bool deleteKey(std::string_view keyPath);

    std::optional<RegistryValue> readValue(std::string_view keyPath, std::string_view name);
    std::optional<std::string> readString(std::string_view keyPath, std::string_view name);
    std::optional<std::uint32_t> readDword(std::string_view keyPath, std::string_view name);
    // Writing creates the key when missing.
    bool writeString(std::string_view keyPath, std::string_view name, std::string_view text);
    bool writeDword(std::string_view keyPath, std::string_view name, std::uint32_t value);
    bool deleteValue(std::string_view keyPath, std::string_view name);

    // Names as stored (their original letter case), in file order.
    std::vector<std::string> subkeys(std::string_view keyPath);
    std::vector<std::string> valueNames(std::string_view keyPath);

    // Problems found by the last parse of the file, and the last write error.
    const std::vector<RegistryProblem>& problems() const { return m_problems; }
    const std::string& lastError() const { return m_lastError; }

    // Parses .reg text into a registry held in memory (for tests and tools).
    static Registry fromText(std::string_view text, std::vector<RegistryProblem>* problems = nullptr);
    std::string toText();

    Registry(Registry&&) noexcept;
    Registry& operator=(Registry&&) noexcept;
    ~Registry();

    struct Node; // the parsed key tree; opaque outside Registry.cpp

private:
    struct Impl;

    // Reads the file again when it changed since the last read.
    void refresh();
    // Under the file lock: re-reads, applies the change to the tree and, when
    // it reports a change, writes the file. False when the change failed or
    // the file could not be written.
    bool modify(const std::function<bool(Node& root)>& change);
    bool writeValue(std::string_view keyPath, std::string_view name, const RegistryValue& value);
    const Node* find(std::string_view keyPath);

    std::filesystem::path m_file;
    std::vector<RegistryProblem> m_problems;
    std::string m_lastError;
    std::unique_ptr<Impl> m_impl;
};

// A handle on one existing key, as RegOpenKeyEx/RegCreateKeyEx give. It names
// the key by path, so it stays usable while other programs change the file.
class RegistryKey {
public:
    RegistryKey(Registry& registry, std::string path) : m_registry(&registry), m_path(std::move(path)) {}

    const std::string& path() const { return m_path; }

    std::optional<std::string> readString(std::string_view name) const { return m_registry->readString(m_path, name); }
    std::optional<std::uint32_t> readDword(std::string_view name) const { return m_registry->readDword(m_path, name); }
    std::optional<RegistryValue> readValue(std::string_view name) const { return m_registry->readValue(m_path, name); }
    bool writeString(std::string_view name, std::string_view text) const { return m_registry->writeString(m_path, name, text); }
    bool writeDword(std::string_view name, std::uint32_t value) const { return m_registry->writeDword(m_path, name, value); }
    bool deleteValue(std::string_view name) const { return m_registry->deleteValue(m_path, name); }
    std::vector<std::string> subkeys() const { return m_registry->subkeys(m_path); }
    std::vector<std::string> valueNames() const { return m_registry->valueNames(m_path); }

private:
    Registry* m_registry;
    std::string m_path;
};

} // namespace kiro
