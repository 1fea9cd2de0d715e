#pragma once

#include "client/db/Recordset.h"

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kiro::app {
class Prompt;
}
namespace kiro::db {
class CatalogueDb;
}

namespace kiro::catalogue {

struct ReservationListRow {
    std::string name;
    std::string singer;
    std::string state; // これっきり予約 / 歌い込み予約; empty for course 50
    int icon = 0;
};

// The reservation list dialog's logic: the course's reservations under the
// link filter, and cancelling one with the rules for sets and one-time songs.
class ReservationList {
public:
    // Asked before a whole set is cancelled: true for "取消".
    using ConfirmSet = std::function<bool(const std::string& setCode)>;

    ReservationList(kiro::db::CatalogueDb& db, int course, kiro::app::Prompt& prompt,
        std::filesystem::path installFolder);

    int course() const { return m_course; }
    int linkFilter() const { return m_linkFilter; }
    const char* cycleLinkFilter();

    std::vector<std::string> headers() const;
    std::vector<int> weights() const;

    // Queries the list again. Throws DbError.
    const std::vector<ReservationListRow>& fill();
    const std::vector<ReservationListRow>& rows() const { return m_rows; }

    // "取消" for list row `row` (-1: none selected).
    void cancel(int row, const ConfirmSet& confirmSet);

    int cancelledNotDownloaded() const { return m_cancelledNotDownloaded; }
    int cancelledOneTime() const { return m_cancelledOneTime; }

private:
    kiro::db::CatalogueDb& m_db;
    int m_course;
    kiro::app::Prompt& m_prompt;
    std::filesystem::path m_installFolder;
    kiro::db::Recordset m_list;
    std::vector<ReservationListRow> m_rows;
    int m_linkFilter = 0;
    int m_cancelledNotDownloaded = 0;
    int m_cancelledOneTime = 0;
};

} // namespace kiro::catalogue
