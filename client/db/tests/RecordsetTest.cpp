#include "client/db/DbError.h"
#include "client/db/JetCriterion.h"
#include "client/db/Recordset.h"
#include "client/db/StatementFormat.h"
#include "client/db/Statements.h"
#include "client/db/tests/TestDb.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

using namespace kiro::db;
namespace st = kiro::db::statements;
using kiro::db::test::OpenCatalogue;

namespace {

struct Catalogue : OpenCatalogue {
    Catalogue()
    {
        const char* products[][4] = {{"K3", "ｱｲｺ", "100", "1,2"}, {"K1", "ｱｲｳｴ", "300", "12,345"},
                                     {"K2", "ｶｷ", "200", "3,12"}, {"K4", "ﾊﾅ", "0", "7,7"}};
        for (auto& p : products)
            db.execute(fillStatement("INSERT INTO 商品マスタ (コースコード, 商品コード, 商品名読み, 単価１, データアドレス１, "
                                     "ダウンロード済みフラグ, ファイル名) VALUES (\"010\", \"%s\", \"%s\", %s, \"%s\", 0, \"%s.KRD\")",
                                     {p[0], p[1], p[2], p[3], p[0]}));
    }
    std::string text(Recordset& rs, const char* field) { return FieldToText(rs.fieldValue(field)); }
};

const char* kProducts = "SELECT 商品マスタ.商品コード, 商品マスタ.商品名読み, 商品マスタ.単価１, 商品マスタ.データアドレス１, "
                        "商品マスタ.ダウンロード済みフラグ, 商品マスタ.コースコード FROM 商品マスタ ORDER BY 商品マスタ.商品名読み;";

} // namespace

TEST(Recordset, NavigatesLikeADynaset)
{
    Catalogue c;
    Recordset rs(c.db);
    rs.open(kProducts);
    EXPECT_FALSE(rs.isBOF());
    EXPECT_FALSE(rs.isEOF());
    EXPECT_EQ(rs.recordCount(), 1) << "rows are read as the cursor reaches them";
    EXPECT_EQ(c.text(rs, "商品コード"), "K1");
    EXPECT_EQ(c.text(rs, "商品マスタ.商品名読み"), "ｱｲｳｴ");
    EXPECT_EQ(c.text(rs, "単価１"), "300");
    EXPECT_EQ(rs.fieldValue("単価１").type, VT_I4);
    EXPECT_EQ(c.text(rs, "データアドレス１"), "12,345");
    rs.moveNext();
    EXPECT_EQ(c.text(rs, "商品コード"), "K3");
    rs.moveLast();
    EXPECT_EQ(c.text(rs, "商品コード"), "K4");
    EXPECT_EQ(rs.recordCount(), 4);
    EXPECT_EQ(rs.absolutePosition(), 3);
    rs.moveNext();
    EXPECT_TRUE(rs.isEOF());
    EXPECT_EQ(rs.absolutePosition(), -1);
    EXPECT_THROW(rs.moveNext(), DbError);
    EXPECT_THROW(rs.fieldValue("商品コード"), DbError);
    rs.setAbsolutePosition(2);
    EXPECT_EQ(c.text(rs, "商品コード"), "K2");
    EXPECT_THROW(rs.setAbsolutePosition(4), DbError);
    rs.moveFirst();
    rs.movePrev();
    EXPECT_TRUE(rs.isBOF());
    EXPECT_THROW(rs.fieldValue("nothing"), DbError);

    Recordset empty(c.db);
    empty.open("SELECT * FROM 予約テーブル");
    EXPECT_TRUE(empty.isBOF());
    EXPECT_TRUE(empty.isEOF());
    EXPECT_THROW(empty.moveFirst(), DbError);
}

TEST(Recordset, ForwardOnlyLetsPassedRowsGo)
{
    Catalogue c;
    Recordset rs(c.db);
    rs.open(kProducts, Recordset::kReadOnly | Recordset::kForwardOnly);
    EXPECT_FALSE(rs.isUpdatable());
    std::vector<std::string> codes;
    for (; !rs.isEOF(); rs.moveNext()) {
        codes.push_back(c.text(rs, "商品コード"));
        EXPECT_EQ(rs.absolutePosition(), static_cast<long>(codes.size()) - 1);
    }
    EXPECT_EQ(codes, (std::vector<std::string>{"K1", "K3", "K2", "K4"}));
    EXPECT_EQ(rs.recordCount(), 4) << "rows met, also those let go";
    EXPECT_THROW(rs.moveFirst(), DbError);
    EXPECT_THROW(rs.setAbsolutePosition(1), DbError);
    EXPECT_THROW(rs.movePrev(), DbError);

    rs.requery(); // from the top again
    EXPECT_EQ(c.text(rs, "商品コード"), "K1");
    EXPECT_TRUE(rs.findNext("商品名読み like 'ｶ*'"));
    EXPECT_EQ(c.text(rs, "商品コード"), "K2");
    EXPECT_THROW(rs.findFirst("商品名読み like 'ｱ*'"), DbError) << "behind the current row";
    rs.moveLast();
    EXPECT_EQ(c.text(rs, "商品コード"), "K4");
    EXPECT_EQ(rs.absolutePosition(), 3);
    rs.moveNext();
    EXPECT_TRUE(rs.isEOF());
    EXPECT_THROW(rs.moveLast(), DbError) << "the last row has gone";
}

TEST(Recordset, ReleasingRowsReadsAgainToGoBack)
{
    Catalogue c;
    Recordset rs(c.db);
    rs.open(kProducts, Recordset::kReleaseRows);
    EXPECT_FALSE(rs.isUpdatable());
    rs.setAbsolutePosition(3);
    EXPECT_EQ(c.text(rs, "商品コード"), "K4");
    rs.setAbsolutePosition(1); // let go: read again from the top
    EXPECT_EQ(c.text(rs, "商品コード"), "K3");
    EXPECT_EQ(rs.absolutePosition(), 1);
    rs.movePrev();
    EXPECT_EQ(c.text(rs, "商品コード"), "K1");
    rs.moveNext();
    rs.moveNext();
    EXPECT_EQ(c.text(rs, "商品コード"), "K2");
    rs.moveFirst();
    EXPECT_EQ(c.text(rs, "商品コード"), "K1");
    EXPECT_TRUE(rs.findNext("商品名読み like 'ﾊ*'"));
    EXPECT_EQ(rs.absolutePosition(), 3);
    EXPECT_TRUE(rs.findFirst("商品名読み like 'ｶ*'"));
    EXPECT_EQ(c.text(rs, "商品コード"), "K2");
    EXPECT_THROW(rs.findLast("商品名読み like 'ｱ*'"), DbError);
    EXPECT_THROW(rs.setAbsolutePosition(4), DbError);
    EXPECT_EQ(c.text(rs, "商品コード"), "K2") << "a failed move leaves the current row";
    rs.moveLast();
    EXPECT_EQ(c.text(rs, "商品コード"), "K4");
    EXPECT_EQ(rs.recordCount(), 4);
    rs.moveNext();
    EXPECT_TRUE(rs.isEOF());
    rs.moveLast();
    EXPECT_EQ(c.text(rs, "商品コード"), "K4") << "from past the end";
}

TEST(Recordset, ReleasingRowsSkipsFarAheadAndStaysExact)
{
    Catalogue c;
    c.db.execute("DELETE FROM 商品マスタ");
    // 700 rows whose order is decided by the reading, then the code.
    for (int i = 0; i < 700; ++i) {
        char code[16], reading[16];
        std::snprintf(code, sizeof code, "P%04d", 699 - i);
        std::snprintf(reading, sizeof reading, "R%03d", i / 2);
        c.db.execute(std::string("INSERT INTO 商品マスタ (コースコード, 商品コード, 商品名読み) VALUES (\"010\", \"") + code
            + "\", \"" + reading + "\")");
    }
    const char* ordered = "SELECT 商品コード, 商品名読み FROM 商品マスタ WHERE コースコード = \"010\" "
                          "ORDER BY 商品名読み, 商品コード";
    Recordset walked(c.db);
    walked.open(ordered, Recordset::kReadOnly);
    std::vector<std::string> codes;
    for (; !walked.isEOF(); walked.moveNext())
        codes.push_back(c.text(walked, "商品コード"));
    ASSERT_EQ(codes.size(), 700u);

    Recordset rs(c.db);
    rs.open(ordered, Recordset::kReleaseRows);
    for (long at : {650L, 651L, 3L, 699L, 200L, 640L, 0L}) {
        rs.setAbsolutePosition(at);
        EXPECT_EQ(c.text(rs, "商品コード"), codes[static_cast<size_t>(at)]) << at;
        EXPECT_EQ(rs.absolutePosition(), at);
    }
    rs.moveNext();
    EXPECT_EQ(c.text(rs, "商品コード"), codes[1]);
    rs.setAbsolutePosition(500);
    rs.movePrev();
    EXPECT_EQ(c.text(rs, "商品コード"), codes[499]);
    // Far past the end: refused, and the count is still the real one.
    EXPECT_THROW(rs.setAbsolutePosition(5000), DbError);
    rs.moveLast();
    EXPECT_EQ(c.text(rs, "商品コード"), codes[699]);
    EXPECT_EQ(rs.recordCount(), 700);
    rs.requery();
    EXPECT_EQ(c.text(rs, "商品コード"), codes[0]);

    // A statement with its own limit is walked as before.
    Recordset top(c.db);
    top.open("SELECT TOP 300 商品コード FROM 商品マスタ ORDER BY 商品名読み, 商品コード", Recordset::kReleaseRows);
    top.setAbsolutePosition(250);
    EXPECT_EQ(c.text(top, "商品コード"), codes[250]);
    EXPECT_THROW(top.setAbsolutePosition(400), DbError);
}

TEST(Recordset, FindsWithJetCriteria)
{
    Catalogue c;
    Recordset rs(c.db);
    rs.open(kProducts);
    EXPECT_TRUE(rs.findFirst("商品コード=\"K2\""));
    EXPECT_EQ(rs.absolutePosition(), 2);
    EXPECT_TRUE(rs.findFirst("商品名読み like 'ｱｲ*'"));
    EXPECT_EQ(c.text(rs, "商品コード"), "K1");
    EXPECT_TRUE(rs.findNext("商品名読み like 'ｱｲ*'"));
    EXPECT_EQ(c.text(rs, "商品コード"), "K3");
    EXPECT_FALSE(rs.findNext("商品名読み like 'ｱｲ*'"));
    EXPECT_TRUE(rs.noMatch());
    EXPECT_EQ(c.text(rs, "商品コード"), "K3") << "a failed find keeps the current row";
    EXPECT_TRUE(rs.findFirst("((単価１ >= 150) AND (商品マスタ.単価１<250))"));
    EXPECT_EQ(c.text(rs, "商品コード"), "K2");
    EXPECT_TRUE(rs.findFirst("商品コード = \"k4\"")) << "text compares without regard to case";
    EXPECT_TRUE(rs.findLast("ダウンロード済みフラグ=0"));
    EXPECT_EQ(c.text(rs, "商品コード"), "K4");
    EXPECT_TRUE(rs.findPrev("NOT 単価１ = 100"));
    EXPECT_EQ(c.text(rs, "商品コード"), "K2");
    EXPECT_THROW(rs.findFirst("未知の列=1"), DbError);
    EXPECT_THROW(rs.findFirst("商品コード=\"K1"), DbError);

    EXPECT_TRUE(jetLikeMatch("ﾊﾅﾐｽﾞｷ", "ﾊ*"));
    EXPECT_TRUE(jetLikeMatch("abc", "A?C"));
    EXPECT_TRUE(jetLikeMatch("a1", "a#"));
    EXPECT_FALSE(jetLikeMatch("ab", "a#"));
    EXPECT_TRUE(jetLikeMatch("b", "[a-c]"));
    EXPECT_FALSE(jetLikeMatch("b", "[!a-c]"));
    EXPECT_TRUE(jetLikeMatch("a*b", "a[*]b"));
    EXPECT_FALSE(jetLikeMatch("axb", "a[*]b"));
    EXPECT_TRUE(jetLikeMatch("", "*"));
}

TEST(Recordset, EditsAddsAndDeletes)
{
    Catalogue c;
    Recordset rs(c.db);
    rs.open(kProducts);
    rs.edit();
    rs.setFieldValue("ダウンロード済みフラグ", "1");
    EXPECT_EQ(c.text(rs, "ダウンロード済みフラグ"), "1");
    rs.update();
    EXPECT_EQ(c.text(rs, "ダウンロード済みフラグ"), "1");
    EXPECT_THROW(rs.setFieldValue("単価１", "2"), DbError) << "no edit in progress";
    rs.edit();
    EXPECT_THROW(rs.setFieldValue("単価１", "abc"), DbError);
    rs.cancelUpdate();

    rs.addNew();
    rs.setFieldValue("商品コード", "K9");
    EXPECT_THROW(rs.update(), DbError) << "コースコード may not be null";
    rs.setFieldValue("コースコード", "010");
    rs.setFieldValue("商品名読み", "ﾜ");
    rs.update();
    rs.requery();
    EXPECT_TRUE(rs.findFirst("商品コード=\"K9\""));
    EXPECT_EQ(c.text(rs, "ダウンロード済みフラグ"), "0") << "column default";
    rs.deleteCurrent();
    EXPECT_THROW(rs.fieldValue("商品コード"), DbError);
    rs.moveFirst();
    EXPECT_FALSE(rs.findFirst("商品コード=\"K9\""));

    // Delete every row walking forward, as the karaoke screen clears its
    // reservations.
    rs.moveFirst();
    while (!rs.isEOF()) {
        rs.deleteCurrent();
        rs.moveNext();
    }
    rs.requery();
    EXPECT_TRUE(rs.isEOF());

    Recordset readOnly(c.db);
    readOnly.open(kProducts, Recordset::kReadOnly);
    EXPECT_THROW(readOnly.addNew(), DbError);
}

TEST(Recordset, EditsThroughAJoinGoToTheOwningTable)
{
    Catalogue c;
    Recordset rs(c.db);
    rs.open(fillStatement(st::kSelectReservations, {10}));
    EXPECT_TRUE(rs.isEOF());
    for (int rank = 1; rank <= 2; ++rank) {
        rs.addNew();
        rs.setFieldValue("指定日時", "98/12/01 10:20:30");
        rs.setFieldValue("コースコード", "010");
        rs.setFieldValue("商品コード", rank == 1 ? "K2" : "K1");
        rs.setFieldValue("順位", std::to_string(rank));
        rs.setFieldValue("予約フラグ", "0");
        rs.update();
    }
    EXPECT_EQ(rs.recordCount(), 2);
    rs.moveFirst();
    EXPECT_EQ(c.text(rs, "商品コード"), "K2");
    EXPECT_EQ(c.text(rs, "データアドレス１"), "3,12") << "the new row is read back with its product";
    EXPECT_EQ(c.text(rs, "指定日時"), "98/12/01");
    rs.edit();
    rs.setFieldValue("ダウンロード済みフラグ", "1");
    rs.update();

    Recordset products(c.db);
    products.open("SELECT * FROM 商品マスタ WHERE 商品コード=\"K2\"");
    EXPECT_EQ(c.text(products, "ダウンロード済みフラグ"), "1");
    EXPECT_EQ(c.text(products, "商品名読み"), "ｶｷ");

    // Deleting a reservation row removes the reservation, not the product.
    rs.moveFirst();
    rs.deleteCurrent();
    rs.requery();
    EXPECT_EQ(c.text(rs, "商品コード"), "K1");
    products.requery();
    EXPECT_FALSE(products.isEOF());
}

TEST(Recordset, DataAddressesSortByTheirNumbers)
{
    OpenCatalogue c;
    for (const char* a : {"12,345", "3,12", "3,9", "100,1"})
        c.db.execute(fillStatement("INSERT INTO アップデートアドレステーブル VALUES ('1', 'D', 'M', '%s', 'F', '')", {a}));
    Recordset rs(c.db);
    rs.open("SELECT データアドレス FROM アップデートアドレステーブル ORDER BY アップデートアドレステーブル.データアドレス;");
    std::string order;
    for (; !rs.isEOF(); rs.moveNext())
        order += FieldToText(rs.fieldValue("データアドレス")) + " ";
    EXPECT_EQ(order, "3,9 3,12 12,345 100,1 ");
}

TEST(Recordset, LivesWithinItsDatabase)
{
    Catalogue c;
    Recordset rs(c.db);
    rs.open(kProducts);
    EXPECT_EQ(rs.recordCount(), 1);
    // A script may change the schema while a record set is part-way.
    c.db.execute("CREATE INDEX 追加索引 ON 商品マスタ (単価２);");
    c.db.execute("DROP INDEX 追加索引;");
    EXPECT_EQ(rs.recordCount(), 4);
    rs.moveNext();
    EXPECT_EQ(FieldToText(rs.fieldValue("商品コード")), "K3");
    EXPECT_EQ(c.db.close(), 0);
    EXPECT_FALSE(rs.isOpen()) << "closing the database closes its record sets";
    EXPECT_THROW(rs.moveNext(), DbError);
    EXPECT_THROW(rs.open(kProducts), DbError);
}

TEST(Recordset, FindsRowsNotYetReadFromTheEngine)
{
    Catalogue c;
    for (int i = 0; i < 300; ++i)
        c.db.execute(fillStatement("INSERT INTO 商品マスタ (コースコード, 商品コード, 商品名読み) VALUES ('010', 'X%d', 'ｱ%03d')", {i, i}));
    auto fresh = [&](Recordset& rs) { rs.open("SELECT * FROM 商品マスタ ORDER BY 商品名読み, 商品コード"); };
    {
        Recordset rs(c.db);
        fresh(rs);
        EXPECT_TRUE(rs.findFirst("商品名読み like 'ﾊ*'"));
        EXPECT_EQ(FieldToText(rs.fieldValue("商品コード")), "K4");
    }
    {
        Recordset rs(c.db);
        fresh(rs);
        EXPECT_FALSE(rs.findNext("商品名読み like 'ﾎ*'"));
        EXPECT_EQ(rs.absolutePosition(), 0);
        EXPECT_LT(rs.recordCount(), 300) << "a miss the engine rules out reads no further rows";
    }
    {
        Recordset rs(c.db);
        fresh(rs);
        EXPECT_TRUE(rs.findFirst("商品コード=\"x299\"")) << "text compares without regard to case";
    }
}
