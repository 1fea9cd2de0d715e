#include "common/Cp932.h"

#include <gtest/gtest.h>

using namespace kiro::cp932;

TEST(Cp932, RoundTripsJapaneseAndAscii)
{
    const std::string utf8 = "通信カラオケKIROLite ｱｲｳ";
    auto sjis = tryFromUtf8(utf8);
    ASSERT_TRUE(sjis);
    // 通 is 0x92 0xCA in code page 932; half-width katakana are single bytes.
    EXPECT_EQ(static_cast<unsigned char>((*sjis)[0]), 0x92);
    EXPECT_EQ(static_cast<unsigned char>((*sjis)[1]), 0xCA);
    EXPECT_EQ(sjis->size(), 2u * 6 + 8 + 1 + 3);
    EXPECT_EQ(tryToUtf8(*sjis).value(), utf8);
}

TEST(Cp932, MicrosoftSpecificCharacters)
{
    // The full-width tilde and the circled digits exist in CP932 only.
    auto sjis = tryFromUtf8("～①");
    ASSERT_TRUE(sjis);
    EXPECT_EQ(*sjis, "\x81\x60\x87\x40");
}

TEST(Cp932, LeadBytesAndDoubleByteDetection)
{
    EXPECT_TRUE(isLeadByte(0x81));
    EXPECT_TRUE(isLeadByte(0x9F));
    EXPECT_TRUE(isLeadByte(0xE0));
    EXPECT_TRUE(isLeadByte(0xFC));
    EXPECT_FALSE(isLeadByte(0x80));
    EXPECT_FALSE(isLeadByte(0xA0));
    EXPECT_FALSE(isLeadByte(0xB1)); // half-width katakana
    EXPECT_FALSE(isLeadByte('A'));
    EXPECT_FALSE(holdsDoubleByte("ABC\xB1"));
    EXPECT_TRUE(holdsDoubleByte("A\x82\xA0"));
    // A lone lead byte at the end is no character.
    EXPECT_FALSE(holdsDoubleByte("A\x82"));
}

TEST(Cp932, BadInputIsRefusedStrictlyAndReplacedLeniently)
{
    EXPECT_FALSE(tryToUtf8("A\x82"));         // cut in the middle of a character
    EXPECT_FALSE(tryFromUtf8("\xFF\xFE"));    // not UTF-8
    EXPECT_FALSE(tryFromUtf8("\xF0\x9F\x8E\xA4")); // no such character in CP932
    EXPECT_EQ(toUtf8("A\x82"), "A?");
    EXPECT_EQ(fromUtf8("a\xF0\x9F\x8E\xA4z"), "a?z");
}
