#include "client/ProgramServices.h"

#include "client/CompactionWindowView.h"
#include "client/app/Prompt.h"
#include "client/app/Settings.h"
#include "client/catalogue/SongBookActions.h"
#include "client/db/CatalogueDb.h"
#include "client/db/Compaction.h"
#include "client/db/MailNumbers.h"
#include "client/db/PendingUpdates.h"
#include "client/online/BPlusTransferStarter.h"
#include "client/online/CommPort.h"
#include "client/online/HostSession.h"
#include "client/online/PortRegistry.h"
#include "client/online/SessionSettingsFrom.h"
#include "client/ui/GroupListDialog.h"
#include "client/ui/MaintenanceMenu.h"
#include "client/ui/progress/ProgressWindow.h"

#include <cstdio>

namespace kiro::client {

ProgramServices::ProgramServices(kiro::app::ClientSettings& settings, kiro::app::Prompt& prompt,
    std::filesystem::path windowsDir)
    : m_settings(settings)
    , m_prompt(prompt)
    , m_windowsDir(std::move(windowsDir))
    , m_songBookActions(std::make_unique<kiro::catalogue::SongBookActions>())
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
    m_session->setSettings(kiro::online::sessionSettingsFrom(m_settings, *kiro::online::systemRegistry()));
    m_progress->setPressHandler([session = m_session.get()]() { session->pressButton(); });
    // Transfer steps hand the line to B Plus, sized for the road of gate 1.
    kiro::online::BPlusTransferOptions transferOptions;
    transferOptions.speedCode = kiro::online::BPlusTransferStarter::speedCodeFor(m_settings.RoadType);
    m_transfer = std::make_unique<kiro::online::BPlusTransferStarter>(*m_port, transferOptions);
    m_session->setTransferStarter(m_transfer.get());
    m_port->setReceiveHandler(&m_session->receiveHandler());
}

bool ProgramServices::openDatabase()
{
    m_db = std::make_unique<kiro::db::CatalogueDb>();
    return m_db->open(std::filesystem::path(m_folders.systemFolder) / std::string(kiro::db::CatalogueDb::kFileName));
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

void ProgramServices::runUserSettings(QWidget*)
{
    // Seam: the user settings dialog opens here once the setup dialogs exist.
    m_prompt.message("通信設定の画面は、このバージョンにはまだありません。\n"
                     "kiro-settings で KIROL.INI を設定してください。");
}

void ProgramServices::saveSettings()
{
    const std::string problem = kiro::app::SaveSettings(m_settings, m_windowsDir);
    if (!problem.empty())
        std::fprintf(stderr, "kiro: %s\n", problem.c_str());
}

void ProgramServices::playTune(int)
{
    // Seam: background music (BgmOff is forced on at every start, so nothing
    // would play before the setup dialogs can turn it on).
}

void ProgramServices::stopMusic()
{
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
    // The setup dialogs (0-2) and the version-up screens (4, 5) join later.
    return index == MaintenanceMenu::CompactEntry && m_db && m_db->isOpen();
}

void ProgramServices::runMaintenanceEntry(int index, QWidget* menu)
{
    if (index == MaintenanceMenu::CompactEntry && m_db) {
        CompactionWindowView view(menu);
        kiro::db::CompactDatabase(*m_db, m_prompt, view);
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
}

} // namespace kiro::client
