#pragma once
// The version-up job: reads the update announcements in the forum's
// version-up room, records the new ones, downloads the archives of updates
// not yet received (applied at the next start) and reports to the user.

#include "client/services/ForumScripts.h"

#include <functional>
#include <string>
#include <vector>

namespace kiro::app {
class Prompt;
struct ClientSettings;
}
namespace kiro::db {
class CatalogueDb;
}
namespace kiro::online {
class HostSession;
class ProgressView;
}

namespace kiro::services {

struct VersionUpContext {
    db::CatalogueDb& db;
    online::HostSession& session;
    app::ClientSettings& settings; // Forum, VerUpRoomNo, DBVupStartCode, NeedGetInfo
    app::Prompt& prompt;
    std::string installFolder;     // UTF-8, ends in "/"
    std::string currentYear4;      // "1996"
    online::ProgressView* view = nullptr;   // status lines, when shown
    std::function<void()> saveSettings;     // after NeedGetInfo changed
};

class VersionUp {
public:
    static constexpr int kTimeOutTicks = 30;

    explicit VersionUp(VersionUpContext context);

    // The maintenance menu's job: 0 done (or declined), 1 failed or refused.
    int RunVersionUpJob();
    // Number of new updates recorded, or -1.
    int FetchUpdateList();
    // Number of updates received, or -1.
    int DownloadPendingUpdates();
    // 0 when in the room, else the failing script's result.
    int EnterForumRoom(int room, const std::string& status);

    // What this object's runs recorded ("D0036 01 新曲追加") and received
    // ("D003601.VUM"), for logs and the command-line tool.
    const std::vector<std::string>& recordedUpdates() const { return m_recorded; }
    const std::vector<std::string>& receivedFiles() const { return m_received; }

private:
    int run(const online::ScriptStep* script);
    void showStatus(const std::string& text);
    void deleteUnreceived();
    int recordNewUpdates(const std::string& listText);
    void removePartialFile(const std::string& fileName);

    VersionUpContext m_context;
    ForumScripts m_scripts;
    std::vector<std::string> m_recorded;
    std::vector<std::string> m_received;
};

} // namespace kiro::services
