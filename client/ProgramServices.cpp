#include "client/ProgramServices.h"

#include "client/ClientSongBookActions.h"
#include "client/CompactionWindowView.h"
#include "client/SetupDialogs.h"
#include "client/MidiEngineChoice.h"
#include "client/app/Prompt.h"
#include "client/app/Settings.h"
#include "client/catalogue/SongBookActions.h"
#include "client/db/CatalogueDb.h"
#include "client/db/Compaction.h"
#include "client/db/MailNumbers.h"
#include "client/db/PendingUpdates.h"
#include "client/music/MusicController.h"
#include "client/online/BPlusTransferStarter.h"
#include "client/online/CommPort.h"
#include "client/online/HostSession.h"
#include "client/online/ModemTest.h"
#include "client/online/PortRegistry.h"
#include "client/online/SessionSettingsFrom.h"
#include "client/services/VersionUp.h"
#include "client/services/VersionUpList.h"
#include "client/ui/GroupListDialog.h"
#include "client/ui/MaintenanceMenu.h"
#include "client/ui/VersionUpListDialog.h"
#include "client/ui/progress/ProgressWindow.h"
#include "client/ui/setup/AccessPointDialog.h"
#include "client/ui/setup/UserSettingsDialog.h"
#include "common/Registry.h"

#include <cstdio>

namespace kiro::client {

ProgramServices::ProgramServices(kiro::app::ClientSettings& settings, kiro::app::Prompt& prompt,
    std::filesystem::path windowsDir)
    : m_settings(settings)
    , m_settingsAsLoaded(settings)
    , m_prompt(prompt)
    , m_windowsDir(std::move(windowsDir))
    , m_songBookActions(std::make_unique<ClientSongBookActions>(*this, settings, prompt))
{
}

ProgramServices::~ProgramServices()
{
    // Normally the main window's shut-down has done this already.
    deleteProgressWindow();
    closeWorkspace();
    shutdownPort();
}

void ProgramServices::prepareFolders()
{
    m_folders = m_installOverride.empty() ? kiro::app::AppFolders::fromCurrentDirectory()
                                          : kiro::app::AppFolders::fromInstallFolder(m_installOverride);
    m_folders.recordCurrentYear();
    kiro::app::setGlobalFolders(m_folders);
    // The player finds the install folder here; a failure only costs the player.
    const std::string problem = kiro::app::WriteKiroDirectry(m_folders, m_windowsDir);
    if (!problem.empty())
        std::fprintf(stderr, "kiro: %s\n", problem.c_str());
    kiro::app::FillPictureDefaults(m_settings, m_folders);
    m_music = std::make_unique<kiro::music::MusicController>(kiro::music::linkedPlayerLibrary(),
        m_folders.installFolder,
        [registryFile = m_windowsDir / "registry.reg"](int kind) { selectMidiEngine(kind, registryFile); },
        m_settings.BgmOff != 0);
}

kiro::music::BackgroundMusic* ProgramServices::backgroundMusic() const
{
    return m_music.get();
}

kiro::music::BackgroundMusic& ProgramServices::music()
{
    if (m_music)
        return *m_music;
    return m_silentMusic;
}

QString ProgramServices::installFolder() const
{
    return QString::fromStdString(m_folders.installFolder);
}

QString ProgramServices::systemFolder() const
{
    return QString::fromStdString(m_folders.systemFolder);
}

void ProgramServices::initPort(QWidget*)
{
    // "Kiro.sys", the capture of the host dialogue, lives in the install folder.
    m_port = std::make_unique<kiro::online::CommPort>(kiro::online::defaultPortDeviceFactory(),
        std::filesystem::path(m_folders.installFolder));
    // The host session that consumes the received bytes comes with the
    // progress window, next; the port takes it then.
    m_port->Init(nullptr, static_cast<std::uint8_t>(m_settings.ComPort), static_cast<std::uint32_t>(m_settings.BaudRate));
}

void ProgramServices::createProgressWindow(QWidget* mainWindow)
{
    m_progress = std::make_unique<kiro::ui::ProgressWindow>(mainWindow);
    m_progress->hide();
    m_session = std::make_unique<kiro::online::HostSession>(*m_port, *m_progress, m_prompt);
    m_progress->setPressHandler([session = m_session.get()]() { session->pressButton(); });
    m_transfer = std::make_unique<kiro::online::BPlusTransferStarter>(*m_port, kiro::online::BPlusTransferOptions{});
    applySettingsToSession();
    m_session->setTransferStarter(m_transfer.get());
    m_port->setReceiveHandler(&m_session->receiveHandler());
    // The first logout of a day also fetches the forum's update list.
    m_session->setDailyCheck({
        [this] { return m_settings.LastLookVup; },
        [this](const std::string& today) {
            m_settings.LastLookVup = today;
            saveSettings();
        },
        [this] { return versionUp() ? versionUp()->FetchUpdateList() : 0; },
        [this] {
            m_settings.NeedGetInfo = 1;
            saveSettings();
        },
        {},
    });
}

kiro::services::VersionUp* ProgramServices::versionUp()
{
    if (!m_versionUp && m_db && m_db->isOpen() && m_session)
        m_versionUp = std::make_unique<kiro::services::VersionUp>(kiro::services::VersionUpContext{
            *m_db, *m_session, m_settings, m_prompt, m_folders.installFolder, m_folders.currentYear4,
            m_progress.get(), [this] { saveSettings(); }});
    return m_versionUp.get();
}

void ProgramServices::showVersionUpList(QWidget* parent)
{
    kiro::services::VersionUpListing listing;
    try {
        listing = kiro::services::loadVersionUpList(*m_db);
    } catch (const std::exception& e) {
        m_prompt.message(e.what());
        return;
    }
    if (listing.anyUnreceived)
        m_settings.NeedGetInfo = 1;
    VersionUpListDialog dialog(listing.rows, parent);
    dialog.exec();
}

void ProgramServices::applySettingsToSession()
{
    if (m_session)
        m_session->setSettings(kiro::online::sessionSettingsFrom(m_settings, *kiro::online::systemRegistry()));
    if (m_transfer) {
        // Transfer steps hand the line to B Plus, sized for the road of gate 1.
        kiro::online::BPlusTransferOptions transferOptions;
        transferOptions.speedCode = kiro::online::BPlusTransferStarter::speedCodeFor(m_settings.RoadType);
        m_transfer->setOptions(transferOptions);
    }
}

kiro::setup::SetupServices ProgramServices::setupServices()
{
    kiro::setup::SetupServices services;
    services.settings = &m_settings;
    services.prompt = &m_prompt;
    services.database = m_db && m_db->isOpen() ? m_db.get() : nullptr;
    services.music = &music();
    services.registry = kiro::online::systemRegistry();
    services.registryFile = kiro::Registry::defaultFile().string();
    services.folders = m_folders;
    services.reconfigurePort = [this](int comPort, int baudRate) {
        if (m_port)
            m_port->Reconfigure(static_cast<std::uint8_t>(comPort), static_cast<std::uint32_t>(baudRate));
    };
    services.runModemTest = [this]() {
        return m_port && m_session
            && kiro::online::RunModemTest(*m_port, *m_session, m_settings.ComPort,
                static_cast<std::uint32_t>(m_settings.BaudRate));
    };
    services.settingsChanged = [this]() { applySettingsToSession(); };
    services.saveSettings = [this]() { saveSettings(); };
    return services;
}

bool ProgramServices::openDatabase()
{
    m_db = std::make_unique<kiro::db::CatalogueDb>();
    const std::filesystem::path file =
        std::filesystem::path(m_folders.systemFolder) / std::string(kiro::db::CatalogueDb::kFileName);
    if (m_db->open(file))
        return true;
    // The program then ends without a window; this line is all a user
    // started outside the install folder gets to see.
    std::error_code ec;
    std::fprintf(stderr, "kiro: %s %s; start kiro in its install folder (the folder holding sysfile/, karaoke/, "
                         "InfoText/, MAIL/ and CDEx/)\n",
                 file.string().c_str(), std::filesystem::exists(file, ec) ? "does not open" : "not found");
    return false;
}

void ProgramServices::afterDatabaseOpened()
{
    const kiro::db::MailNumbers numbers = kiro::db::recomputeMailNumbers(*m_db);
    m_settings.ReadMailNo = numbers.readMailNo;
    m_settings.WriteMailNo = numbers.writeMailNo;
    // An update that fails stays pending for the next start; nothing to tell.
    kiro::db::ApplyPendingUpdates(*m_db, kiro::db::UpdateEnvironment::standard(m_folders.installFolder));
}

bool ProgramServices::setupIsOK() const
{
    return m_settings.SetupIsOK != 0;
}

void ProgramServices::runUserSettings(QWidget* parent)
{
    kiro::setup::SetupServices services = setupServices();
    UserSettingsDialog dialog(services, true, parent);
    dialog.exec();
}

void ProgramServices::saveSettings()
{
    // The settings dialogs may have switched the music on or off.
    if (m_music)
        m_music->setOff(m_settings.BgmOff != 0);
    // Only what this run changed: kiro-settings may have written since.
    const std::string problem = kiro::app::SaveSettings(m_settings, m_windowsDir, &m_settingsAsLoaded);
    if (!problem.empty())
        std::fprintf(stderr, "kiro: %s\n", problem.c_str());
    else
        m_settingsAsLoaded = m_settings;
}

void ProgramServices::playTune(int tune)
{
    // BgmOff is forced on at every start: nothing plays before the settings
    // dialogs turn the music on and open the player.
    if (m_music)
        m_music->play(tune);
}

void ProgramServices::stopMusic()
{
    if (m_music)
        m_music->close();
}

bool ProgramServices::songBookAvailable() const
{
    return m_db && m_db->isOpen();
}

void ProgramServices::openSongBook(QWidget* parent)
{
    if (!songBookAvailable())
        return;
    // The top screen opens the karaoke course.
    GroupListDialog dialog(*m_db, 10, m_prompt, *m_songBookActions,
        KaraokeScreen::Folders{installFolder(), systemFolder()}, parent);
    dialog.exec();
}

bool ProgramServices::maintenanceEntryAvailable(int index) const
{
    if (index >= MaintenanceMenu::UserSettingsEntry && index <= MaintenanceMenu::SoundModemEntry)
        return true;
    const bool databaseEntry = index == MaintenanceMenu::CompactEntry || index == MaintenanceMenu::VersionListEntry;
    if (index == MaintenanceMenu::VersionUpEntry)
        return m_db && m_db->isOpen() && m_session;
    return databaseEntry && m_db && m_db->isOpen();
}

void ProgramServices::runMaintenanceEntry(int index, QWidget* menu)
{
    if (index == MaintenanceMenu::UserSettingsEntry) {
        runUserSettings(menu);
    } else if (index == MaintenanceMenu::AccessPointEntry) {
        kiro::setup::SetupServices services = setupServices();
        AccessPointDialog dialog(services, menu);
        dialog.exec();
    } else if (index == MaintenanceMenu::SoundModemEntry) {
        openSoundModemDialog(menu, *this);
    } else if (index == MaintenanceMenu::CompactEntry && m_db) {
        CompactionWindowView view(menu);
        kiro::db::CompactDatabase(*m_db, m_prompt, view);
    } else if (index == MaintenanceMenu::VersionListEntry && m_db) {
        showVersionUpList(menu);
    } else if (index == MaintenanceMenu::VersionUpEntry && versionUp()) {
        versionUp()->RunVersionUpJob();
    }
}

void ProgramServices::sessionTick()
{
    // The host session counts its time-outs on its own 500 ms timer.
}

void ProgramServices::deleteProgressWindow()
{
    if (m_session)
        m_session->abortWaits();
    // A transfer still running reports to the session: let it end first.
    if (m_transfer)
        m_transfer->join();
    if (m_port)
        m_port->setReceiveHandler(nullptr);
    m_versionUp.reset();
    m_session.reset();
    m_transfer.reset();
    m_progress.reset();
}

void ProgramServices::closeDatabase()
{
    if (m_db)
        m_db->close();
}

void ProgramServices::closeWorkspace()
{
    m_versionUp.reset();
    if (m_db)
        m_db->shutDown();
    m_db.reset();
}

void ProgramServices::shutdownPort()
{
    if (m_port)
        m_port->Shutdown();
    m_port.reset();
}

void ProgramServices::closeMusic()
{
    if (m_music)
        m_music->close();
}

} // namespace kiro::client
