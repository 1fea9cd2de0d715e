#include "client/catalogue/CatalogueTables.h"
#include "client/catalogue/SearchKeyboardLayout.h"
#include "client/catalogue/SearchMemo.h"

#include <gtest/gtest.h>

using namespace kiro::catalogue;

TEST(CatalogueTables, FirstCharacterPicksTheTab)
{
    EXPECT_EQ(firstCharTab("ﾊﾅ"), 5);
    EXPECT_EQ(firstCharTab("ｧ"), 0);
    EXPECT_EQ(firstCharTab("ｮ"), 7);
    EXPECT_EQ(firstCharTab("ｦ"), 9);
    EXPECT_EQ(firstCharTab("c"), 10);
    EXPECT_EQ(firstCharTab("Zed"), 17);
    EXPECT_EQ(firstCharTab("Ａ"), kOtherTab) << "full-width letters are 他";
    EXPECT_EQ(firstCharTab("１"), kOtherTab);
    EXPECT_EQ(firstCharTab("9"), kOtherTab);
    EXPECT_EQ(firstCharTab("ﾞ"), kOtherTab);
    EXPECT_EQ(firstCharTab(""), -1);
}

TEST(CatalogueTables, WidthsIconsCaptionsAndLimits)
{
    EXPECT_EQ(columnWidths(100, {3, 2, 2}), (std::vector<int>{42, 28, 30}));
    EXPECT_EQ(columnWidths(90, {5, 4}), (std::vector<int>{50, 40}));
    EXPECT_EQ(rowIcon(50, 1, 2), 6);
    EXPECT_EQ(rowIcon(50, 0, 1), 3);
    EXPECT_EQ(rowIcon(50, 0, 0), 1);
    EXPECT_EQ(rowIcon(10, 1, 0), 1);
    EXPECT_STREQ(linkFilterCaption(nextLinkFilter(2)), "全部表示");
    EXPECT_EQ(listHeaders(10, 1, 1), (std::array<std::string, 3>{"アーティスト", "曲名", "歌いだし"}));
    // Fifteen bytes of code page 932: half-width katakana are one byte, kanji two.
    EXPECT_EQ(fitCp932Bytes("ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀ", 15), "ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿ");
    EXPECT_EQ(fitCp932Bytes("一二三四五六七八", 15), "一二三四五六七");
    EXPECT_EQ(commonPrefixBytes("ｱｲ", "ｱｳ"), 3u);
    EXPECT_TRUE(startsWithIgnoringAsciiCase("Don't Stop", "DON'"));
    EXPECT_FALSE(startsWithIgnoringAsciiCase("ｱｲ", "ｱｲｳ"));
}

TEST(SearchKeyboardLayout, ClickRegions)
{
    SearchKeyboardLayout k;
    using A = SearchKeyboardLayout::Action;
    EXPECT_STREQ(k.bitmapName(), "KB-J.bmp");
    auto hit = k.hitTest(1, 1);
    EXPECT_EQ(hit.action, A::Character);
    EXPECT_EQ(hit.character, "ｱ");
    EXPECT_EQ(k.hitTest(140, 336).character, "ｰ");
    EXPECT_EQ(k.hitTest(29 + 28, 29).character, "ｸ") << "row 1, column 2";
    EXPECT_EQ(k.hitTest(1, 337).action, A::CursorLeft);
    EXPECT_EQ(k.hitTest(40, 393).action, A::Backspace);
    EXPECT_EQ(k.hitTest(84, 350).action, A::CursorRight);
    EXPECT_EQ(k.hitTest(85, 337).character, " ");
    EXPECT_EQ(k.hitTest(140, 393).action, A::SwitchLayout);
    EXPECT_EQ(k.hitTest(0, 0).action, A::None);
    EXPECT_EQ(k.hitTest(141, 10).action, A::None);
    k.switchLayout();
    EXPECT_STREQ(k.bitmapName(), "KB-E.bmp");
    EXPECT_EQ(k.hitTest(1, 1).character, "A");
    EXPECT_EQ(k.hitTest(120, 5 * 28 + 2).character, "\"");
    EXPECT_EQ(k.hitTest(120, 11 * 28 + 2).character, "`");
    EXPECT_EQ(k.hitTest(30, 11 * 28 + 2).character, " ");
}

TEST(SearchMemo, ExactPrefixAndRecordRules)
{
    SearchMemo m;
    EXPECT_FALSE(m.exact("ｱ"));
    m.record("ｱ", 10);
    m.record("ｱｲ", 12);
    m.record("ｱｲｳ", 15);
    EXPECT_EQ(m.exact("ｱｲｳ"), 15);
    EXPECT_EQ(m.exact("ｱｲ"), 12) << "deleting goes back without a search";
    EXPECT_EQ(m.exact("ｱ"), 10);
    EXPECT_FALSE(m.exact("ｱｲｳｴ")) << "longer than the text";
    EXPECT_FALSE(m.exact("ｱｵ"));
    EXPECT_EQ(m.longestPrefix("ｱｲｵ"), 12);
    EXPECT_FALSE(m.longestPrefix("ｶ"));
    // A shorter text cuts the stack back; its successor is pushed.
    m.record("ｱｵ", 20);
    EXPECT_EQ(m.text(), "ｱｵ");
    EXPECT_EQ(m.exact("ｱ"), 10);
    EXPECT_FALSE(m.exact("ｱｲ"));
    m.record("ｶ", 30);
    EXPECT_EQ(m.exact("ｶ"), 30);
    EXPECT_FALSE(m.exact("ｱ")) << "a new start forgets the old text";
    m.clear();
    EXPECT_TRUE(m.empty());
}
