#include "client/online/PortRegistry.h"

#include "common/Registry.h"

#include <mutex>

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

// The client's registry file. Look-ups may come from the TELNET device's
// worker thread while the main thread reads too, hence the lock.
class FileRegistry final : public RegistryReader {
public:
  bool keyExists(const std::string& key) const override {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_registry.keyExists(key);
  }
  std::vector<std::string> subkeys(const std::string& key) const override {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_registry.subkeys(key);
  }
  std::vector<std::pair<std::string, std::string>> stringValues(const std::string& key) const override {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::pair<std::string, std::string>> values;
    for (const std::string& name : m_registry.valueNames(key)) {
      if (auto value = m_registry.readValue(key, name); value && value->type == kiro::RegistryValue::Type::String) {
        values.emplace_back(name, value->text);
      }
    }
    return values;
  }
  std::optional<std::string> readString(const std::string& key, const std::string& name) const override {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_registry.readString(key, name);
  }
  std::optional<std::uint32_t> readDword(const std::string& key, const std::string& name) const override {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_registry.readDword(key, name);
  }

private:
  mutable std::mutex m_mutex;
  mutable kiro::Registry m_registry;
};

} // namespace

std::shared_ptr<const RegistryReader> systemRegistry() { return std::make_shared<FileRegistry>(); }

} // namespace kiro::online
