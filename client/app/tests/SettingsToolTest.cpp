#include "client/app/Scramble.h"
#include "client/app/Settings.h"
#include "client/app/SettingsTool.h"
#include "common/AtomicFile.h"
#include "common/tests/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sys/wait.h>
#include <sstream>

namespace fs = std::filesystem;
using namespace kiro::app;

namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun run(std::vector<std::string> args)
{
    std::ostringstream out, err;
    int status = runSettingsTool(args, out, err);
    return {status, out.str(), err.str()};
}

} // namespace

TEST(SettingsTool, ShowsEveryKeyAsLoadedOrTheGivenOnes)
{
    TempDir dir("tool");
    ASSERT_TRUE(kiro::writeFileAtomically(dir.path / kClientIni, "[Setup]\r\nBgmOff=0\r\n[ParsonalInfo]\r\nCardNo=" +
                                                                     ScrambleText("1234") + "\r\n")
                    .empty());
    ToolRun all = run({"--windir", dir.path.string(), "show"});
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(all.out.rfind("SetupIsOK=0\nMailToUserInfo=0\n", 0), 0u);
    EXPECT_NE(all.out.find("\nBgmOff=1\n"), std::string::npos);
    EXPECT_NE(all.out.find("\nCardNo=1234\n"), std::string::npos);
    EXPECT_NE(all.out.find("\nResChar=＞\n"), std::string::npos);
    EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '\n'), 88);

    ToolRun some = run({"--windir=" + dir.path.string(), "show", "BaudRate", "Forum"});
    EXPECT_EQ(some.status, 0);
    EXPECT_EQ(some.out, "BaudRate=9600\nForum=KIROFORM\n");
}

TEST(SettingsTool, SetSavesAndWritesKeysThatAreNotWrittenBack)
{
    TempDir dir("tool");
    ToolRun r = run({"--windir", dir.path.string(), "set", "ComPort=2", "NiftyPassWord=abc", "Forum=OTHERFRM",
                 "Name=山田"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string text = fileText(dir.path / kClientIni);
    EXPECT_NE(text.find("NiftyPassWord=DBD9F786896C26\r\n"), std::string::npos);
    EXPECT_NE(text.find("Forum=OTHERFRM\r\n"), std::string::npos);
    EXPECT_EQ(run({"--windir", dir.path.string(), "show", "ComPort", "NiftyPassWord", "Forum", "Name"}).out,
              "ComPort=2\nNiftyPassWord=abc\nForum=OTHERFRM\nName=山田\n");
}

TEST(SettingsTool, UnknownKeyOrBadValueChangesNothing)
{
    TempDir dir("tool");
    ASSERT_EQ(run({"--windir", dir.path.string(), "set", "ComPort=2"}).status, 0);
    std::string before = fileText(dir.path / kClientIni);
    ToolRun unknown = run({"--windir", dir.path.string(), "set", "ComPort=3", "NoSuchKey=1"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("NoSuchKey"), std::string::npos);
    EXPECT_EQ(run({"--windir", dir.path.string(), "set", "ComPort=abc"}).status, 2);
    EXPECT_EQ(run({"--windir", dir.path.string(), "set", "ComPort"}).status, 2);
    EXPECT_EQ(run({"--windir", dir.path.string(), "show", "Bogus"}).status, 2);
    EXPECT_EQ(run({"--windir", dir.path.string()}).status, 2);
    EXPECT_EQ(run({"frobnicate"}).status, 2);
    EXPECT_EQ(fileText(dir.path / kClientIni), before);
}

TEST(SettingsTool, ProgramHonoursKiroWindirAndTheOption)
{
    TempDir env("tool-env");
    TempDir opt("tool-opt");
    std::string tool = std::string(KIRO_BIN_DIR) + "/kiro-settings";
    std::string cmd = "KIRO_WINDIR='" + env.path.string() + "' " + tool + " set SetupIsOK=1 >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_TRUE(fs::exists(env.path / kClientIni));
    cmd = "KIRO_WINDIR='" + env.path.string() + "' " + tool + " --windir '" + opt.path.string() +
          "' set SetupIsOK=1 >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_TRUE(fs::exists(opt.path / kClientIni));
    cmd = tool + " --windir '" + opt.path.string() + "' set Nope=1 >/dev/null 2>&1";
    int status = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
}

TEST(SettingsTool, OutOfRangeValuesAndUndecodableFilesChangeNothing)
{
    TempDir dir("tool");
    ASSERT_EQ(run({"--windir", dir.path.string(), "set", "ComPort=5", "BaudRate=57600"}).status, 0);
    const std::string before = fileText(dir.path / kClientIni);
    for (const char* bad : {"ComPort=0", "ComPort=6", "BaudRate=1200", "BaudRate2=115200"}) {
        ToolRun r = run({"--windir", dir.path.string(), "set", bad});
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("must be"), std::string::npos) << r.err;
    }
    EXPECT_EQ(fileText(dir.path / kClientIni), before);

    // Saved by an editor as UTF-16: read as defaults, it would be overwritten.
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("[Setup]\r\nComPort=3\r\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    ASSERT_TRUE(kiro::writeFileAtomically(dir.path / kClientIni, utf16).empty());
    ToolRun r = run({"--windir", dir.path.string(), "set", "ComPort=2"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("UTF-16"), std::string::npos) << r.err;
    EXPECT_EQ(fileText(dir.path / kClientIni), utf16);

    ToolRun missing = run({"--windir", (dir.path / "nowhere").string(), "show"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("does not exist"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.path / "nowhere"));
}

TEST(SettingsTool, SetWritesOnlyTheKeysItNames)
{
    TempDir dir("tool");
    // BgmOff is forced on at every load; setting another key keeps the file's.
    ASSERT_TRUE(kiro::writeFileAtomically(dir.path / kClientIni, "[Setup]\r\nBgmOff=0\r\nComPort=1\r\n").empty());
    ASSERT_EQ(run({"--windir", dir.path.string(), "set", "ComPort=2"}).status, 0);
    const std::string text = fileText(dir.path / kClientIni);
    EXPECT_NE(text.find("BgmOff=0\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("ComPort=2\r\n"), std::string::npos) << text;
}
