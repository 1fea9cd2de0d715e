#include "SongBookFixture.h"

#include "client/catalogue/KaraokeBrowser.h"
#include "client/catalogue/CatalogueRowStore.h"
#include "client/catalogue/ReadingPositionLookup.h"
#include "client/catalogue/CatalogueTables.h"

#include <gtest/gtest.h>

using namespace kiro::catalogue;
using kiro::catalogue::test::RecordingView;
using kiro::catalogue::test::SongBookCatalogue;

namespace {

// Ticks until the list is complete (padded).
void fillAll(KaraokeBrowser& b)
{
    b.tick();
    for (int i = 0; i < 100 && !b.padded(); ++i)
        b.tick();
}

} // namespace

TEST(KaraokeBrowser, ReadingIndexGroupFillsTwentyRowsPerTickThenPadsOnce)
{
    SongBookCatalogue cat;
    RecordingView view;
    KaraokeBrowser b(cat.db, 10, 0, view);
    EXPECT_EQ(b.groupNames(), (std::vector<std::string>{"全曲", "ベスト"}));
    EXPECT_EQ(b.genreNames(), (std::vector<std::string>{"演歌", "ポップス"}));

    b.tick();
    ASSERT_EQ(view.tabs.size(), 19u);
    EXPECT_EQ(view.tabs[10], "Ａ");
    EXPECT_EQ(view.tabs[18], "他");
    EXPECT_TRUE(view.combosEnabled);
    EXPECT_EQ(view.headers, (std::array<std::string, 3>{"曲名", "アーティスト", "歌いだし"}));
    EXPECT_EQ(view.rows.size(), 20u) << "at most 20 rows per tick";
    EXPECT_EQ(view.blankRows, 0);
    EXPECT_EQ(view.rows[0].texts[0], "朝01");
    EXPECT_EQ(view.rows[0].texts[2], "はじまり");

    b.tick();
    EXPECT_EQ(view.rows.size(), 25u);
    EXPECT_EQ(view.blankRows, view.perPage - 1) << "exactly rows-per-page - 1 blank rows";
    b.tick();
    EXPECT_EQ(view.blankRows, view.perPage - 1) << "padding is added once";
    EXPECT_EQ(b.lastStatement().find("ジャンルコード"), std::string::npos) << "genre 0 adds no condition";
}

TEST(KaraokeBrowser, GenreAndEmptyTabs)
{
    SongBookCatalogue cat;
    RecordingView view;
    KaraokeBrowser b(cat.db, 10, 0, view);
    b.tick();
    b.selectGenre(1); // ポップス: the even songs of the あ tab
    fillAll(b);
    EXPECT_NE(b.lastStatement().find("((商品マスタ.ジャンルコード)= '002')"), std::string::npos);
    EXPECT_EQ(view.rows.size(), 12u);

    b.selectGenre(0);
    b.selectTab(7); // や: nothing
    fillAll(b);
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(view.blankRows, view.perPage - 1) << "an empty list is only the blank rows";
}

TEST(KaraokeBrowser, OwnListGroupShowsOneTabInRankOrderWithoutGenre)
{
    SongBookCatalogue cat;
    RecordingView view;
    KaraokeBrowser b(cat.db, 10, 1, view);
    b.selectGenre(1);
    fillAll(b);
    EXPECT_EQ(view.tabs, (std::vector<std::string>{"ベスト"}));
    EXPECT_FALSE(view.combosEnabled);
    EXPECT_EQ(b.groupMode(), 0);
    EXPECT_EQ(view.column(0), (std::vector<std::string>{"花", "朝02", "朝10"}));
    EXPECT_EQ(b.lastStatement().find("ジャンルコード"), std::string::npos);

    // Typing a reading of another tab does not leave the group's own list.
    b.search("ｱｻ1");
    EXPECT_EQ(b.tab(), 0);
    EXPECT_EQ(b.scrollTarget(), 2);
}

TEST(KaraokeBrowser, EnglishTabFallsBackToJapaneseNameAndOtherTabTakesFullWidth)
{
    SongBookCatalogue cat;
    RecordingView view;
    KaraokeBrowser b(cat.db, 10, 0, view);
    b.tick();
    b.selectTab(11); // Ｄ
    fillAll(b);
    ASSERT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.rows[0].texts[0], "DANCE");
    EXPECT_EQ(view.rows[0].texts[1], "山田") << "a missing English singer shows the Japanese name";
    EXPECT_EQ(view.rows[1].texts[0], "DON'T STOP");

    b.search("Ｘ"); // a full-width first character belongs to 他
    EXPECT_EQ(b.tab(), 18);
    b.search("ＡＢ");
    EXPECT_EQ(b.hitText(), "ＡＢＣﾉｳﾀ");
    b.search("9");
    EXPECT_EQ(b.tab(), 18);
    fillAll(b);
    EXPECT_EQ(view.rows.size(), 3u);
}

TEST(KaraokeBrowser, TypingSwitchesTabRefillsAndScrollsToTheHit)
{
    SongBookCatalogue cat;
    RecordingView view;
    view.perPage = 3;
    KaraokeBrowser b(cat.db, 10, 0, view);
    b.tick();
    ASSERT_EQ(b.tab(), 0);

    b.search("ﾊ");
    EXPECT_EQ(b.tab(), 5) << "ﾊ selects the は tab";
    EXPECT_EQ(view.selectedTab, 5);
    EXPECT_EQ(view.column(0), (std::vector<std::string>{"花", "光"})) << "refilled at once";
    EXPECT_EQ(b.searchPosition(), 0);

    b.search("ﾋ");
    EXPECT_EQ(b.searchPosition(), 1);
    EXPECT_EQ(b.hitText(), "ﾋｶﾘ");
    b.tick();
    EXPECT_EQ(view.topRow, 1);
    EXPECT_EQ(b.scrollTarget(), -1);

    b.search("ｱｻ2");
    EXPECT_EQ(b.tab(), 0);
    EXPECT_EQ(b.searchPosition(), 19) << "ｱｻ20 is the 20th row";
    b.search("ｱｻ25");
    EXPECT_EQ(b.searchPosition(), 24);
    b.search("ｱｻ2");
    EXPECT_EQ(b.searchPosition(), 19) << "deleting returns to the remembered position";
    b.search("ｱｻ9");
    EXPECT_EQ(b.searchPosition(), 19) << "nothing found: the position stays";
    b.search("");
    EXPECT_EQ(b.searchPosition(), 0);
    for (int i = 0; i < 5; ++i)
        b.tick();
    EXPECT_EQ(view.topRow, 0);
}

TEST(KaraokeBrowser, TypedQuotesAndWildcardsAreTakenLiterally)
{
    SongBookCatalogue cat;
    RecordingView view;
    KaraokeBrowser b(cat.db, 10, 0, view);
    b.tick();
    b.search("Don'");
    EXPECT_EQ(b.tab(), 11);
    EXPECT_EQ(b.searchPosition(), 1);
    EXPECT_EQ(b.hitText(), "DON'T STOP");

    b.search("[A");
    EXPECT_EQ(b.tab(), 18);
    b.search("[ABC]");
    EXPECT_EQ(b.hitText(), "[ABC]ｿﾝｸﾞ");
    const long at = b.searchPosition();
    b.search("*");
    b.search("?");
    EXPECT_EQ(b.searchPosition(), at) << "a wildcard typed alone matches nothing";
}

TEST(KaraokeBrowser, PerformanceCourseIconsLinkFilterAndHeaders)
{
    SongBookCatalogue cat;
    RecordingView view;
    KaraokeBrowser b(cat.db, 50, 0, view);
    b.tick();
    EXPECT_EQ(view.headers, (std::array<std::string, 3>{"曲名/曲集名", "作曲者/ｱｰﾃｨｽﾄ", "備考"}));
    b.selectTab(16); // Ｓ: SET ONE, SET TWO, SONG ×3, SUMI, TANPIN
    fillAll(b);
    ASSERT_EQ(view.rows.size(), 7u);
    std::vector<int> icons;
    for (const auto& r : view.rows)
        icons.push_back(r.icon);
    EXPECT_EQ(icons, (std::vector<int>{3, 3, 5, 5, 5, 6, 1}));

    EXPECT_STREQ(b.cycleLinkFilter(), "親だけ");
    fillAll(b);
    EXPECT_EQ(view.rows.size(), 2u);
    EXPECT_STREQ(b.cycleLinkFilter(), "子だけ");
    fillAll(b);
    EXPECT_EQ(view.rows.size(), 5u);
    b.search("SU");
    EXPECT_EQ(b.searchPosition(), 3) << "the search follows the filtered list";
    EXPECT_STREQ(b.cycleLinkFilter(), "全部表示");
    fillAll(b);
    EXPECT_EQ(view.rows.size(), 7u);
}

TEST(KaraokeBrowser, BlankRowsHaveNoRecordAndAnInactiveScreenEnds)
{
    SongBookCatalogue cat;
    RecordingView view;
    KaraokeBrowser b(cat.db, 10, 0, view);
    fillAll(b);
    EXPECT_TRUE(b.moveSearchTo(24));
    EXPECT_FALSE(b.moveSearchTo(25)) << "the first blank row";
    EXPECT_FALSE(b.moveSearchTo(-1));
    b.setActive(false);
    EXPECT_FALSE(b.tick());
    EXPECT_TRUE(view.ended);
}

TEST(ReadingPositionLookup, LandsWhereWalkingTheListWould)
{
    kiro::db::test::OpenCatalogue cat;
    kiro::db::writeSampleCatalogue(cat.db, kiro::db::SampleOptions{3000, 3});
    // Rows of a tab without a reading come first in its list.
    cat.db.execute("UPDATE 商品マスタ SET 商品名読み = NULL WHERE 商品名読みコード = '01' AND 商品コード LIKE '*3'");
    for (const char* tab : {"01", "05", "56", "99"}) {
        kiro::db::statements::CatalogueQuery q;
        q.tabCode = tab;
        q.indexKind = tab[0] == '5' ? 1 : 0;
        kiro::db::Recordset list(cat.db);
        list.open(kiro::db::statements::catalogueQueryStatement(q), kiro::db::Recordset::kReadOnly);
        const char* field = q.indexKind ? "商品名英語" : "商品名読み";
        std::vector<std::optional<std::string>> readings;
        for (; !list.isEOF(); list.moveNext()) {
            const auto value = list.fieldValue(field);
            readings.push_back(value.isNull() ? std::nullopt : std::optional(kiro::db::FieldToText(value)));
        }
        ASSERT_GT(readings.size(), 100u) << tab;
        // The screen's statement lists the same rows in the same order.
        for (int type : {0, 1}) {
            q.indexType = type;
            kiro::db::Recordset full(cat.db), stepped(cat.db);
            full.open(kiro::db::statements::catalogueQueryStatement(q), kiro::db::Recordset::kReadOnly);
            stepped.open(steppedCatalogueStatement(q), kiro::db::Recordset::kReadOnly);
            EXPECT_NE(steppedCatalogueStatement(q), kiro::db::statements::catalogueQueryStatement(q));
            for (; !full.isEOF(); full.moveNext(), stepped.moveNext()) {
                ASSERT_FALSE(stepped.isEOF()) << tab;
                ASSERT_EQ(kiro::db::FieldToText(full.fieldValue("商品コード")),
                    kiro::db::FieldToText(stepped.fieldValue("商品コード"))) << tab << " type " << type;
            }
            EXPECT_TRUE(stepped.isEOF()) << tab;
        }
        q.indexType = 0;
        const long half = static_cast<long>(readings.size() / 2);
        ReadingPositionLookup lookup(cat.db, q);
        ReadingPositionLookup dense(cat.db, q, 3); // samples inside runs of equal readings
        while (!dense.sampleMore(50)) {
        }
        // Half read, and counts of at most 40 rows: texts beyond reach wait.
        ReadingPositionLookup partial(cat.db, q, 16, 40);
        EXPECT_FALSE(partial.sampleMore(half));
        ReadingPositionLookup unread(cat.db, q, 16, 40);
        // Every prefix of every 7th reading, and texts that find nothing.
        std::vector<std::string> texts = {"ﾝﾝ", "zz", "ｦ"};
        for (size_t i = 0; i < readings.size(); i += 7)
            for (size_t n = 1; readings[i] && n <= readings[i]->size() && n <= 12; ++n)
                texts.push_back(readings[i]->substr(0, n));
        int waiting = 0;
        for (const std::string& text : texts) {
            long walked = -1;
            for (size_t i = 0; i < readings.size() && walked < 0; ++i)
                if (readings[i] && startsWithIgnoringAsciiCase(*readings[i], text))
                    walked = static_cast<long>(i);
            for (ReadingPositionLookup* l : {&lookup, &dense, &partial, &unread}) {
                const auto hit = l->first(text);
                if (walked < 0) {
                    EXPECT_FALSE(hit) << tab << " " << text;
                    continue;
                }
                ASSERT_TRUE(hit) << tab << " " << text;
                if (hit->position == ReadingPositionLookup::kUnknown && (l == &partial || l == &unread)) {
                    EXPECT_GE(walked, l == &partial ? half - 40 : 40) << tab << " " << text << ": within reach";
                    ++waiting;
                    continue;
                }
                EXPECT_EQ(hit->position, walked) << tab << " " << text;
            }
        }
        EXPECT_GT(waiting, 0) << tab;
        // Once read to the end, every position is known.
        while (!partial.sampleMore(100)) {
        }
        for (size_t i = 0; i < readings.size(); i += 5)
            if (readings[i]) {
                const auto hit = partial.first(*readings[i]);
                ASSERT_TRUE(hit);
                EXPECT_LE(hit->position, static_cast<long>(i)) << tab << " " << *readings[i];
                EXPECT_EQ(readings[static_cast<size_t>(hit->position)], readings[i]) << tab;
            }
    }
}

TEST(KaraokeBrowser, DeepHitIsPlacedByTheTicksWhileTheListFillsFast)
{
    kiro::db::test::OpenCatalogue cat;
    kiro::db::writeSampleCatalogue(cat.db, kiro::db::SampleOptions{3000, 3});
    const auto readingsOf = [&](const char* tab) {
        kiro::db::statements::CatalogueQuery q;
        q.tabCode = tab;
        kiro::db::Recordset list(cat.db);
        list.open(kiro::db::statements::catalogueQueryStatement(q), kiro::db::Recordset::kReadOnly);
        std::vector<std::string> readings;
        for (; !list.isEOF(); list.moveNext())
            readings.push_back(kiro::db::FieldToText(list.fieldValue("商品名読み")));
        return readings;
    };
    const std::vector<std::string> readings = readingsOf("01");
    const auto firstWith = [&](const std::string& text) {
        for (size_t i = 0; i < readings.size(); ++i)
            if (startsWithIgnoringAsciiCase(readings[i], text))
                return static_cast<long>(i);
        return -1L;
    };
    const std::string deep = readings[readings.size() * 3 / 4];
    const std::string typed = deep.substr(0, 6); // two half-width katakana
    ASSERT_GT(firstWith(typed), 100);

    RecordingView view;
    KaraokeBrowser b(cat.db, 10, 0, view);
    // Counts of 40 entries, samples of about a hundred a tick.
    b.setPositionLimits(40, std::chrono::microseconds(1));
    b.tick();
    b.search(typed.substr(0, 3));
    EXPECT_EQ(b.tab(), 1);
    b.search(typed);
    EXPECT_TRUE(b.positionPending());
    EXPECT_EQ(b.scrollTarget(), -1) << "no scrolling to where the search was";
    for (int i = 0; i < 100 && b.positionPending(); ++i)
        b.tick();
    EXPECT_FALSE(b.positionPending());
    EXPECT_EQ(b.searchPosition(), firstWith(typed));
    EXPECT_EQ(b.hitText(), readings[static_cast<size_t>(firstWith(typed))]);
    for (int i = 0; i < 100 && view.topRow != b.searchPosition(); ++i)
        b.tick();
    EXPECT_EQ(view.topRow, firstWith(typed)) << "the list scrolled to the hit";

    // Sampled now: at once, also deleting back to the first character.
    b.search(deep.substr(0, 9));
    EXPECT_FALSE(b.positionPending());
    EXPECT_EQ(b.searchPosition(), firstWith(deep.substr(0, 9)));
    b.search(typed.substr(0, 3));
    EXPECT_EQ(b.searchPosition(), firstWith(typed.substr(0, 3)));

    // A tab change drops a hit still being placed (the あ tab's sample was
    // left after its first tick).
    const std::vector<std::string> first = readingsOf("00");
    ASSERT_GT(first.size(), 250u);
    b.search(first.back().substr(0, 6));
    EXPECT_EQ(b.tab(), 0);
    ASSERT_TRUE(b.positionPending());
    b.selectTab(1);
    b.tick();
    EXPECT_FALSE(b.positionPending());
    EXPECT_EQ(b.searchPosition(), 0);
}

TEST(CatalogueRowStore, KeepsTextsIconsAndBlankRows)
{
    CatalogueRowStore store;
    store.append(CatalogueRow{{"恋の歌", "", "はじまり"}, 1});
    store.appendBlank(2);
    CatalogueRow huge{{std::string(70000, 'a') + "ｶ", "b", "c"}, 0};
    huge.texts[0].replace(65534, 3, "ｱ"); // a character across the cut
    store.append(huge);
    ASSERT_EQ(store.size(), 4u);
    EXPECT_EQ(store.text(0, 0), "恋の歌");
    EXPECT_EQ(store.text(0, 1), "");
    EXPECT_EQ(store.text(0, 2), "はじまり");
    EXPECT_EQ(store.icon(0), 1);
    EXPECT_TRUE(store.blank(1));
    EXPECT_EQ(store.text(2, 0), "");
    EXPECT_EQ(store.text(3, 0), std::string(65534, 'a')) << "cut before the character that does not fit";
    EXPECT_EQ(store.text(3, 1), "b");
    EXPECT_EQ(store.text(3, 2), "c");
    EXPECT_EQ(store.text(9, 0), "");
    EXPECT_TRUE(store.blank(9));
    store.append(CatalogueRow{{"x", "y", "z"}, -1}); // no icon, yet a song
    EXPECT_FALSE(store.blank(4));
    EXPECT_EQ(store.text(4, 2), "z");
    store.clear();
    EXPECT_EQ(store.size(), 0u);
}
