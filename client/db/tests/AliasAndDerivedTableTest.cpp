// Aliases on a single table in DELETE and UPDATE, and derived tables in FROM.
#include "client/db/DbError.h"
#include "client/db/Recordset.h"
#include "client/db/tests/TestDb.h"

#include <gtest/gtest.h>

using namespace kiro::db;

namespace {

std::string names(CatalogueDb& db, const std::string& select)
{
    Recordset rs(db);
    rs.open(select);
    std::string out;
    for (; !rs.isEOF(); rs.moveNext())
        out += FieldToText(rs.fieldValue(0)) + ";";
    return out;
}

} // namespace

TEST(AliasAndDerivedTable, WorkAsInJet)
{
    kiro::db::test::OpenCatalogue c;
    for (const char* row : {"('010','001','a')", "('010','002','b')", "('010','003','c')"})
        c.db.execute(std::string("INSERT INTO ジャンルマスタ VALUES ") + row);

    EXPECT_EQ(c.db.execute("UPDATE ジャンルマスタ AS g SET g.ジャンル名 = 'B' WHERE g.ジャンルコード = '002'"), 1);
    EXPECT_EQ(c.db.execute("DELETE FROM ジャンルマスタ AS g WHERE g.ジャンルコード = '003'"), 1);
    EXPECT_EQ(c.db.execute("DELETE * FROM ジャンルマスタ g WHERE g.ジャンルコード = '009'"), 0);
    EXPECT_EQ(names(c.db, "SELECT ジャンル名 FROM ジャンルマスタ ORDER BY ジャンルコード"), "a;B;");

    EXPECT_EQ(names(c.db, "SELECT q.n FROM (SELECT ジャンル名 AS n, ジャンルコード AS k FROM ジャンルマスタ) AS q "
                          "WHERE q.k > '001'"),
              "B;");
    // A derived table's rows belong to no table: the record set cannot edit them.
    Recordset rs(c.db);
    rs.open("SELECT q.n FROM (SELECT ジャンル名 AS n FROM ジャンルマスタ) AS q");
    EXPECT_FALSE(rs.isEOF());
    EXPECT_FALSE(rs.isUpdatable());
}

TEST(Concatenation, NullSidesReadAsEmptyText)
{
    kiro::db::test::OpenCatalogue c;
    c.db.execute("INSERT INTO ジャンルマスタ VALUES ('010','001','a')");
    c.db.execute("INSERT INTO ジャンルマスタ (コースコード, ジャンルコード) VALUES ('010','002')");
    EXPECT_EQ(names(c.db, "SELECT ジャンルコード & ジャンル名 & '!' AS x FROM ジャンルマスタ ORDER BY ジャンルコード"),
              "001a!;002!;");
    EXPECT_EQ(names(c.db, "SELECT ジャンルコード FROM ジャンルマスタ WHERE ジャンル名 & 'x' = 'x'"), "002;");
    EXPECT_EQ(names(c.db, "SELECT (ジャンルコード & '-') & (1 + 2) AS x FROM ジャンルマスタ WHERE ジャンルコード = '001'"),
              "001-3;");
    EXPECT_EQ(c.db.execute("UPDATE ジャンルマスタ SET ジャンル名 = ジャンル名 & '+' WHERE ジャンルコード = '002'"), 1);
    EXPECT_EQ(names(c.db, "SELECT ジャンル名 FROM ジャンルマスタ WHERE ジャンルコード = '002'"), "+;");
}

TEST(TypeMismatch, TextColumnAgainstANumberIsAnErrorNotAnEmptyResult)
{
    kiro::db::test::OpenCatalogue c;
    c.db.execute("INSERT INTO ジャンルマスタ VALUES ('010','001','a')");
    auto code = [&](auto run) {
        try {
            run();
        } catch (const DbError& e) {
            return e.code();
        }
        return 0L;
    };
    EXPECT_EQ(code([&] { names(c.db, "SELECT * FROM ジャンルマスタ WHERE ジャンルコード = 1"); }), 3421);
    EXPECT_EQ(code([&] { names(c.db, "SELECT * FROM ジャンルマスタ AS g WHERE 1 < g.ジャンルコード"); }), 3421);
    EXPECT_EQ(code([&] { c.db.execute("DELETE * FROM ジャンルマスタ WHERE ジャンルコード <> -1"); }), 3421);
    EXPECT_EQ(code([&] { c.db.execute("UPDATE ジャンルマスタ SET ジャンル名 = 'x' WHERE ジャンルコード = 1"); }), 3421);
    // Text against text, and numbers against number columns, are fine.
    EXPECT_EQ(names(c.db, "SELECT ジャンル名 FROM ジャンルマスタ WHERE ジャンルコード = '001'"), "a;");
    c.db.execute("INSERT INTO アップデートテーブル (アップデートコード, アップデートタイプ, モジュールコード, "
                 "ダウンロード済みフラグ) VALUES ('1', 'D', 'M', 1)");
    EXPECT_EQ(names(c.db, "SELECT アップデートコード FROM アップデートテーブル WHERE ダウンロード済みフラグ = 1"), "1;");
}

TEST(SelfJoin, EditsGoToTheRowOfTheColumnsAlias)
{
    kiro::db::test::OpenCatalogue c;
    c.db.execute("INSERT INTO ジャンルマスタ VALUES ('010','001','first')");
    c.db.execute("INSERT INTO ジャンルマスタ VALUES ('010','002','second')");
    Recordset rs(c.db);
    rs.open("SELECT a.ジャンルコード, b.ジャンル名 FROM ジャンルマスタ AS a INNER JOIN ジャンルマスタ AS b "
            "ON a.コースコード = b.コースコード WHERE a.ジャンルコード = '001' AND b.ジャンルコード = '002'");
    ASSERT_FALSE(rs.isEOF());
    rs.edit();
    rs.setFieldValue("ジャンル名", "changed");
    rs.update();
    rs.close();
    EXPECT_EQ(names(c.db, "SELECT ジャンル名 FROM ジャンルマスタ ORDER BY ジャンルコード"), "first;changed;");
}
