#pragma once

#include "client/app/ClientSettings.h"
#include "client/catalogue/KaraokeScripts.h"

#include <filesystem>
#include <functional>
#include <string>

namespace kiro::db {
class CatalogueDb;
class Recordset;
}
namespace kiro::online {
class HostSession;
}

namespace kiro::catalogue {

struct BulkReceiveOutcome {
    bool error = false;        // a run, an extraction, the progress step or a catalogue row failed
    int downloaded = 0;        // products brought to the disk
    int cancelled = 0;         // products the host reported not ready
    int oneTimeDownloaded = 0; // of the downloaded, one-time reservations
};

// The bulk receive of a course's reserved products: one connection walks
// the reservation list in rank order, downloads each product that is not on
// the disk (a keeping reservation's header file first) into the mail
// folder, extracts it into the karaoke folder and marks it downloaded;
// products the host reports not ready lose their reservation. Then the
// user-information mail goes out while it has not been sent, and the job
// logs out. Main thread only.
class BulkReceive {
public:
    BulkReceive(db::CatalogueDb &db, online::HostSession &session, app::ClientSettings &settings,
                std::filesystem::path installFolder, std::string year2);

    // Lines about rows the job could not use (damaged data address or file
    // name); the screen shows them on the progress window's status line.
    void setStatusSink(std::function<void(const std::string &)> sink) { m_status = std::move(sink); }
    // Called after settings changed (MailToUserInfo, WriteMailNo).
    void setSettingsSaver(std::function<void()> save) { m_save = std::move(save); }
    // The karaoke screen's product list, queried again after downloads.
    void setListRefresh(std::function<void()> refresh) { m_refresh = std::move(refresh); }

    BulkReceiveOutcome bulkReceive(int course);

private:
    enum class Fetch { Done, NotReady, Failed, Damaged };

    Fetch fetch(const std::string &downloadName, const std::string &address);
    bool extract(const std::string &downloadName);
    void report(const std::string &text);

    db::CatalogueDb &m_db;
    online::HostSession &m_session;
    app::ClientSettings &m_settings;
    std::filesystem::path m_install;
    std::filesystem::path m_mail;
    std::filesystem::path m_karaoke;
    std::string m_year2;
    KaraokeScripts m_scripts;
    std::function<void(const std::string &)> m_status;
    std::function<void()> m_save;
    std::function<void()> m_refresh;
};

} // namespace kiro::catalogue
