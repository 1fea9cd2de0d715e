#pragma once

#include "client/app/AppFolders.h"

#include <functional>
#include <memory>
#include <string>

namespace kiro::app {
struct ClientSettings;
class Prompt;
}
namespace kiro::db {
class CatalogueDb;
}
namespace kiro::music {
class BackgroundMusic;
}
namespace kiro::online {
class RegistryReader;
}

namespace kiro::setup {

// What the setup dialogs reach besides the widgets: the settings record they
// edit, the prompt, the catalogue (the access point list), the background
// music, the registry (installed modems, the TELNET phone book) and the
// program's port and host session. The client program fills it; tests fill
// it with fakes. Pointers may be null and functions empty: that part is then
// skipped (no database gives an empty access point list).
struct SetupServices {
    app::ClientSettings* settings = nullptr;
    app::Prompt* prompt = nullptr;
    db::CatalogueDb* database = nullptr;
    music::BackgroundMusic* music = nullptr;
    std::shared_ptr<const online::RegistryReader> registry;
    // The registry file, named where the dialogs tell the user to edit it.
    std::string registryFile;
    app::AppFolders folders;

    // Points the port at a COM number and speed (Reconfigure).
    std::function<void(int comPort, int baudRate)> reconfigurePort;
    // The modem test at the settings' ComPort; true when the modem answered.
    std::function<bool()> runModemTest;
    // The modem, access points or account changed: the host session reloads
    // the modem's command fragments and its settings.
    std::function<void()> settingsChanged;
    // SaveSettings (KIROL.INI).
    std::function<void()> saveSettings;
};

} // namespace kiro::setup
