#pragma once

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

// One row of a downloaded-songs list.
struct DownloadedRow {
    std::string productCode;
    std::string name;
    std::string singer;
    std::string fileName;
    int linkSign = 0;
    std::string linkProduct;
    int icon = 0; // row icon: the downloaded flag, for course 50 flag + 2 x link sign + 1
};

// A set about to be deleted as a whole: its code and its downloaded songs,
// for the confirmation that lists them.
struct SetDeletion {
    int course = 0;
    std::string setCode;
    std::vector<DownloadedRow> songs;
};

// The list behind the downloaded-songs dialog: the course's downloaded
// products, and deleting them from the disk. A set is always deleted as a
// whole, together with all its downloaded songs, whichever row was chosen.
class DownloadedList {
public:
    static constexpr const char* kSetDeleteText =
        "この商品はセット商品です。\nセット内容すべてのデータが\n完全に削除されます。";
    static constexpr const char* kLinkFilterCaptions[3] = {"全部表示", "親だけ", "子だけ"};

    // `confirmSet` shows the set's songs and returns true for "削除".
    DownloadedList(kiro::db::CatalogueDb& db, int course, std::filesystem::path installFolder,
        kiro::app::Prompt& prompt, std::function<bool(const SetDeletion&)> confirmSet);

    int course() const { return m_course; }
    // Course 50 only: 全部表示 -> 親だけ -> 子だけ -> 全部表示; the list is filled again.
    int linkFilter() const { return m_linkFilter; }
    void cycleLinkFilter();

    // Reads the list again from the catalogue.
    void fill();
    const std::vector<DownloadedRow>& rows() const { return m_rows; }

    // The "削除" button for row `selected` (-1 when none). True when
    // something was deleted (the list is then filled again).
    bool deleteRow(int selected);

    // The downloaded songs of set `setCode`, as the set confirmation lists them.
    std::vector<DownloadedRow> downloadedSetSongs(const std::string& setCode);

private:
    void deleteSet(const std::string& setCode);
    void deleteOne(const std::string& productCode, const std::string& fileName);

    kiro::db::CatalogueDb& m_db;
    int m_course;
    std::filesystem::path m_installFolder;
    kiro::app::Prompt& m_prompt;
    std::function<bool(const SetDeletion&)> m_confirmSet;
    int m_linkFilter = 0;
    std::vector<DownloadedRow> m_rows;
};

} // namespace kiro::catalogue
