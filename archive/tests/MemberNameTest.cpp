#include "archive/LzhName.h"

#include <gtest/gtest.h>

namespace kiro::lzh {
namespace {

TEST(MemberName, UpperCasedLastComponentCutTo13Bytes)
{
    EXPECT_EQ(memberFileName("song.mid"), "SONG.MID");
    EXPECT_EQ(memberFileName("KARAOKE\\SONG.MID"), "SONG.MID");
    EXPECT_EQ(memberFileName("dir/sub/lyrics.txt"), "LYRICS.TXT");
    EXPECT_EQ(memberFileName("VeryLongFileName.dat"), "VERYLONGFILEN");
    EXPECT_EQ(memberFileName(std::string("metadata.txt\0comment/x", 22)), "METADATA.TXT");
}

TEST(MemberName, UnsafeNamesAreRefused)
{
    for (const char* name : {"", ".", "..", "../", "a/..", "..\\..", "/", "dir\\", "\\\\"}) {
        EXPECT_EQ(memberFileName(name), "") << name;
    }
    EXPECT_EQ(memberFileName("../../etc/passwd"), "PASSWD");
    EXPECT_EQ(memberFileName("/abs/x.mid"), "X.MID");
    EXPECT_EQ(memberFileName("..."), "...");
}

TEST(MemberName, DoubleByteCharactersStayWhole)
{
    // "表" is 0x95 0x5C in code page 932: its second byte is not a folder
    // separator, and "ａ" (0x82 0x81) is not upper-cased.
    EXPECT_EQ(memberFileName("\x95\x5C.mid"), "表.MID");
    EXPECT_EQ(memberFileName("\x82\x81"), "ａ");
    // Seven double-byte characters are 14 bytes: the seventh does not fit.
    EXPECT_EQ(memberFileName("\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8\x82\xA9\x82\xAB"), "あいうえおか");
    // A lead byte before '/' is no character: the '/' still separates.
    EXPECT_EQ(memberFileName("\x82/x"), "X");
}

} // namespace
} // namespace kiro::lzh
