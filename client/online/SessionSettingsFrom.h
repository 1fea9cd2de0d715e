#pragma once

#include "client/app/ClientSettings.h"
#include "client/online/HostSession.h"
#include "client/online/PortRegistry.h"

namespace kiro::online {

// The engine's view of the client's settings, with the chosen modem's
// command fragments read from the registry.
SessionSettings sessionSettingsFrom(const app::ClientSettings &settings, const RegistryReader &registry);

} // namespace kiro::online
