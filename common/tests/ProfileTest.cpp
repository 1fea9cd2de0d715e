#include "common/Profile.h"
#include "common/AtomicFile.h"
#include "common/tests/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace fs = std::filesystem;
namespace profile = kiro::profile;

TEST(Profile, MissingFileSectionOrKeyGivesDefaults)
{
    TempDir dir("ini");
    fs::path file = dir.path / "none.ini";
    EXPECT_EQ(profile::getInt("Setup", "ComPort", 1, file), 1);
    EXPECT_EQ(profile::getString("Setup", "ModemInit", "AT", file), "AT");
    ASSERT_TRUE(kiro::writeFileAtomically(file, "[Setup]\r\nOther=5\r\n").empty());
    EXPECT_EQ(profile::getInt("Setup", "ComPort", 7, file), 7);
    EXPECT_EQ(profile::getInt("Nope", "Other", 7, file), 7);
}

TEST(Profile, ReadsWithWindowsRules)
{
    TempDir dir("ini");
    fs::path file = dir.path / "a.ini";
    ASSERT_TRUE(kiro::writeFileAtomically(file,
                                          "; comment\r\n"
                                          "[setup]\r\n"
                                          "  comport = 3 \r\n"
                                          "ComPort=9\r\n"
                                          "Neg=-1\r\n"
                                          "Trail=12abc\r\n"
                                          "Word=abc\r\n"
                                          "Empty=\r\n"
                                          "Hex=0x1F\r\n"
                                          "Huge=99999999999\r\n"
                                          "Quoted=\"  spaced  \"\r\n"
                                          "[SETUP]\r\n"
                                          "Later=1\r\n")
                    .empty());
    EXPECT_EQ(profile::getInt("Setup", "ComPort", 0, file), 3) << "first match wins, names fold case";
    EXPECT_EQ(profile::getInt("Setup", "Neg", 0, file), -1);
    EXPECT_EQ(profile::getInt("Setup", "Trail", 0, file), 12);
    EXPECT_EQ(profile::getInt("Setup", "Word", 5, file), 0);
    EXPECT_EQ(profile::getInt("Setup", "Empty", 5, file), 5);
    EXPECT_EQ(profile::getInt("Setup", "Hex", 0, file), 31);
    EXPECT_EQ(profile::getInt("Setup", "Huge", 5, file), 5);
    EXPECT_EQ(profile::getString("Setup", "Quoted", "", file), "  spaced  ");
    EXPECT_EQ(profile::getString("Setup", "Empty", "dflt", file), "");
    EXPECT_EQ(profile::getInt("Setup", "Later", 0, file), 0) << "a repeated section is not searched";
}

TEST(Profile, WritingKeepsEverythingElseAndUsesCp932Crlf)
{
    TempDir dir("ini");
    fs::path file = dir.path / "KIROL.INI";
    ASSERT_TRUE(profile::writeString("Setup", "ComPort", "2", file));
    EXPECT_EQ(fileText(file), "[Setup]\r\nComPort=2\r\n");

    ASSERT_TRUE(profile::writeString("ParsonalInfo", "Name", "氏名未登録", file));
    ASSERT_TRUE(profile::writeString("setup", "BaudRate", "9600", file));
    ASSERT_TRUE(profile::writeString("SETUP", "comport", "4", file));
    EXPECT_EQ(fileText(file), "[Setup]\r\nComPort=4\r\nBaudRate=9600\r\n\r\n[ParsonalInfo]\r\n"
                              "Name=\x8E\x81\x96\xBC\x96\xA2\x93\x6F\x98\x5E\r\n");
    EXPECT_EQ(profile::getString("ParsonalInfo", "name", "", file), "氏名未登録");

    // Text without a CP932 form is refused and the file stays as it was.
    std::string before = fileText(file);
    EXPECT_FALSE(profile::writeString("Setup", "X", "\xF0\x9F\x98\x80", file));
    EXPECT_FALSE(profile::writeString("Setup", "X", "a\nb", file));
    EXPECT_EQ(fileText(file), before);

    EXPECT_TRUE(profile::deleteKey("Setup", "BaudRate", file));
    EXPECT_EQ(profile::getString("Setup", "BaudRate", "none", file), "none");
    EXPECT_TRUE(profile::deleteSection("setup", file));
    EXPECT_EQ(fileText(file), "[ParsonalInfo]\r\nName=\x8E\x81\x96\xBC\x96\xA2\x93\x6F\x98\x5E\r\n");
}

TEST(Profile, DoubleByteNamesCompareExactlyAndUtf8FilesAreRead)
{
    TempDir dir("ini");
    fs::path file = dir.path / "b.ini";
    // 0x83 0x41 is "ア": its trail byte is 'A' and must not fold to 'a'.
    ASSERT_TRUE(kiro::writeFileAtomically(file, "[S]\r\n\x83\x41=1\r\n").empty());
    EXPECT_EQ(profile::getInt("S", "ア", 0, file), 1);
    EXPECT_EQ(profile::getInt("S", "\x83\x61", 0, file), 0);

    fs::path utf8 = dir.path / "u.ini";
    ASSERT_TRUE(kiro::writeFileAtomically(utf8, "[Setup]\nResChar=＞\n").empty());
    EXPECT_EQ(profile::getString("Setup", "ResChar", "", utf8), "＞");
    ASSERT_TRUE(profile::writeString("Setup", "X", "1", utf8));
    EXPECT_EQ(fileText(utf8), "[Setup]\r\nResChar=\x81\x84\r\nX=1\r\n") << "rewritten as CP932";
}

TEST(Profile, BareFileNameLivesInTheWindowsDirectory)
{
    TempDir dir("ini");
    setenv("KIRO_WINDIR", dir.path.c_str(), 1);
    EXPECT_EQ(profile::resolve("KIRO.INI"), dir.path / "KIRO.INI");
    ASSERT_TRUE(profile::writeString("KiroIF", "KiroDirectry", "/opt/kiro", "KIRO.INI"));
    EXPECT_TRUE(fs::exists(dir.path / "KIRO.INI"));
    unsetenv("KIRO_WINDIR");
}

TEST(Profile, BatchChangesAreWrittenOnce)
{
    TempDir dir("ini");
    fs::path file = dir.path / "c.ini";
    profile::ProfileFile ini(file);
    ASSERT_TRUE(ini.setInt("Setup", "A", -5));
    ASSERT_TRUE(ini.setString("Setup", "B", "x"));
    EXPECT_FALSE(fs::exists(file));
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(ini.keys("setup"), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(profile::ProfileFile(file).getInt("Setup", "A", 0), -5);
    EXPECT_EQ(profile::ProfileFile(file).sections(), std::vector<std::string>{"Setup"});
}

TEST(Profile, ByteOrderMarkedUtf8FileIsRead)
{
    TempDir dir("ini");
    fs::path file = dir.path / "bom.ini";
    ASSERT_TRUE(kiro::writeFileAtomically(file, "\xEF\xBB\xBF[Setup]\nComPort=3\n").empty());
    EXPECT_EQ(profile::getInt("Setup", "ComPort", 1, file), 3);
}

TEST(Profile, UnreadableFileIsNeverReplaced)
{
    TempDir dir("ini");
    fs::path file = dir.path / "locked.ini";
    ASSERT_TRUE(kiro::writeFileAtomically(file, "[S]\r\nK=1\r\n").empty());
    fs::permissions(file, fs::perms::none);
    if (::access(file.c_str(), R_OK) == 0)
        GTEST_SKIP() << "running with privileges that read any file";
    EXPECT_FALSE(profile::writeString("S", "Other", "2", file));
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(profile::getInt("S", "K", 0, file), 1);
    EXPECT_EQ(profile::getInt("S", "Other", 0, file), 0);
}
