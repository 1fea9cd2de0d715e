#include "client/catalogue/SetContents.h"

#include "client/catalogue/FieldAccess.h"
#include "client/db/Recordset.h"
#include "client/db/StatementFormat.h"
#include "client/db/Statements.h"
#include "client/db/Variant.h"

#include <cstdlib>

namespace kiro::catalogue {

namespace st = kiro::db::statements;
using kiro::db::FieldToText;
using kiro::db::Recordset;

std::string shownText(const std::string& fieldText) { return fieldText == "NULL" ? std::string() : fieldText; }

namespace {

std::string text(Recordset& rs, const char* field) { return shownText(fieldText(rs, field)); }

std::vector<SetSong> readSongs(Recordset& rs, bool withFirstWords)
{
    std::vector<SetSong> songs;
    for (; !rs.isEOF(); rs.moveNext()) {
        SetSong s;
        s.name = text(rs, "商品名");
        s.singer = text(rs, "歌手名");
        if (withFirstWords)
            s.firstWords = text(rs, "歌い出し");
        s.downloaded = fieldInt(rs, "ダウンロード済みフラグ");
        songs.push_back(std::move(s));
    }
    return songs;
}

} // namespace

SetForReserve loadSetForReserve(kiro::db::CatalogueDb& db, int course, const std::string& setCode)
{
    SetForReserve set;
    Recordset product(db);
    product.open(kiro::db::fillStatement(st::kSelectSetProduct, {course, setCode}), Recordset::kReadOnly);
    if (!product.isEOF()) {
        set.found = true;
        set.name = text(product, "商品名");
        set.composer = text(product, "作曲");
        set.firstWords = text(product, "歌い出し");
        set.jasrac = text(product, "JASRAC");
        set.price1 = fieldInt(product, "単価１");
        set.price2 = fieldInt(product, "単価２");
    }
    Recordset songs(db);
    songs.open(kiro::db::fillStatement(st::kSelectSetSongsForReserve, {course, setCode}), Recordset::kReadOnly);
    set.songs = readSongs(songs, true);
    return set;
}

std::vector<SetSong> loadSetContents(kiro::db::CatalogueDb& db, int course, const std::string& setCode)
{
    Recordset songs(db);
    songs.open(kiro::db::fillStatement(st::kSelectSetContents, {course, setCode}), Recordset::kReadOnly);
    return readSongs(songs, false);
}

} // namespace kiro::catalogue
