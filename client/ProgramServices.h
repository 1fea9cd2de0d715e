#pragma once

#include "client/app/AppFolders.h"
#include "client/app/ClientSettings.h"
#include "client/music/BackgroundMusic.h"
#include "client/setup/SetupServices.h"
#include "client/ui/MainWindowServices.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace kiro::app {
class Prompt;
}
namespace kiro::catalogue {
class SongBookActions;
}
namespace kiro::db {
class CatalogueDb;
}
namespace kiro::music {
class BackgroundMusic;
class MusicController;
}
namespace kiro::online {
class BPlusTransferStarter;
class CommPort;
class HostSession;
}
namespace kiro::ui {
class ProgressWindow;
}
namespace kiro::services {
class VersionUp;
}

namespace kiro::client {

// The main window's services over the settings, folders, the catalogue
// database, the port, the host session and its progress window, and the
// setup dialogs over them, the background music, and the song book with
// the program's actions (receiving, playing, the downloaded list).
class ProgramServices : public MainWindowServices {
public:
    ProgramServices(kiro::app::ClientSettings& settings, kiro::app::Prompt& prompt,
        std::filesystem::path windowsDir);
    ~ProgramServices() override;

    // Where the install folder comes from (the current directory by default).
    void setInstallFolder(const std::string& folder) { m_installOverride = folder; }

    void prepareFolders() override;
    QString installFolder() const override;
    QString systemFolder() const override;
    void initPort(QWidget* mainWindow) override;
    void createProgressWindow(QWidget* mainWindow) override;
    bool openDatabase() override;
    void afterDatabaseOpened() override;
    bool setupIsOK() const override;
    void runUserSettings(QWidget* parent) override;
    void saveSettings() override;
    void playTune(int tune) override;
    void stopMusic() override;
    bool songBookAvailable() const override;
    void openSongBook(QWidget* parent) override;
    bool maintenanceEntryAvailable(int index) const override;
    void runMaintenanceEntry(int index, QWidget* menu) override;
    void sessionTick() override;
    void deleteProgressWindow() override;
    void closeDatabase() override;
    void closeWorkspace() override;
    void shutdownPort() override;
    void closeMusic() override;

    // The background music the screens and playback suspend and resume;
    // exists once the folders are prepared.
    kiro::music::BackgroundMusic* backgroundMusic() const;

    kiro::db::CatalogueDb* database() const { return m_db.get(); }
    kiro::online::CommPort* port() const { return m_port.get(); }
    kiro::online::HostSession* session() const { return m_session.get(); }
    kiro::catalogue::SongBookActions& songBookActions() { return *m_songBookActions; }
    kiro::ui::ProgressWindow* progressWindow() const { return m_progress.get(); }
    const kiro::app::AppFolders& folders() const { return m_folders; }

    // The same for the setup dialogs: silent until the folders are prepared.
    kiro::music::BackgroundMusic& music();

    // What the setup dialogs reach: settings, prompt, catalogue, music,
    // registry, and the port and host session for the modem test.
    kiro::setup::SetupServices setupServices();

private:
    // The host session reads its settings at the start of a connection from
    // this copy; the setup dialogs refresh it after a change.
    void applySettingsToSession();
    // The version-up job over the open database and the host session.
    kiro::services::VersionUp* versionUp();
    void showVersionUpList(QWidget* parent);

    kiro::app::ClientSettings& m_settings;
    kiro::app::ClientSettings m_settingsAsLoaded; // as read at start, then as last saved
    kiro::app::Prompt& m_prompt;
    std::filesystem::path m_windowsDir;
    std::string m_installOverride;
    kiro::app::AppFolders m_folders;
    std::unique_ptr<kiro::db::CatalogueDb> m_db;
    std::unique_ptr<kiro::online::CommPort> m_port;
    std::unique_ptr<kiro::ui::ProgressWindow> m_progress;
    std::unique_ptr<kiro::online::BPlusTransferStarter> m_transfer;
    std::unique_ptr<kiro::online::HostSession> m_session;
    kiro::music::SilentMusic m_silentMusic;
    std::unique_ptr<kiro::music::MusicController> m_music;
    std::unique_ptr<kiro::services::VersionUp> m_versionUp;
    // What the song book hands on (receive, play, file list, sound test).
    std::unique_ptr<kiro::catalogue::SongBookActions> m_songBookActions;
};

} // namespace kiro::client
