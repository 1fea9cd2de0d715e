#include "client/services/VersionUpList.h"

#include "client/db/tests/TestDb.h"

#include <gtest/gtest.h>

using namespace kiro::services;

namespace {

void addUpdate(kiro::db::CatalogueDb& db, const std::string& code, const std::string& date, const char* flag,
               int downloaded, int applied)
{
    db.execute("INSERT INTO アップデートテーブル (アップデートコード, アップデートタイプ, モジュールコード, リリース日付, "
               "非公開フラグ, バージョンアップ内容, バージョン情報, ダウンロード済みフラグ, アップデートフラグ) VALUES (\"" +
               code + "\", \"D\", \"01\", #" + date + "#, \"" + flag + "\", \"曲 " + code + "\", \"v" + code + "\", " +
               std::to_string(downloaded) + ", " + std::to_string(applied) + ");");
}

} // namespace

TEST(VersionUpList, StatesNewestFirstAndOnlyShownRows)
{
    kiro::db::test::OpenCatalogue c;
    addUpdate(c.db, "0036", "09/01/1996", "E", 1, 1);
    addUpdate(c.db, "0037", "10/01/1996", "E", 1, 0);
    addUpdate(c.db, "0038", "11/01/1996", "E", 0, 0);
    addUpdate(c.db, "0039", "12/01/1996", "H", 0, 0);
    const VersionUpListing listing = loadVersionUpList(c.db);
    ASSERT_EQ(listing.rows.size(), 3u);
    EXPECT_EQ(listing.rows[0].program, "曲 0038");
    EXPECT_EQ(listing.rows[0].state, "未処理");
    EXPECT_EQ(listing.rows[0].image, 0);
    EXPECT_EQ(listing.rows[1].state, "次回から有効");
    EXPECT_EQ(listing.rows[1].version, "v0037");
    EXPECT_EQ(listing.rows[2].state, "更新済み");
    EXPECT_EQ(listing.rows[2].image, 1);
    EXPECT_TRUE(listing.anyUnreceived);
}

TEST(VersionUpList, NothingToFetchWhenEveryShownRowArrived)
{
    kiro::db::test::OpenCatalogue c;
    addUpdate(c.db, "0036", "09/01/1996", "E", 1, 0);
    // A hidden row still to receive does not ask for a fetch.
    addUpdate(c.db, "0037", "09/02/1996", "H", 0, 0);
    EXPECT_FALSE(loadVersionUpList(c.db).anyUnreceived);
    EXPECT_EQ(versionUpStateText(1, 2), "更新済み");
}
