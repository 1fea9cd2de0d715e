#include "client/db/Statements.h"

#include "client/db/StatementFormat.h"

namespace kiro::db::statements {
namespace {

std::string joinPieces(std::initializer_list<std::string_view> pieces)
{
    std::string out;
    for (std::string_view p : pieces)
        out.append(p);
    return out;
}

std::string courseInDoubleQuotes(int course) { return fillStatement("\"%03d\"", {course}); }

} // namespace

std::string groupComboStatement(int course)
{
    return joinPieces({"SELECT ", "変動グループ名称テーブル.コースコード, ", "変動グループ名称テーブル.グループコード, ",
                       "変動グループ名称テーブル.グループ名, ", "変動グループ名称テーブル.読みインデックスの有無 ",
                       "FROM 変動グループ名称テーブル ", "WHERE ((変動グループ名称テーブル.コースコード=",
                       courseInDoubleQuotes(course), ")) ", "ORDER BY 変動グループ名称テーブル.グループコード;"});
}

std::string genreComboStatement(int course)
{
    return joinPieces({"SELECT ", "ジャンルマスタ.コースコード, ", "ジャンルマスタ.ジャンルコード, ", "ジャンルマスタ.ジャンル名 ",
                       "FROM ジャンルマスタ ", "WHERE ((ジャンルマスタ.コースコード=", courseInDoubleQuotes(course), ")) ",
                       "ORDER BY ジャンルマスタ.ジャンルコード;"});
}

CatalogueColumnSet catalogueColumns(int indexKind, int indexType)
{
    static constexpr CatalogueColumnSet kColumns[2][2] = {
        {{"商品名読み", "商品名読みコード", "歌手名読み"}, {"歌手名読み", "歌手名読みコード", "商品名読み"}},
        {{"商品名英語", "商品名英語コード", "歌手名英語"}, {"歌手名英語", "歌手名英語コード", "商品名英語"}},
    };
    return kColumns[indexKind == 1 ? 1 : 0][indexType == 1 ? 1 : 0];
}

std::string catalogueQueryStatement(const CatalogueQuery& q)
{
    const CatalogueColumnSet x = catalogueColumns(q.indexKind, q.indexType);
    const std::string k = fillStatement("'%03d'", {q.course});
    std::string s;
    const std::string x0 = x.reading, x1 = x.indexCode, x2 = x.secondary;
    if (q.groupMode == 0) {
        s = joinPieces({"Select", " 変動テーブル.コースコード,", " 変動テーブル.グループコード,", " 変動テーブル.順位,",
                        " 変動テーブル.商品コード,", " 商品マスタ.商品名,", " 商品マスタ.歌手名,", " 商品マスタ.作詞,",
                        " 商品マスタ.作曲,", " 商品マスタ.歌い出し,", " 商品マスタ.JASRAC,", " 商品マスタ.単価１,",
                        " 商品マスタ.単価２,", " 商品マスタ.ダウンロード済みフラグ,", " 商品マスタ.ファイル名,",
                        " 商品マスタ.リンクサイン,", " 商品マスタ.リンク先商品,"});
        s += " 商品マスタ." + x0 + "," + " 商品マスタ." + x1 + "," + " 商品マスタ." + x2;
        s += joinPieces({" FROM 商品マスタ", " INNER JOIN 変動テーブル", " ON (商品マスタ.商品コード = 変動テーブル.商品コード)",
                         " AND (商品マスタ.コースコード = 変動テーブル.コースコード)", " WHERE ((変動テーブル.コースコード= ", k,
                         ") AND (変動テーブル.グループコード= '"});
        s += escapeQuoted(q.groupCode, '\'');
        s += "'";
        if (q.course == 50 && q.linkFilter == 2)
            s += " ) AND ( ( 商品マスタ.リンクサイン = 0) OR ( 商品マスタ.リンクサイン = 2) ";
        else if (q.course == 50 && q.linkFilter == 1)
            s += " ) AND ( 商品マスタ.リンクサイン = 1 ";
        s += joinPieces({"))", " ORDER BY 変動テーブル.順位;"});
        return s;
    }
    s = joinPieces({"Select", " 商品マスタ.コースコード,", " 商品マスタ.商品コード,", " 商品マスタ.商品名,", " 商品マスタ.歌手名,",
                    " 商品マスタ.作詞,", " 商品マスタ.作曲,", " 商品マスタ.歌い出し,", " 商品マスタ.JASRAC,", " 商品マスタ.単価１,",
                    " 商品マスタ.単価２,", " 商品マスタ.ダウンロード済みフラグ,", " 商品マスタ.ファイル名,", " 商品マスタ.リンクサイン,",
                    " 商品マスタ.リンク先商品,"});
    s += " 商品マスタ." + x0 + "," + " 商品マスタ." + x1 + "," + " 商品マスタ." + x2;
    s += " FROM 商品マスタ";
    s += " WHERE (";
    s += " ((商品マスタ." + x1 + ")= '" + escapeQuoted(q.tabCode, '\'') + "')";
    if (q.genreIndex > 0)
        s += fillStatement(" AND ((商品マスタ.ジャンルコード)= '%03d')", {q.genreCode});
    if (q.course == 50 && q.linkFilter == 2)
        s += "AND ( ( 商品マスタ.リンクサイン = 0) OR ( 商品マスタ.リンクサイン = 2) )";
    else if (q.course == 50 && q.linkFilter == 1)
        s += "AND ( 商品マスタ.リンクサイン = 1)";
    s += " AND ((商品マスタ.コースコード)= " + k + "))";
    s += " ORDER BY";
    s += " 商品マスタ." + x0;
    s += ",商品マスタ.商品コード";
    s += ",商品マスタ." + x2 + ";";
    return s;
}

} // namespace kiro::db::statements
