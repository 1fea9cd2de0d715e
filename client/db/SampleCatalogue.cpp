#include "client/db/SampleCatalogue.h"

#include "client/db/CatalogueDb.h"
#include "client/db/Connection.h"

#include <sqlite3.h>

#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace kiro::db {
namespace {

// splitmix64: the same numbers for a seed on every machine.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }

private:
    std::uint64_t m_state;
};

struct Word {
    const char* text;
    const char* reading;
    const char* roman;
};

constexpr Word kWords[] = {
    {"海", "ｳﾐ", "UMI"}, {"空", "ｿﾗ", "SORA"}, {"夢", "ﾕﾒ", "YUME"}, {"花", "ﾊﾅ", "HANA"}, {"風", "ｶｾﾞ", "KAZE"},
    {"星", "ﾎｼ", "HOSHI"}, {"雨", "ｱﾒ", "AME"}, {"恋", "ｺｲ", "KOI"}, {"涙", "ﾅﾐﾀﾞ", "NAMIDA"}, {"月", "ﾂｷ", "TSUKI"},
    {"港", "ﾐﾅﾄ", "MINATO"}, {"街", "ﾏﾁ", "MACHI"}, {"夜", "ﾖﾙ", "YORU"}, {"光", "ﾋｶﾘ", "HIKARI"}, {"道", "ﾐﾁ", "MICHI"},
    {"桜", "ｻｸﾗ", "SAKURA"}, {"雪", "ﾕｷ", "YUKI"}, {"川", "ｶﾜ", "KAWA"}, {"心", "ｺｺﾛ", "KOKORO"}, {"旅", "ﾀﾋﾞ", "TABI"},
    {"歌", "ｳﾀ", "UTA"}, {"虹", "ﾆｼﾞ", "NIJI"}, {"森", "ﾓﾘ", "MORI"}, {"波", "ﾅﾐ", "NAMI"}, {"鳥", "ﾄﾘ", "TORI"},
    {"炎", "ﾎﾉｵ", "HONOO"}, {"朝", "ｱｻ", "ASA"}, {"約束", "ﾔｸｿｸ", "YAKUSOKU"}, {"わかれ", "ﾜｶﾚ", "WAKARE"},
    {"ラブ", "ﾗﾌﾞ", "LOVE"}, {"ロマンス", "ﾛﾏﾝｽ", "ROMANCE"}, {"レモン", "ﾚﾓﾝ", "LEMON"}, {"リズム", "ﾘｽﾞﾑ", "RHYTHM"},
    {"ネオン", "ﾈｵﾝ", "NEON"}, {"テレパシー", "ﾃﾚﾊﾟｼｰ", "TELEPATHY"}, {"チャンス", "ﾁｬﾝｽ", "CHANCE"}, {"岬", "ﾐｻｷ", "MISAKI"},
    {"灯台", "ﾄｳﾀﾞｲ", "TOUDAI"}, {"銀河", "ｷﾞﾝｶﾞ", "GINGA"}, {"硝子", "ｶﾞﾗｽ", "GLASS"}, {"陽炎", "ｶｹﾞﾛｳ", "KAGEROU"},
    {"小径", "ｺﾐﾁ", "KOMICHI"}, {"微笑み", "ﾎﾎｴﾐ", "HOHOEMI"}, {"面影", "ｵﾓｶｹﾞ", "OMOKAGE"}, {"季節", "ｷｾﾂ", "KISETSU"},
    {"翼", "ﾂﾊﾞｻ", "TSUBASA"}, {"遥か", "ﾊﾙｶ", "HARUKA"}, {"ひまわり", "ﾋﾏﾜﾘ", "HIMAWARI"}, {"ワルツ", "ﾜﾙﾂ", "WALTZ"},
    {"ヨット", "ﾖｯﾄ", "YACHT"}, {"エアメール", "ｴｱﾒｰﾙ", "AIRMAIL"}, {"オレンジ", "ｵﾚﾝｼﾞ", "ORANGE"}, {"ナイト", "ﾅｲﾄ", "NIGHT"},
    {"ドライブ", "ﾄﾞﾗｲﾌﾞ", "DRIVE"}, {"ブルース", "ﾌﾞﾙｰｽ", "BLUES"}, {"メロディー", "ﾒﾛﾃﾞｨｰ", "MELODY"},
    {"サンセット", "ｻﾝｾｯﾄ", "SUNSET"}, {"グッバイ", "ｸﾞｯﾊﾞｲ", "GOODBYE"}, {"ジェラシー", "ｼﾞｪﾗｼｰ", "JEALOUSY"},
    {"ビーチ", "ﾋﾞｰﾁ", "BEACH"}, {"パラソル", "ﾊﾟﾗｿﾙ", "PARASOL"}, {"ムーン", "ﾑｰﾝ", "MOON"}, {"ユートピア", "ﾕｰﾄﾋﾟｱ", "UTOPIA"},
};

constexpr Word kFamilyNames[] = {
    {"青山", "ｱｵﾔﾏ", "AOYAMA"}, {"石川", "ｲｼｶﾜ", "ISHIKAWA"}, {"上田", "ｳｴﾀﾞ", "UEDA"}, {"岡本", "ｵｶﾓﾄ", "OKAMOTO"},
    {"北島", "ｷﾀｼﾞﾏ", "KITAJIMA"}, {"桜井", "ｻｸﾗｲ", "SAKURAI"}, {"高木", "ﾀｶｷﾞ", "TAKAGI"}, {"中村", "ﾅｶﾑﾗ", "NAKAMURA"},
    {"浜田", "ﾊﾏﾀﾞ", "HAMADA"}, {"松原", "ﾏﾂﾊﾞﾗ", "MATSUBARA"}, {"山下", "ﾔﾏｼﾀ", "YAMASHITA"}, {"若林", "ﾜｶﾊﾞﾔｼ", "WAKABAYASHI"},
    {"藤井", "ﾌｼﾞｲ", "FUJII"}, {"森田", "ﾓﾘﾀ", "MORITA"}, {"野口", "ﾉｸﾞﾁ", "NOGUCHI"}, {"立花", "ﾀﾁﾊﾞﾅ", "TACHIBANA"},
};

constexpr Word kGivenNames[] = {
    {"ひかる", "ﾋｶﾙ", "HIKARU"}, {"まなぶ", "ﾏﾅﾌﾞ", "MANABU"}, {"さやか", "ｻﾔｶ", "SAYAKA"}, {"健二", "ｹﾝｼﾞ", "KENJI"},
    {"由美", "ﾕﾐ", "YUMI"}, {"翔", "ｼｮｳ", "SHO"}, {"直子", "ﾅｵｺ", "NAOKO"}, {"浩", "ﾋﾛｼ", "HIROSHI"}, {"令子", "ﾚｲｺ", "REIKO"},
    {"あゆみ", "ｱﾕﾐ", "AYUMI"}, {"武", "ﾀｹｼ", "TAKESHI"}, {"千春", "ﾁﾊﾙ", "CHIHARU"},
};

constexpr Word kBands[] = {
    {"ザ・ムーンライダース", "ｻﾞﾑｰﾝﾗｲﾀﾞｰｽ", "THE MOON RIDERS"}, {"スターダスト楽団", "ｽﾀｰﾀﾞｽﾄｶﾞｸﾀﾞﾝ", "STARDUST BAND"},
    {"ブルーコメッツ２", "ﾌﾞﾙｰｺﾒｯﾂﾂｰ", "BLUE COMETS 2"}, {"ＫＩＲＯシンガーズ", "ｷﾛｼﾝｶﾞｰｽﾞ", "KIRO SINGERS"},
    {"Zephyr", "ｾﾞﾌｧｰ", "ZEPHYR"}, {"9時のニュース", "ｸｼﾞﾉﾆｭｰｽ", "9JI NO NEWS"},
};

constexpr const char* kGenres[] = {"演歌", "ポップス", "ロック", "フォーク", "アニメ", "洋楽", "童謡", "ジャズ"};

struct Phrase {
    std::string text, reading, roman;
};

Phrase makeTitle(Random& r)
{
    const Word& a = kWords[r.below(std::size(kWords))];
    const Word& b = kWords[r.below(std::size(kWords))];
    switch (r.below(5)) {
    case 0:
        return {a.text, a.reading, a.roman};
    case 1:
    case 2:
        return {std::string(a.text) + "の" + b.text, std::string(a.reading) + "ﾉ" + b.reading,
                std::string(a.roman) + " NO " + b.roman};
    case 3:
        return {std::string(a.text) + "と" + b.text, std::string(a.reading) + "ﾄ" + b.reading,
                std::string(a.roman) + " TO " + b.roman};
    default:
        return {std::string(a.text) + b.text + "よ", std::string(a.reading) + b.reading + "ﾖ",
                std::string(a.roman) + " " + b.roman + " YO"};
    }
}

Phrase makeSinger(Random& r)
{
    if (r.below(8) == 0) {
        const Word& band = kBands[r.below(std::size(kBands))];
        return {band.text, band.reading, band.roman};
    }
    const Word& f = kFamilyNames[r.below(std::size(kFamilyNames))];
    const Word& g = kGivenNames[r.below(std::size(kGivenNames))];
    return {std::string(f.text) + g.text, std::string(f.reading) + g.reading, std::string(g.roman) + " " + f.roman};
}

// Binds texts and integers in order, steps and resets.
class Insert {
public:
    Insert(std::shared_ptr<Connection> c, const std::string& sql) : m_statement(std::move(c), sql) {}
    Insert& text(const std::string& v)
    {
        sqlite3_bind_text(m_statement.get(), ++m_index, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Insert& integer(long long v)
    {
        sqlite3_bind_int64(m_statement.get(), ++m_index, v);
        return *this;
    }
    Insert& null()
    {
        sqlite3_bind_null(m_statement.get(), ++m_index);
        return *this;
    }
    void run()
    {
        m_statement.step();
        m_statement.reset();
        sqlite3_clear_bindings(m_statement.get());
        m_index = 0;
    }

private:
    Statement m_statement;
    int m_index = 0;
};

std::string format(const char* fmt, long long a, long long b = 0)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, fmt, a, b);
    return buffer;
}

struct ProductWriter {
    Random& r;
    Insert insert;
    int written = 0;

    void write(const std::string& course, const std::string& code, int linkSign, const std::string& linkProduct,
               int genres, bool downloaded = false)
    {
        Phrase title = makeTitle(r);
        const Phrase singer = makeSinger(r);
        // A few readings that begin with a digit or a full-width letter, for
        // the 他 tab; a few singers without an English spelling. Decided by
        // the count, so the random sequence stays that of the seed.
        if (written % 37 == 5)
            title = {"２人の" + title.text, "2ﾆﾝﾉ" + title.reading, title.roman};
        else if (written % 41 == 3)
            title = {"ＡＢＣ" + title.text, "ＡＢＣ" + title.reading, title.roman};
        const bool noEnglishSinger = written % 15 == 7;
        const Phrase lyricist = makeSinger(r);
        const Phrase first = makeTitle(r);
        insert.text(course).text(code).text(title.text).text(title.reading).text(title.roman);
        insert.text(readingIndexCode(title.reading.c_str())).text(readingIndexCode(title.roman.c_str()));
        insert.text(singer.text).text(singer.reading);
        if (noEnglishSinger)
            insert.null();
        else
            insert.text(singer.roman);
        insert.text(readingIndexCode(singer.reading.c_str()));
        if (noEnglishSinger)
            insert.null();
        else
            insert.text(readingIndexCode(singer.roman.c_str()));
        insert.text(lyricist.text).text(course == "050" ? singer.text : makeSinger(r).text);
        if (r.below(10) == 0)
            insert.null(); // some songs have no first words
        else
            insert.text(first.text + "が　" + title.text + "を");
        insert.text(format("%03lld-%04lld-0", r.between(0, 999), r.between(0, 9999)));
        insert.integer(linkSign == 2 ? 0 : 100 * r.between(1, 3)).integer(r.below(4) == 0 ? 0 : 100 * r.between(1, 2));
        insert.text(format("%03lld", r.between(1, genres))).integer(downloaded ? 1 : 0).text(course == "020" ? code : code + ".KRD").integer(linkSign);
        if (linkSign == 2)
            insert.text(course).text(linkProduct);
        else
            insert.null().null();
        // Each product has its own item number, so no two addresses meet; the
        // archives sit in menus 1 to 40, the headers in menus 41 to 80.
        const long long item = written + 1;
        insert.text(format("%lld,%lld", r.between(1, 40), item));
        insert.text(format("%lld,%lld", r.between(41, 80), item));
        insert.run();
        ++written;
    }
};

} // namespace

const char* readingIndexCode(const char* text)
{
    static constexpr std::array<std::string_view, 10> kKanaRows = {
        "ｱｲｳｴｵｧｨｩｪｫ", "ｶｷｸｹｺ", "ｻｼｽｾｿ", "ﾀﾁﾂﾃﾄ", "ﾅﾆﾇﾈﾉ", "ﾊﾋﾌﾍﾎ", "ﾏﾐﾑﾒﾓ", "ﾔﾕﾖｬｭｮ", "ﾗﾘﾙﾚﾛ", "ﾜﾝｦ"};
    static constexpr std::array<std::string_view, 8> kLatinRows = {"ABCabc", "DEFdef", "GHIghi", "JKLjkl",
                                                                   "MNOmno", "PQRpqr", "STUstu", "VWXYZvwxyz"};
    static constexpr const char* kKanaCodes[] = {"00", "01", "02", "03", "04", "05", "06", "07", "08", "09"};
    static constexpr const char* kLatinCodes[] = {"50", "51", "52", "53", "54", "55", "56", "57"};
    const std::string_view s(text);
    if (s.empty())
        return "99";
    // Half-width katakana are three bytes in UTF-8.
    if (s.size() >= 3 && static_cast<unsigned char>(s[0]) == 0xEF) {
        const std::string_view first = s.substr(0, 3);
        for (size_t row = 0; row < kKanaRows.size(); ++row)
            for (size_t k = 0; k + 3 <= kKanaRows[row].size(); k += 3)
                if (kKanaRows[row].substr(k, 3) == first)
                    return kKanaCodes[row];
        return "99";
    }
    for (size_t row = 0; row < kLatinRows.size(); ++row)
        if (kLatinRows[row].find(s[0]) != std::string_view::npos)
            return kLatinCodes[row];
    return "99";
}

SampleSummary writeSampleCatalogue(CatalogueDb& db, const SampleOptions& options)
{
    auto c = db.connection();
    Random r(options.seed);
    SampleSummary summary;
    // Bulk loading: indexes are built once after the rows are in, and the
    // file is not synced page by page (a half-written sample is no loss).
    c->execRaw("PRAGMA synchronous=OFF; PRAGMA cache_size=-65536; PRAGMA temp_store=MEMORY;");
    std::vector<std::string> indexes;
    {
        Statement list(c, "SELECT sql FROM sqlite_master WHERE type='index' AND tbl_name='商品マスタ' AND sql IS NOT NULL");
        while (list.step())
            indexes.push_back(reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 0)));
    }
    c->execRaw("BEGIN;");
    try {
        {
            Statement names(c, "SELECT name FROM sqlite_master WHERE type='index' AND tbl_name='商品マスタ' AND sql IS NOT NULL");
            std::vector<std::string> drop;
            while (names.step())
                drop.push_back(reinterpret_cast<const char*>(sqlite3_column_text(names.get(), 0)));
            for (const std::string& name : drop)
                c->execRaw("DROP INDEX \"" + name + "\";");
        }
        {
            Insert genre(c, "INSERT INTO ジャンルマスタ VALUES (?, ?, ?)");
            for (const char* course : {"010", "020", "050"}) {
                // Item 0 of the genre box stands for every genre.
                genre.text(course).text("000").text("全ジャンル").run();
                for (size_t g = 0; g < std::size(kGenres); ++g)
                    genre.text(course).text(format("%03lld", static_cast<long long>(g + 1))).text(kGenres[g]).run();
            }
        }
        ProductWriter products{r, Insert(c, "INSERT INTO 商品マスタ (コースコード, 商品コード, 商品名, 商品名読み, 商品名英語, "
                                            "商品名読みコード, 商品名英語コード, 歌手名, 歌手名読み, 歌手名英語, 歌手名読みコード, "
                                            "歌手名英語コード, 作詞, 作曲, 歌い出し, JASRAC, 単価１, 単価２, ジャンルコード, "
                                            "ダウンロード済みフラグ, ファイル名, リンクサイン, リンク先コース, リンク先商品, "
                                            "データアドレス１, データアドレス２) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                            "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")};
        const int genres = static_cast<int>(std::size(kGenres));
        // Marked by the count, like the 他 tab's readings, so the random
        // sequence stays that of the seed.
        const auto downloaded = [&](int n) {
            const bool on = options.downloadedEvery > 0 && n % options.downloadedEvery == 0;
            summary.downloaded += on ? 1 : 0;
            return on;
        };
        for (int i = 1; i <= options.products; ++i)
            products.write("010", format("K%06lld", i), 0, "", genres, downloaded(i));
        summary.course10 = products.written;
        const int sets = std::max(1, options.products / 20);
        for (int s = 1; s <= sets; ++s) {
            const std::string code = format("S%05lld", s);
            // A set on the disk has every song on it (the sets' rows say so).
            const bool onDisk = downloaded(s * 7);
            products.write("050", code, 1, "", genres, onDisk);
            const int songs = r.between(2, 5);
            for (int k = 1; k <= songs; ++k)
                products.write("050", format("S%05lld-%lld", s, k), 2, code, genres, onDisk);
        }
        const int singles = std::max(1, options.products / 20);
        for (int s = 1; s <= singles; ++s)
            products.write("050", format("P%05lld", s), 0, "", genres);
        summary.course50 = products.written - summary.course10;
        // Course 20 keeps its songs in CDEx/; none is on the disk here.
        const int cdSongs = std::max(1, options.products / 20);
        for (int s = 1; s <= cdSongs; ++s)
            products.write("020", format("C%05lld", s), 0, "", genres);
        summary.course20 = products.written - summary.course10 - summary.course50;
        for (const std::string& sql : indexes)
            c->execRaw(sql + ";");

        Insert groupName(c, "INSERT INTO 変動グループ名称テーブル VALUES (?, ?, ?, ?)");
        Insert member(c, "INSERT INTO 変動テーブル VALUES (?, ?, ?, ?)");
        struct Group {
            const char* course;
            const char* code;
            const char* name;
            int mode;
        };
        const Group groups[] = {{"010", "01", "全曲さくいん", 1}, {"010", "02", "今週のベスト２０", 0},
                                {"010", "03", "演歌特集", 0},      {"010", "04", "新曲", 0},
                                {"020", "01", "全曲さくいん", 1}, {"050", "01", "全曲さくいん", 1},
                                {"050", "02", "曲集ベスト", 0}};
        for (const Group& g : groups) {
            groupName.text(g.course).text(g.code).text(g.name).integer(g.mode).run();
            if (g.mode == 1)
                continue;
            const bool setsGroup = std::string_view(g.course) == "050";
            const int pool = setsGroup ? sets : options.products;
            const int count = std::min(pool, 20 + r.below(31));
            for (int rank = 1; rank <= count; ++rank) {
                const int pick = 1 + r.below(pool);
                member.text(g.course).text(g.code).integer(rank)
                    .text(setsGroup ? format("S%05lld", pick) : format("K%06lld", pick)).run();
                ++summary.groupRows;
            }
        }

        Insert roadType(c, "INSERT INTO ロードタイプマスタ VALUES (?, ?, ?)");
        const std::pair<const char*, int> roads[] = {{"NIFTY-Serve", 1}, {"NIFTYアクセス", 1}, {"FENICS", 2},
                                                     {"高速アクセス", 2},  {"ISDN64K", 3},      {"ISDN128K", 3}};
        for (size_t i = 0; i < std::size(roads); ++i)
            roadType.integer(static_cast<long long>(i + 1) * 10).text(roads[i].first).integer(roads[i].second).run();
        Insert roadClass(c, "INSERT INTO アクセスポイント分類テーブル VALUES (?)");
        for (int k = 1; k <= 3; ++k)
            roadClass.integer(k).run();
        Insert access(c, "INSERT INTO アクセスポイントテーブル VALUES (?, ?, ?, ?, ?)");
        const Word places[] = {{"札幌", "ｻｯﾎﾟﾛ", "011"}, {"仙台", "ｾﾝﾀﾞｲ", "022"}, {"東京", "ﾄｳｷｮｳ", "03"},
                               {"横浜", "ﾖｺﾊﾏ", "045"},  {"名古屋", "ﾅｺﾞﾔ", "052"}, {"大阪", "ｵｵｻｶ", "06"},
                               {"広島", "ﾋﾛｼﾏ", "082"},  {"福岡", "ﾌｸｵｶ", "092"}};
        for (const Word& p : places)
            for (int k = 0; k < 2; ++k) {
                access.text(p.text).text(p.roman).text(format("%04lld-%04lld", r.between(1000, 9999), r.between(0, 9999)));
                access.text(p.reading).integer(10 * r.between(1, static_cast<int>(std::size(roads)))).run();
                ++summary.accessPoints;
            }
        c->execRaw("COMMIT;");
    } catch (...) {
        try {
            c->execRaw("ROLLBACK;");
        } catch (...) {
        }
        throw;
    }
    return summary;
}

} // namespace kiro::db
