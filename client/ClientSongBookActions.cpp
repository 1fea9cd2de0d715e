#include "client/ClientSongBookActions.h"

#include "client/KaraokeScreenPlayback.h"
#include "client/ProgramServices.h"
#include "client/SetupDialogs.h"
#include "client/app/Prompt.h"
#include "client/catalogue/BulkReceive.h"
#include "client/catalogue/ReceiveButton.h"
#include "client/catalogue/ReservationBook.h"
#include "client/catalogue/ReservationPlayer.h"
#include "client/db/CatalogueDb.h"
#include "client/db/DbError.h"
#include "client/online/HostSession.h"
#include "client/ui/DownloadedListDialog.h"
#include "client/ui/KaraokeScreen.h"
#include "client/ui/progress/ProgressWindow.h"
#include "common/MessageBoxes.h"
#include "common/qt/QtMessageBoxes.h"

#include <QDialog>

#include <iostream>

namespace kiro::client {

using kiro::catalogue::ReservationBook;

ClientSongBookActions::ClientSongBookActions(ProgramServices& services, kiro::app::ClientSettings& settings,
    kiro::app::Prompt& prompt)
    : m_services(services)
    , m_settings(settings)
    , m_prompt(prompt)
{
}

ClientSongBookActions::~ClientSongBookActions() = default;

void ClientSongBookActions::setMessageBoxes(std::unique_ptr<kiro::MessageBoxes> boxes)
{
    m_boxes = std::move(boxes);
}

kiro::MessageBoxes& ClientSongBookActions::messageBoxes()
{
    if (!m_boxes) {
        if (kiro::displayAvailable())
            m_boxes = std::make_unique<kiro::QtMessageBoxes>();
        else
            m_boxes = std::make_unique<kiro::ConsoleMessageBoxes>(std::cerr, std::cin);
    }
    return *m_boxes;
}

bool ClientSongBookActions::databaseOpen() const
{
    return m_services.database() && m_services.database()->isOpen();
}

int ClientSongBookActions::bulkReceive(ReservationBook& book, QWidget*)
{
    kiro::online::HostSession* session = m_services.session();
    if (!databaseOpen() || !session) {
        m_prompt.message("通信の準備ができていないため、\n受信できません。");
        return kiro::catalogue::SongBookActions::kNotReceived;
    }
    const kiro::app::AppFolders& folders = m_services.folders();
    kiro::catalogue::BulkReceive job(*m_services.database(), *session, m_settings, folders.installFolder,
        folders.currentYear2);
    if (kiro::ui::ProgressWindow* progress = m_services.progressWindow())
        job.setStatusSink([progress](const std::string& text) { progress->setLine(kiro::online::ProgressLine::Status, text); });
    job.setSettingsSaver([this] { m_services.saveSettings(); });
    const kiro::catalogue::ReceiveButtonResult result =
        kiro::catalogue::PlayButtonReceive(job, m_prompt, *m_services.database(), book.course());
    try {
        // Not-ready products and a declined course-50 question removed rows.
        book.reservations().requery();
    } catch (const kiro::db::DbError&) {
    }
    return result.error ? kiro::catalogue::SongBookActions::kNotReceived : result.oneTimeDownloaded;
}

void ClientSongBookActions::playReservations(ReservationBook& book, QWidget* screen)
{
    if (m_player || !databaseOpen())
        return;
    auto* karaoke = qobject_cast<KaraokeScreen*>(screen);
    KaraokeScreenPlayback view(screen, messageBoxes(), [&book, karaoke](int count) {
        // The screen's product list shows the flags again and its count of
        // one-time songs to clean up drops.
        if (karaoke)
            book.afterReservationList(0, count, karaoke->browser());
    });
    kiro::catalogue::ReservationPlayer player(*m_services.database(), book.course(), m_settings,
        m_services.folders(), m_prompt, m_services.music(), view);
    struct Running {
        kiro::catalogue::ReservationPlayer*& slot;
        ~Running() { slot = nullptr; }
    } running{m_player};
    m_player = &player;
    player.PlayReservations();
    try {
        // Played rows left the table through the player's own record set.
        book.reservations().requery();
    } catch (const kiro::db::DbError&) {
    }
}

bool ClientSongBookActions::playerRunning() const
{
    return m_player && m_player->playerRunning();
}

bool ClientSongBookActions::downloadedListAvailable() const
{
    return databaseOpen();
}

void ClientSongBookActions::openDownloadedList(int course, QWidget* parent)
{
    if (!databaseOpen())
        return;
    DownloadedListDialog dialog(*m_services.database(), course, m_services.installFolder(),
        m_services.systemFolder(), m_prompt, parent);
    dialog.exec();
}

bool ClientSongBookActions::soundModemTestAvailable() const
{
    return true;
}

void ClientSongBookActions::runSoundModemTest(QWidget* parent)
{
    if (openSoundModemDialog(parent, m_services) == QDialog::Accepted)
        m_services.saveSettings();
}

bool ClientSongBookActions::pictureSettingsAvailable() const
{
    return true;
}

void ClientSongBookActions::openPictureSettings(QWidget* parent)
{
    if (openPictureSettingsDialog(parent, m_services) == QDialog::Accepted)
        m_services.saveSettings();
}

} // namespace kiro::client
