#include "player/CommandLine.h"

#include <gtest/gtest.h>

using namespace kiro::player;

TEST(CommandLine, TokensOptionsAndPassOn)
{
    // The client's form: path, then " -quser" or nothing, then the window.
    const auto full = parseCommandLine("  C:\\KIRO\\KARAOKE\\A.KRD -quser -H0000001F");
    EXPECT_EQ(full.krdPath, "C:\\KIRO\\KARAOKE\\A.KRD");
    EXPECT_TRUE(full.userPictures);
    EXPECT_EQ(full.passOn, "-H0000001F");

    const auto lower = parseCommandLine("/k/A.KRD -h00ABCDEF");
    EXPECT_FALSE(lower.userPictures);
    EXPECT_EQ(lower.passOn, "-h00ABCDEF");

    // "-quser" is case-sensitive; other tokens are ignored; a fourth token
    // is never read; a line feed ends the line.
    const auto odd = parseCommandLine("/k/A.KRD -QUSER -x -H1");
    EXPECT_FALSE(odd.userPictures);
    EXPECT_EQ(odd.option2, "-x");
    EXPECT_EQ(odd.passOn, "");
    EXPECT_EQ(parseCommandLine("/k/A.KRD\n-quser").userPictures, false);
    EXPECT_EQ(parseCommandLine("   ").krdPath, "");
    EXPECT_EQ(parseCommandLine("").krdPath, "");

    // Options live in 15 characters.
    EXPECT_EQ(parseCommandLine("a -H0123456789ABCDEFG").passOn, "-H0123456789ABC");

    // From an argument vector a path may hold blanks.
    const auto vector = parseArguments({"/home/me/My Songs/A.KRD", "-H00000001", "-quser", "-hlater"});
    EXPECT_EQ(vector.krdPath, "/home/me/My Songs/A.KRD");
    EXPECT_TRUE(vector.userPictures);
    EXPECT_EQ(vector.passOn, "-H00000001");
    EXPECT_EQ(parseArguments({}).krdPath, "");
}
