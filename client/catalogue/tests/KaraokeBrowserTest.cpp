#include "SongBookFixture.h"

#include "client/catalogue/KaraokeBrowser.h"
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
    for (const char* tab : {"01", "05", "56", "99"}) {
        kiro::db::statements::CatalogueQuery q;
        q.tabCode = tab;
        q.indexKind = tab[0] == '5' ? 1 : 0;
        kiro::db::Recordset list(cat.db);
        list.open(kiro::db::statements::catalogueQueryStatement(q), kiro::db::Recordset::kReadOnly);
        const char* field = q.indexKind ? "商品名英語" : "商品名読み";
        std::vector<std::string> readings;
        for (; !list.isEOF(); list.moveNext())
            readings.push_back(kiro::db::FieldToText(list.fieldValue(field)));
        ASSERT_GT(readings.size(), 100u) << tab;
        ReadingPositionLookup lookup(cat.db, q);
        ReadingPositionLookup dense(cat.db, q, 3); // samples inside runs of equal readings
        while (!dense.sampleMore(50)) {
        }
        // Every prefix of every 7th reading, and texts that find nothing.
        std::vector<std::string> texts = {"ﾝﾝ", "zz", "ｦ"};
        for (size_t i = 0; i < readings.size(); i += 7)
            for (size_t n = 1; n <= readings[i].size() && n <= 12; ++n)
                texts.push_back(readings[i].substr(0, n));
        for (const std::string& text : texts) {
            long walked = -1;
            for (size_t i = 0; i < readings.size() && walked < 0; ++i)
                if (startsWithIgnoringAsciiCase(readings[i], text))
                    walked = static_cast<long>(i);
            for (ReadingPositionLookup* l : {&lookup, &dense}) {
                const auto hit = l->first(text);
                if (walked < 0)
                    EXPECT_FALSE(hit) << tab << " " << text;
                else
                    EXPECT_EQ(hit ? hit->position : -1, walked) << tab << " " << text;
            }
        }
    }
}
