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
