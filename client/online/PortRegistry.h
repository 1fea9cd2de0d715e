#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The registry values the online link reads: COMn device paths, the TELNET
// phone book and pacing switch, and the modem class entries. Key paths are
// under HKEY_LOCAL_MACHINE, UTF-8, separated by backslashes.
namespace kiro::online {

inline constexpr const char* kPortsKey = "SOFTWARE\\Orvel\\ＫＩＲＯ\\Ports";
inline constexpr const char* kTelnetKey = "SOFTWARE\\Orvel\\ＫＩＲＯ\\Telnet";
inline constexpr const char* kModemClassKey = "System\\CurrentControlSet\\Services\\Class\\Modem";

// Read-only view of the registry; the client's uses the registry file.
class RegistryReader {
public:
  virtual ~RegistryReader() = default;
  virtual bool keyExists(const std::string& key) const = 0;
  // Names of the subkeys, in enumeration order.
  virtual std::vector<std::string> subkeys(const std::string& key) const = 0;
  // Every string value of the key: (name as stored, data).
  virtual std::vector<std::pair<std::string, std::string>> stringValues(const std::string& key) const = 0;
  virtual std::optional<std::string> readString(const std::string& key, const std::string& name) const = 0;
  virtual std::optional<std::uint32_t> readDword(const std::string& key, const std::string& name) const = 0;
};

// The reader over the client's registry file.
std::shared_ptr<const RegistryReader> systemRegistry();

// Device path of COMn: value "COMn" under kPortsKey, default "/dev/ttyS<n-1>".
std::string serialDevicePath(const RegistryReader& registry, int port);

// Phone-book text for a dialled number (reduced to digits): the value named
// by the digits under kTelnetKey, else its value "Default".
std::optional<std::string> telnetPhoneBookEntry(const RegistryReader& registry, const std::string& digits);

// Value LineSpeed = dword:1 under kTelnetKey paces the virtual line.
bool telnetLinePacing(const RegistryReader& registry);

} // namespace kiro::online
