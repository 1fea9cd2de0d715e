#pragma once
// The rows of the version-up list (the maintenance menu's list of known
// updates), read without any window so that tests and tools can use them.

#include <string>
#include <vector>

namespace kiro::db {
class CatalogueDb;
}

namespace kiro::services {

struct VersionUpListRow {
    std::string program; // バージョンアップ内容
    std::string version; // バージョン情報
    std::string state;   // "未処理", "次回から有効" or "更新済み"
    int image = 0;       // ダウンロード済みフラグ: which small image to show
};

struct VersionUpListing {
    std::vector<VersionUpListRow> rows;
    // A listed update is not yet received: the next connection should fetch.
    bool anyUnreceived = false;
};

// The updates shown to the user ("E" rows), newest release first.
VersionUpListing loadVersionUpList(db::CatalogueDb& db);

// "未処理" before the download, then "次回から有効" until applied, then "更新済み".
std::string versionUpStateText(long downloaded, long applied);

} // namespace kiro::services
