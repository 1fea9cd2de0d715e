#pragma once

// A small hand-made catalogue for the song book tests: every case of the
// screens on a few rows whose order and content the tests know.

#include "client/catalogue/KaraokeView.h"
#include "client/db/CatalogueDb.h"
#include "client/db/Connection.h"
#include "client/db/SampleCatalogue.h"
#include "client/db/tests/TestDb.h"

#include <sqlite3.h>

#include <string>
#include <vector>

namespace kiro::catalogue::test {

struct Product {
    std::string course = "010";
    std::string code;
    std::string name;
    std::string reading;
    const char* english = nullptr; // NULL when absent
    std::string singer = "歌手";
    std::string singerReading = "ｶｼｭ";
    const char* singerEnglish = "KASHU";
    int price1 = 300;
    int price2 = 200;
    std::string genre = "001";
    int downloaded = 0;
    int linkSign = 0;
    std::string linkProduct;
    const char* firstWords = "はじまり";
};

inline Product song(const std::string& course, const std::string& code, const std::string& name,
    const std::string& reading, const char* english)
{
    Product p;
    p.course = course;
    p.code = code;
    p.name = name;
    p.reading = reading;
    p.english = english;
    return p;
}

inline void bindOrNull(sqlite3_stmt* s, int i, const char* v)
{
    if (v)
        sqlite3_bind_text(s, i, v, -1, SQLITE_TRANSIENT);
    else
        sqlite3_bind_null(s, i);
}

inline void addProduct(kiro::db::CatalogueDb& db, const Product& p)
{
    kiro::db::Statement s(db.connection(),
        "INSERT INTO 商品マスタ (コースコード, 商品コード, 商品名, 商品名読み, 商品名英語, 商品名読みコード, 商品名英語コード, "
        "歌手名, 歌手名読み, 歌手名英語, 歌手名読みコード, 歌手名英語コード, 作詞, 作曲, 歌い出し, JASRAC, 単価１, 単価２, "
        "ジャンルコード, ダウンロード済みフラグ, ファイル名, リンクサイン, リンク先コース, リンク先商品) VALUES "
        "(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, '作詞者', '作曲者', ?13, '000-0000-0', ?14, ?15, ?16, ?17, "
        "?18, ?19, ?20, ?21)");
    sqlite3_stmt* st = s.get();
    bindOrNull(st, 1, p.course.c_str());
    bindOrNull(st, 2, p.code.c_str());
    bindOrNull(st, 3, p.name.c_str());
    bindOrNull(st, 4, p.reading.c_str());
    bindOrNull(st, 5, p.english);
    bindOrNull(st, 6, kiro::db::readingIndexCode(p.reading.c_str()));
    bindOrNull(st, 7, p.english ? kiro::db::readingIndexCode(p.english) : nullptr);
    bindOrNull(st, 8, p.singer.c_str());
    bindOrNull(st, 9, p.singerReading.c_str());
    bindOrNull(st, 10, p.singerEnglish);
    bindOrNull(st, 11, kiro::db::readingIndexCode(p.singerReading.c_str()));
    bindOrNull(st, 12, p.singerEnglish ? kiro::db::readingIndexCode(p.singerEnglish) : nullptr);
    bindOrNull(st, 13, p.firstWords);
    sqlite3_bind_int(st, 14, p.price1);
    sqlite3_bind_int(st, 15, p.price2);
    bindOrNull(st, 16, p.genre.c_str());
    sqlite3_bind_int(st, 17, p.downloaded);
    const std::string file = p.code + ".KRD";
    bindOrNull(st, 18, file.c_str());
    sqlite3_bind_int(st, 19, p.linkSign);
    bindOrNull(st, 20, p.linkSign == 2 ? p.course.c_str() : nullptr);
    bindOrNull(st, 21, p.linkSign == 2 ? p.linkProduct.c_str() : nullptr);
    s.step();
}

// Course 10: group 01 "全曲" (reading index), group 02 "ベスト" (its own
// ranked list of three songs); genres 001 演歌 and 002 ポップス.
// 25 songs on the あ tab (ｱ01..ｱ25), songs on は, Ｄ and 他, one without an
// English singer name. Course 50: set S1 of three songs, set S2 whose song
// S2-1 is on the disk, single P1.
struct SongBookCatalogue : kiro::db::test::OpenCatalogue {
    SongBookCatalogue()
    {
        auto c = db.connection();
        c->execRaw("INSERT INTO 変動グループ名称テーブル VALUES ('010', '01', '全曲', 1), ('010', '02', 'ベスト', 0), "
                   "('050', '01', '全曲', 1);"
                   "INSERT INTO ジャンルマスタ VALUES ('010', '001', '演歌'), ('010', '002', 'ポップス'), "
                   "('050', '001', 'クラシック');"
                   "INSERT INTO 変動テーブル VALUES ('010', '02', 2, 'K0002'), ('010', '02', 1, 'H0001'), "
                   "('010', '02', 3, 'K0010');");
        for (int i = 1; i <= 25; ++i) {
            Product p;
            char code[16], name[32], reading[32], english[32];
            std::snprintf(code, sizeof code, "K%04d", i);
            std::snprintf(name, sizeof name, "朝%02d", i);
            std::snprintf(reading, sizeof reading, "ｱｻ%02d", i);
            std::snprintf(english, sizeof english, "ASA %02d", i);
            p.code = code;
            p.name = name;
            p.reading = reading;
            p.english = english;
            p.genre = i % 2 ? "001" : "002";
            addProduct(db, p);
        }
        addProduct(db, song("010", "H0001", "花", "ﾊﾅ", "HANA"));
        addProduct(db, song("010", "H0002", "光", "ﾋｶﾘ", "HIKARI"));
        addProduct(db, song("010", "D0001", "Don't Stop", "ﾄﾞﾝﾄｽﾄｯﾌﾟ", "DON'T STOP"));
        Product dance = song("010", "D0002", "ダンス", "ﾀﾞﾝｽ", "DANCE");
        dance.singer = "山田";
        dance.singerEnglish = nullptr;
        addProduct(db, dance);
        addProduct(db, song("010", "X0001", "[ABC]ソング", "[ABC]ｿﾝｸﾞ", "[ABC] SONG"));
        addProduct(db, song("010", "X0003", "ＡＢＣの歌", "ＡＢＣﾉｳﾀ", "ABC NO UTA"));
        addProduct(db, song("010", "X0002", "9時のニュース", "9ｼﾞﾉﾆｭｰｽ", "9 NEWS"));

        Product set1 = song("050", "S1", "曲集一", "ｷｮｸｼｭｳｲﾁ", "SET ONE");
        set1.price1 = set1.price2 = 500;
        set1.linkSign = 1;
        addProduct(db, set1);
        const char* songs[] = {"ｳﾀｳ", "ｲｿｸﾞ", "ｴﾗﾌﾞ"};
        for (int k = 0; k < 3; ++k) {
            Product p = song("050", "S1-" + std::to_string(k + 1), "セット曲", songs[k], "SONG");
            p.price1 = p.price2 = 0;
            p.linkSign = 2;
            p.linkProduct = "S1";
            addProduct(db, p);
        }
        Product set2 = song("050", "S2", "曲集二", "ｷｮｸｼｭｳﾆ", "SET TWO");
        set2.linkSign = 1;
        addProduct(db, set2);
        Product done = song("050", "S2-1", "済み曲", "ｽﾐ", "SUMI");
        done.downloaded = 1;
        done.linkSign = 2;
        done.linkProduct = "S2";
        addProduct(db, done);
        addProduct(db, song("050", "P1", "単品", "ﾀﾝﾋﾟﾝ", "TANPIN"));
    }
};

// Records what the karaoke screen's logic shows.
struct RecordingView : KaraokeView {
    std::vector<std::string> tabs;
    int selectedTab = -1;
    bool combosEnabled = true;
    std::array<std::string, 3> headers;
    std::vector<CatalogueRow> rows;
    int blankRows = 0;
    int topRow = -1;
    bool ended = false;
    int perPage = 10;

    void setTabs(const std::vector<std::string>& captions) override { tabs = captions; }
    void selectTab(int row) override { selectedTab = row; }
    void setIndexCombosEnabled(bool enabled) override { combosEnabled = enabled; }
    void setColumns(const std::array<std::string, 3>& h, const std::array<int, 3>&) override { headers = h; }
    void clearRows() override
    {
        rows.clear();
        blankRows = 0;
    }
    void appendRows(const std::vector<CatalogueRow>& r) override { rows.insert(rows.end(), r.begin(), r.end()); }
    void appendBlankRows(int count) override { blankRows += count; }
    int rowsPerPage() const override { return perPage; }
    void scrollToTop(int row) override { topRow = row; }
    void endScreen() override { ended = true; }

    std::vector<std::string> column(int c) const
    {
        std::vector<std::string> out;
        for (const CatalogueRow& r : rows)
            out.push_back(r.texts[static_cast<size_t>(c)]);
        return out;
    }
};

} // namespace kiro::catalogue::test
