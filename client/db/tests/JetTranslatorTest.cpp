#include "client/db/DbError.h"
#include "client/db/JetTranslator.h"

#include <gtest/gtest.h>

using namespace kiro::db;

TEST(JetTranslator, LiteralsNamesAndDistinctrow)
{
    auto st = translateJet("SELECT DISTINCTROW t.a, [NIFTY-ID] FROM t WHERE (t.a=\"x'y\" AND b='q') ;");
    EXPECT_EQ(st.kind, JetStatement::Kind::Select);
    EXPECT_EQ(st.sql, "SELECT t.a AS \"a\", \"NIFTY-ID\" AS \"NIFTY-ID\" FROM t WHERE (t.a = 'x''y' AND b = 'q')");
    EXPECT_TRUE(st.rowsAreBaseRows);
}

TEST(JetTranslator, LikeWildcardsAndDates)
{
    auto st = translateJet("SELECT a FROM t WHERE a like 'ｱ*?' AND b LIKE \"100%*\" AND d >= #12/31/98#");
    EXPECT_EQ(st.sql, "SELECT a AS \"a\" FROM t WHERE a LIKE 'ｱ%_' AND b LIKE '100%*' ESCAPE '\\' AND d >= "
                      "'1998-12-31 00:00:00'");
    EXPECT_THROW(translateJet("SELECT a FROM t WHERE d = #13/45/98#"), DbError);
}

TEST(JetTranslator, DeleteForms)
{
    EXPECT_EQ(translateJet("DELETE 予約テーブル.* FROM 予約テーブル WHERE (((予約テーブル.コースコード)=\"010\"));").sql,
              "DELETE FROM 予約テーブル WHERE (((予約テーブル.コースコード) = '010'))");
    EXPECT_EQ(translateJet("DELETE a.x, a.y FROM a WHERE a.x=\"1\"").sql, "DELETE FROM a WHERE a.x = '1'");
    EXPECT_EQ(translateJet("DELETE r.* FROM m INNER JOIN r ON m.k = r.k WHERE m.z=\"1\";").sql,
              "DELETE FROM \"r\" WHERE rowid IN (SELECT \"r\".rowid FROM m INNER JOIN r ON m.k = r.k WHERE m.z = '1')");
    EXPECT_THROW(translateJet("DELETE * FROM m INNER JOIN r ON m.k = r.k"), DbError);
}

TEST(JetTranslator, UpdateDropsQualifiersInSet)
{
    EXPECT_EQ(translateJet("UPDATE 商品マスタ SET 商品マスタ.ダウンロード済みフラグ = 1  WHERE ( ( [ファイル名] = 'A' ) );").sql,
              "UPDATE 商品マスタ SET ダウンロード済みフラグ = 1 WHERE ((\"ファイル名\" = 'A'))");
    EXPECT_EQ(translateJet("UPDATE a INNER JOIN b ON a.k=b.k SET b.f = 2 WHERE a.g = \"x\"").sql,
              "UPDATE \"b\" SET f = 2 WHERE rowid IN (SELECT \"b\".rowid FROM a INNER JOIN b ON a.k = b.k WHERE a.g = "
              "'x')");
}

TEST(JetTranslator, DdlTypesAndStatementEnd)
{
    EXPECT_EQ(translateJet("CREATE TABLE x (a TEXT(10), b MEMO, c COUNTER, d YESNO);").sql,
              "CREATE TABLE x (a TEXT (10) COLLATE NOCASE, b TEXT COLLATE NOCASE, c INTEGER, d YESNO)");
    EXPECT_EQ(translateJet("CREATE TABLE x (a TEXT COLLATE BINARY, PRIMARY KEY (a))").sql,
              "CREATE TABLE x (a TEXT COLLATE BINARY, PRIMARY KEY (a))");
    EXPECT_EQ(translateJet("ALTER TABLE x ADD y TEXT(5) NOT NULL").sql, "ALTER TABLE x ADD y TEXT (5) COLLATE NOCASE NOT NULL");
    EXPECT_EQ(translateJet("CREATE UNIQUE INDEX i ON x (a) WITH PRIMARY").sql, "CREATE UNIQUE INDEX i ON x (a)");
    EXPECT_EQ(translateJet("DROP INDEX i ON x").sql, "DROP INDEX i");
    EXPECT_THROW(translateJet("DELETE FROM x; DELETE FROM y"), DbError);
    EXPECT_THROW(translateJet("  ;"), DbError);
    EXPECT_THROW(translateJet("SELECT \"open"), DbError);
    EXPECT_THROW(translateJet("GRANT ALL"), DbError);
}

TEST(JetTranslator, RowidColumnsOnlyForBaseRows)
{
    auto st = translateJet("SELECT a.x FROM a INNER JOIN (b INNER JOIN c ON b.k=c.k) ON a.k = b.k", true);
    ASSERT_EQ(st.tables.size(), 3u);
    EXPECT_EQ(st.tables[1].name, "b");
    EXPECT_EQ(st.rowidColumns, 3u);
    EXPECT_NE(st.sql.find("\"c\".rowid AS __kiro_rowid_2"), std::string::npos);
    EXPECT_EQ(translateJet("SELECT DISTINCT a.x FROM a", true).rowidColumns, 0u);
}
