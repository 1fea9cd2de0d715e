#include "client/db/DbError.h"
#include "client/db/Recordset.h"
#include "client/db/StatementFormat.h"
#include "client/db/Statements.h"
#include "client/db/tests/TestDb.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace kiro::db;
namespace st = kiro::db::statements;
using kiro::db::test::OpenCatalogue;

namespace {

// A few rows in every table so the statements have something to find.
void seed(CatalogueDb& db)
{
    const char* rows[] = {
        "INSERT INTO 商品マスタ (コースコード, 商品コード, 商品名, 商品名読み, 商品名読みコード, 歌手名, 歌手名読み, 歌手名読みコード, "
        "ジャンルコード, ダウンロード済みフラグ, ファイル名, リンクサイン, データアドレス１, データアドレス２, 単価１, 単価２) VALUES "
        "(\"010\", \"K0001\", \"海の歌\", \"ｳﾐﾉｳﾀ\", \"00\", \"青山\", \"ｱｵﾔﾏ\", \"00\", \"001\", 1, \"karaoke\\K0001.KRD\", 0, "
        "\"12,345\", \"3,12\", 300, 200)",
        "INSERT INTO 商品マスタ (コースコード, 商品コード, 商品名, 商品名読み, 商品名読みコード, リンクサイン, ダウンロード済みフラグ) "
        "VALUES (\"050\", \"S1\", \"曲集\", \"ｷｮｸｼｭｳ\", \"01\", 1, 0)",
        "INSERT INTO 商品マスタ (コースコード, 商品コード, 商品名, 商品名読み, リンクサイン, リンク先コース, リンク先商品, "
        "ダウンロード済みフラグ, ファイル名) VALUES (\"050\", \"S1-1\", \"一曲目\", \"ｲｯｷｮｸﾒ\", 2, \"050\", \"S1\", 1, \"S11.KRD\")",
        "INSERT INTO 予約テーブル (指定日時, コースコード, 商品コード, 順位, 予約フラグ) VALUES (#12/01/98 10:00:00#, '050', 'S1-1', 1, 0)",
        "INSERT INTO 変動グループ名称テーブル VALUES ('010', '01', 'ヒット', 0)",
        "INSERT INTO 変動テーブル VALUES ('010', '01', 1, 'K0001')",
        "INSERT INTO ジャンルマスタ VALUES ('010', '001', '演歌')",
        "INSERT INTO アクセスポイントテーブル VALUES ('東京', '03', '1234-5678', 'ﾄｳｷｮｳ', 10)",
        "INSERT INTO ロードタイプマスタ VALUES (10, 'NIFTY-Serve', 1)",
        "INSERT INTO アクセスポイント分類テーブル VALUES (1)",
        "INSERT INTO アップデートテーブル (アップデートコード, アップデートタイプ, モジュールコード, 発言番号, リリース日付, 非公開フラグ, "
        "ダウンロード済みフラグ, アップデートフラグ) VALUES ('0040', 'D', 'DB01', '15', #1998/03/01#, 'E', 1, 0)",
        "INSERT INTO アップデートアドレステーブル VALUES ('0040', 'D', 'DB01', '3,12', 'UPD.LZH', '%KIRO%')",
        "INSERT INTO メールテーブル VALUES ('W9810002', 0, 0, 'W9810002.TXT')",
        "INSERT INTO メールテーブル VALUES ('R9810005', 1, 1, 'R9810005.TXT')",
        "INSERT INTO [メールテーブル（送信先リスト）] VALUES ('W9810002', 'QRT04521')",
        "INSERT INTO アドレスブック ([NIFTY-ID], アドレスタイプ) VALUES ('QRT04521', 0)",
    };
    for (const char* sql : rows)
        db.execute(sql);
}

// Runs a filled statement the way the client does: SELECTs as dynasets,
// the rest executed. Returns the row count (SELECT) or changed rows.
long run(CatalogueDb& db, const std::string& sql)
{
    if (sql.rfind("SELECT", 0) == 0 || sql.rfind("Select", 0) == 0) {
        Recordset rs(db);
        rs.open(sql);
        if (!rs.isEOF())
            rs.moveLast();
        return rs.recordCount();
    }
    return static_cast<long>(db.execute(sql));
}

} // namespace

TEST(StatementFormat, FillsConversionsAndEscapesQuotesInLiterals)
{
    EXPECT_EQ(fillStatement("a=\"%03d\" b=\"%s\" c='%c' d=%d %%", {50, "x\"y'z", 'D', 7}), "a=\"050\" b=\"x\"\"y'z\" c='D' d=7 %");
    EXPECT_EQ(fillStatement("x='%s' %s", {"it's", "AND y = 1"}), "x='it''s' AND y = 1");
    EXPECT_THROW(fillStatement("%s %s", {"a"}), std::invalid_argument);
    EXPECT_THROW(fillStatement("%s", {"a", "b"}), std::invalid_argument);
    EXPECT_THROW(fillStatement("%d", {"a"}), std::invalid_argument);
    EXPECT_EQ(equalsCriterion("商品コード", "A\"B"), "商品コード=\"A\"\"B\"");
    EXPECT_EQ(startsWithCriterion("商品名読み", "ﾛｯｸ'n"), "商品名読み like 'ﾛｯｸ''n*'");
}

TEST(Statements, EveryStatementRunsAgainstTheSchema)
{
    OpenCatalogue c;
    seed(c.db);
    struct Case {
        const char* name;
        std::string sql;
        long expected; // rows selected or changed; -1 = not checked
    };
    const Case cases[] = {
        {"ReadMail", st::kSelectReadMailNumbers, 1},
        {"WriteMail", st::kSelectWriteMailNumbers, 1},
        {"AccessPoints", st::kSelectAccessPoints, 1},
        {"Pending", st::kSelectPendingUpdates, 1},
        {"FilesToApply", fillStatement(st::kSelectUpdateFilesToApply, {"0040", 'D', "DB01"}), 1},
        {"GroupList", fillStatement(st::kSelectGroupList, {10}), 1},
        {"GroupCombo", st::groupComboStatement(10), 1},
        {"GenreCombo", st::genreComboStatement(10), 1},
        {"SetContents", fillStatement(st::kSelectSetContents, {50, "S1"}), 1},
        {"Reservations", fillStatement(st::kSelectReservations, {50}), 1},
        {"SetProduct", fillStatement(st::kSelectSetProduct, {50, "S1"}), 1},
        {"SetSongs", fillStatement(st::kSelectSetSongsForReserve, {50, "S1"}), 1},
        {"SetChildren", fillStatement(st::kSelectSetChildren, {50, "S1"}), 1},
        {"ResList0", fillStatement(st::kSelectReservationList, {50, st::kLinkFilterTexts[0]}), 1},
        {"ResList1", fillStatement(st::kSelectReservationList, {50, st::kLinkFilterTexts[1]}), 0},
        {"ResList2", fillStatement(st::kSelectReservationList, {50, st::kLinkFilterTexts[2]}), 1},
        {"Downloaded", fillStatement(st::kSelectDownloadedProducts, {10, st::kLinkFilterTexts[0]}), 1},
        {"Downloaded2", fillStatement(st::kSelectDownloadedProducts, {50, st::kLinkFilterTexts[2]}), 1},
        {"DlSetSongs", fillStatement(st::kSelectDownloadedSetSongs, {50, "S1"}), 1},
        {"DlSetFiles", fillStatement(st::kSelectDownloadedSetSongFiles, {50, "S1"}), 1},
        {"SetOwnRow", fillStatement(st::kSelectSetOwnRow, {50, "S1"}), 1},
        {"Unreceived", st::kSelectUnreceivedUpdates, 0},
        {"AllUpdates", st::kSelectAllUpdates, 1},
        {"AllAddresses", st::kSelectAllUpdateAddresses, 1},
        {"ToReceive", st::kSelectUpdatesToReceive, 0},
        {"FilesToReceive", fillStatement(st::kSelectUpdateFilesToReceive, {"0040", 'D', "DB01"}), 1},
        {"UpdateList", st::kSelectUpdateList, 1},
        {"LinkTargets", st::kSelectDownloadedLinkTargets, 1},
        {"Group mode 0", st::catalogueQueryStatement({10, 0, "01", "00", 0, 0, 0, 0, 0}), 1},
        {"Tab あ", st::catalogueQueryStatement({10, 1, "", "00", 0, 0, 0, 0, 0}), 1},
        {"Tab あ genre", st::catalogueQueryStatement({10, 1, "", "00", 0, 0, 1, 1, 0}), 1},
        {"Tab あ singer", st::catalogueQueryStatement({10, 1, "", "00", 0, 1, 0, 0, 0}), 1},
        {"Tab Ａ", st::catalogueQueryStatement({10, 1, "", "50", 1, 0, 0, 0, 0}), 0},
        {"Course 50 sets", st::catalogueQueryStatement({50, 1, "", "01", 0, 0, 0, 0, 1}), 1},
        {"Course 50 songs", st::catalogueQueryStatement({50, 1, "", "01", 0, 0, 0, 0, 2}), 0},
        {"Course 50 group", st::catalogueQueryStatement({50, 0, "01", "00", 0, 0, 0, 0, 2}), 0},
        {"MarkLink", fillStatement(st::kMarkLinkTargetDownloaded, {"S1"}), 1},
        {"Reset", st::kResetDownloadedFlags, 3},
        {"MarkFile", fillStatement(st::kMarkDownloadedByFile, {"S11.KRD"}), 1},
        {"DeleteUpdateAddresses", fillStatement(st::kDeleteUpdateAddresses, {"0040", "D", "DB01"}), 1},
        {"DeleteSetReservations", fillStatement(st::kDeleteSetReservations, {50, "S1"}), 1},
        {"DeleteProductReservation", fillStatement(st::kDeleteProductReservation, {50, "S1"}), 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        try {
            EXPECT_EQ(run(c.db, k.sql), k.expected) << k.sql;
        } catch (const DbError& e) {
            ADD_FAILURE() << e.code() << " " << e.what() << "\n" << k.sql;
        }
    }
}

TEST(Statements, QuotesInFilledTextCannotChangeTheStatement)
{
    OpenCatalogue c;
    seed(c.db);
    const char* hostile[] = {"K0001\") OR (\"1\"=\"1", "K0001' OR '1'='1", "a\"b'c", "\"\"", "'"};
    for (const char* code : hostile) {
        SCOPED_TRACE(code);
        EXPECT_EQ(run(c.db, fillStatement(st::kSelectSetProduct, {10, code})), 0);
        EXPECT_EQ(run(c.db, fillStatement(st::kDeleteProductReservation, {50, code})), 0);
        EXPECT_EQ(run(c.db, fillStatement(st::kMarkDownloadedByFile, {code})), 0);
        st::CatalogueQuery q{10, 1, "", code, 0, 0, 0, 0, 0};
        EXPECT_EQ(run(c.db, st::catalogueQueryStatement(q)), 0);
    }
    // A code that really holds quotes is found by its own text.
    c.db.execute(fillStatement("INSERT INTO 商品マスタ (コースコード, 商品コード) VALUES (\"010\", \"%s\")", {"a\"b'c"}));
    EXPECT_EQ(run(c.db, fillStatement(st::kSelectSetProduct, {10, "a\"b'c"})), 1);
    Recordset rs(c.db);
    rs.open(fillStatement(st::kSelectSetProduct, {10, "K0001"}));
    EXPECT_FALSE(rs.findFirst(equalsCriterion("商品コード", "K0001\" OR \"1\"=\"1")));
    EXPECT_TRUE(rs.findFirst(equalsCriterion("商品コード", "K0001")));
    EXPECT_FALSE(rs.findFirst(startsWithCriterion("商品名", "海'\"")));
    // Pattern characters typed by the user match only themselves.
    c.db.execute("INSERT INTO 商品マスタ (コースコード, 商品コード, 商品名) VALUES (\"010\", \"Q1\", \"WHY? [1]\")");
    Recordset titles(c.db);
    titles.open("SELECT 商品名 FROM 商品マスタ WHERE 商品名 IS NOT NULL");
    EXPECT_TRUE(titles.findFirst(startsWithCriterion("商品名", "WHY? [1")));
    EXPECT_FALSE(titles.findFirst(startsWithCriterion("商品名", "W*")));
    EXPECT_FALSE(titles.findFirst(startsWithCriterion("商品名", "WH?")));
}

TEST(Statements, TextComparesRegardlessOfCaseAsTheJetEngineDid)
{
    OpenCatalogue c;
    seed(c.db);
    // The consistency check marks songs by the base names of the files it
    // finds; the archive library writes those upper-cased.
    c.db.execute("INSERT INTO 商品マスタ (コースコード, 商品コード, ファイル名) VALUES ('010', 'k0002', 'kr00002')");
    EXPECT_EQ(run(c.db, fillStatement(st::kMarkDownloadedByFile, {"KR00002"})), 1);
    EXPECT_EQ(run(c.db, fillStatement(st::kSelectSetProduct, {10, "K0002"})), 1);
    // Tables an update script creates or extends behave the same.
    c.db.execute("CREATE TABLE 追加 (名前 TEXT(10) NOT NULL, 備考 MEMO, 数 LONG)");
    c.db.execute("ALTER TABLE 追加 ADD COLUMN 記号 TEXT(5)");
    c.db.execute("INSERT INTO 追加 VALUES ('Abc', 'Memo', 1, 'x')");
    EXPECT_EQ(run(c.db, "SELECT * FROM 追加 WHERE 名前 = \"ABC\" AND 備考 = 'MEMO' AND 記号 = 'X'"), 1);
}
