#include "client/services/VersionUpList.h"

#include "client/db/CatalogueDb.h"
#include "client/db/Recordset.h"
#include "client/db/Statements.h"

namespace kiro::services {

namespace {

long flagValue(db::Recordset& rs, const char* column)
{
    const std::string text = db::FieldToText(rs.fieldValue(column));
    try {
        return std::stol(text);
    } catch (...) {
        return 0;
    }
}

} // namespace

std::string versionUpStateText(long downloaded, long applied)
{
    if (downloaded == 0)
        return "未処理";
    // A flag outside 0 and 1 (a hand-edited row) reads as applied rather
    // than choosing past the end of the texts.
    return applied == 0 ? "次回から有効" : "更新済み";
}

VersionUpListing loadVersionUpList(db::CatalogueDb& db)
{
    VersionUpListing listing;
    db::Recordset rs(db);
    rs.open(db::statements::kSelectUpdateList, db::Recordset::kReadOnly);
    for (; !rs.isEOF(); rs.moveNext()) {
        VersionUpListRow row;
        row.program = db::FieldToText(rs.fieldValue("バージョンアップ内容"));
        row.version = db::FieldToText(rs.fieldValue("バージョン情報"));
        const long downloaded = flagValue(rs, "ダウンロード済みフラグ");
        row.state = versionUpStateText(downloaded, flagValue(rs, "アップデートフラグ"));
        row.image = downloaded == 0 ? 0 : 1;
        listing.anyUnreceived = listing.anyUnreceived || downloaded == 0;
        listing.rows.push_back(std::move(row));
    }
    return listing;
}

} // namespace kiro::services
