#include "client/db/DbError.h"
#include "client/db/Recordset.h"
#include "client/db/tests/TestDb.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace kiro::db;
using kiro::db::test::OpenCatalogue;
using kiro::db::test::TempDir;

namespace {

std::string readAll(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

TEST(CatalogueDb, PasswordProtectsTheFile)
{
    TempDir dir;
    const auto file = dir / "KIRODB.MDB";
    CatalogueDb::createFile(file);
    {
        CatalogueDb db;
        ASSERT_TRUE(db.open(file));
        db.execute("INSERT INTO 商品マスタ (コースコード, 商品コード) VALUES (\"010\", \"A1\");");
        EXPECT_EQ(db.close(), 0);
        EXPECT_EQ(db.close(), 1);
    }
    const std::string before = readAll(file);
    EXPECT_EQ(before.find("SQLite format 3"), std::string::npos) << "the file must be encrypted";

    CatalogueDb wrong("not the password");
    EXPECT_FALSE(wrong.open(file));
    EXPECT_FALSE(wrong.isOpen());
    EXPECT_THROW(wrong.openOrThrow(file), DbError);
    EXPECT_EQ(readAll(file), before) << "a refused open must not touch the file";

    CatalogueDb right;
    ASSERT_TRUE(right.open(file));
    EXPECT_EQ(right.reopen(), 0);
    Recordset rs(right);
    rs.open("SELECT 商品コード FROM 商品マスタ;");
    EXPECT_EQ(FieldToText(rs.fieldValue("商品コード")), "A1");
}

TEST(CatalogueDb, MissingEmptyAndForeignFilesFailToOpen)
{
    TempDir dir;
    CatalogueDb db;
    EXPECT_FALSE(db.open(dir / "none.mdb"));
    EXPECT_FALSE(std::filesystem::exists(dir / "none.mdb"));
    std::ofstream(dir / "empty.mdb").close();
    EXPECT_FALSE(db.open(dir / "empty.mdb"));
    EXPECT_EQ(std::filesystem::file_size(dir / "empty.mdb"), 0u);
    std::ofstream(dir / "text.mdb") << std::string(4096, 'x');
    EXPECT_FALSE(db.open(dir / "text.mdb"));
    EXPECT_EQ(readAll(dir / "text.mdb"), std::string(4096, 'x'));
    EXPECT_EQ(db.reopen(), 1);
}

TEST(CatalogueDb, ExecuteCountsRowsAndRefusesSelect)
{
    OpenCatalogue c;
    EXPECT_EQ(c.db.execute("INSERT INTO 予約テーブル (コースコード, 商品コード, 順位) VALUES ('010', 'A', 1)"), 1);
    EXPECT_EQ(c.db.execute("INSERT INTO 予約テーブル (コースコード, 商品コード, 順位) VALUES ('010', 'B', 2)"), 1);
    EXPECT_EQ(c.db.execute("UPDATE 予約テーブル SET 予約テーブル.予約フラグ = 1 WHERE 順位 >= 1;"), 2);
    EXPECT_THROW(c.db.execute("SELECT * FROM 予約テーブル"), DbError);
    try {
        c.db.execute("DELETE * FROM 存在しない表;");
        FAIL();
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("no such table"), std::string::npos) << e.what();
        EXPECT_EQ(e.code(), 1);
    }
}

TEST(CatalogueDb, TextWrittenIntoDateColumnsIsStoredAsADate)
{
    OpenCatalogue c;
    c.db.execute("INSERT INTO アップデートテーブル (アップデートコード, アップデートタイプ, モジュールコード, リリース日付) "
                 "VALUES ('1', 'D', 'M', '98/03/01')");
    c.db.execute("INSERT INTO アップデートテーブル VALUES ('2', 'P', 'M', '7', '1998/11/20 10:30', 'E', '', '', 0, 0)");
    c.db.execute("INSERT INTO アップデートテーブル (アップデートコード, アップデートタイプ, モジュールコード, リリース日付) "
                 "VALUES ('3', 'P', 'M', #2/1/99#)");
    c.db.execute("UPDATE アップデートテーブル SET アップデートテーブル.リリース日付 = '97/12/31 23:59:59' WHERE アップデートコード = '1'");
    Recordset rs(c.db);
    rs.open("SELECT アップデートコード, リリース日付 FROM アップデートテーブル ORDER BY リリース日付 DESC");
    std::string order;
    for (; !rs.isEOF(); rs.moveNext())
        order += FieldToText(rs.fieldValue("アップデートコード")) + "=" + FieldToText(rs.fieldValue("リリース日付")) + " ";
    EXPECT_EQ(order, "3=99/02/01 2=98/11/20 1=97/12/31 ");
}
