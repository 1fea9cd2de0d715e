#include "client/online/CommPort.h"
#include "client/online/PortRegistry.h"
#include "client/online/SerialDevice.h"
#include "client/online/TelnetModemDevice.h"

namespace kiro::online {

PortDeviceFactory defaultPortDeviceFactory(double timeScale) {
  return [timeScale](std::uint8_t port) -> std::unique_ptr<PortDevice> {
    if (port == 0) {
      return nullptr;
    }
    // Read at every open, so a changed registry file counts without a restart.
    std::shared_ptr<const RegistryReader> registry = systemRegistry();
    if (port <= 4) {
      return std::make_unique<SerialDevice>(serialDevicePath(*registry, port));
    }
    TelnetModemOptions options;
    options.phoneBook = [registry](const std::string& digits) { return telnetPhoneBookEntry(*registry, digits); };
    options.pacing = telnetLinePacing(*registry);
    options.timeScale = timeScale;
    return std::make_unique<TelnetModemDevice>(std::move(options));
  };
}

} // namespace kiro::online
