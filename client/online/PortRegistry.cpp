#include "client/online/PortRegistry.h"

#include <cctype>

namespace kiro::online {

std::string serialDevicePath(const RegistryReader& registry, int port) {
  if (auto path = registry.readString(kPortsKey, "COM" + std::to_string(port)); path && !path->empty()) {
    return *path;
  }
  return "/dev/ttyS" + std::to_string(port - 1);
}

std::optional<std::string> telnetPhoneBookEntry(const RegistryReader& registry, const std::string& digits) {
  if (!digits.empty()) {
    if (auto entry = registry.readString(kTelnetKey, digits)) {
      return entry;
    }
  }
  return registry.readString(kTelnetKey, "Default");
}

bool telnetLinePacing(const RegistryReader& registry) {
  return registry.readDword(kTelnetKey, "LineSpeed").value_or(0) == 1;
}

} // namespace kiro::online

namespace kiro::online {
namespace {

// Stands in until the registry file is wired in: no keys, so every look-up
// takes its default.
class EmptyRegistry final : public RegistryReader {
public:
  bool keyExists(const std::string&) const override { return false; }
  std::vector<std::string> subkeys(const std::string&) const override { return {}; }
  std::vector<std::pair<std::string, std::string>> stringValues(const std::string&) const override { return {}; }
  std::optional<std::string> readString(const std::string&, const std::string&) const override { return std::nullopt; }
  std::optional<std::uint32_t> readDword(const std::string&, const std::string&) const override { return std::nullopt; }
};

} // namespace

std::shared_ptr<const RegistryReader> systemRegistry() { return std::make_shared<EmptyRegistry>(); }

} // namespace kiro::online
