// drvclean: its command line, the changes to system.ini and wininit.ini in a
// temporary Windows folder, the question, and the real program.
#include "common/AtomicFile.h"
#include "common/MessageBoxes.h"
#include "common/tests/ShellRun.h"
#include "common/tests/TempDir.h"
#include "tools/drvclean/DriverCleanup.h"
#include "tools/drvclean/DrvClean.h"
#include "tools/drvclean/DrvCleanCommand.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace kiro::drvclean;

namespace {

// A Windows directory with its system folder.
struct Folder : TempDir {
    explicit Folder(const std::string& tag) : TempDir("drvclean-" + tag) { fs::create_directories(path / "system"); }
};

void writeText(const fs::path& file, const std::string& text)
{
    ASSERT_TRUE(kiro::writeFileAtomically(file, text).empty());
}

class RecordingBoxes final : public kiro::MessageBoxes {
public:
    explicit RecordingBoxes(kiro::ButtonAnswer answer) : m_answer(answer) {}
    void showBox(const std::string& text, const std::string& title, kiro::BoxIcon icon) override
    {
        shown.push_back(title + ": " + text);
        icons.push_back(icon);
    }
    kiro::ButtonAnswer askYesNo(const std::string& text, const std::string& title) override
    {
        shown.push_back(title + "? " + text);
        icons.push_back(kiro::BoxIcon::Question);
        return m_answer;
    }
    std::vector<std::string> shown;
    std::vector<kiro::BoxIcon> icons;

private:
    kiro::ButtonAnswer m_answer;
};

const char kSystemIni[] = "[boot]\r\n"
                          "drivers=mmsystem.dll\r\n"
                          "[Drivers]\r\n"
                          "midi=lsg.drv\r\n"
                          "midi1=LSG.DRV\r\n"
                          "midi2=vsmid_at.drv\r\n"
                          "wave=vsmid_98.drv \r\n"
                          "timer=timer.drv\r\n"
                          "[386enh]\r\n"
                          "device=*vpicd\r\n"
                          "DEVICE=vlsg.vxd\r\n"
                          "device=VLSG.VXD.OLD\r\n"
                          "keyboard=*vkd\r\n";

struct CleanRun {
    Folder windows;
    RecordingBoxes boxes;
    std::vector<std::pair<std::string, std::vector<std::string>>> started;
    bool startWorks = true;

    CleanRun(const std::string& tag, kiro::ButtonAnswer answer) : windows(tag), boxes(answer) {}

    int operator()(const std::string& line)
    {
        DrvCleanSetup setup;
        setup.boxes = &boxes;
        setup.windowsFolder = windows.path;
        setup.systemFolder = windows.path / "system";
        setup.start = [this](const std::string& program, const std::vector<std::string>& arguments, std::string&) {
            started.emplace_back(program, arguments);
            return startWorks;
        };
        return runDrvClean(line, setup);
    }
};

} // namespace

TEST(DrvCleanCommand, SplitsFlagsPathAndParameters)
{
    auto both = parseCommandLine("SC[/opt/kiro/uninstall -fkiro.log]");
    ASSERT_TRUE(both);
    EXPECT_TRUE(both->setS);
    EXPECT_TRUE(both->setC);
    EXPECT_EQ(both->uninstaller, "/opt/kiro/uninstall");
    EXPECT_EQ(both->parameters, "-fkiro.log");

    // Lower-case letters and anything else before the bracket are ignored.
    auto other = parseCommandLine("xs c -C[/opt/my uninstall/run -fa.log -y]");
    ASSERT_TRUE(other);
    EXPECT_FALSE(other->setS);
    EXPECT_TRUE(other->setC);
    EXPECT_EQ(other->uninstaller, "/opt/my uninstall/run");
    EXPECT_EQ(other->parameters, "-fa.log -y");
    EXPECT_EQ(splitParameters(other->parameters), (std::vector<std::string>{"-fa.log", "-y"}));
    EXPECT_EQ(splitParameters("-f\"my log.txt\"  -q"), (std::vector<std::string>{"-fmy log.txt", "-q"}));

    // The first "-f" starts the parameters, even inside the path, and the
    // character before it is dropped whatever it is.
    auto early = parseCommandLine("[/opt/un-fix/u -fx]");
    ASSERT_TRUE(early);
    EXPECT_EQ(early->uninstaller, "/opt/u");
    EXPECT_EQ(early->parameters, "-fix/u -fx");

    for (const char* broken : {"", "SC", "SC/opt/u -fx", "SC[/opt/u -fx", "SC[/opt/u -fx] more", "SC[/opt/u x]",
                               "SC[-fx]", "SC[ -fx]", "SC]/opt/u -fx["})
        EXPECT_FALSE(parseCommandLine(broken)) << broken;
}

TEST(DrvCleanCommand, SeparateArgumentsMeanTheSameLine)
{
    EXPECT_EQ(joinArguments({"SC", "[/opt/kiro/uninstall", "-fkiro.log]"}), "SC [/opt/kiro/uninstall -fkiro.log]");
    auto split = parseCommandLine(joinArguments({"SC", "[/opt/kiro/uninstall", "-fkiro.log]"}));
    auto single = parseCommandLine(joinArguments({"SC[/opt/kiro/uninstall -fkiro.log]"}));
    ASSERT_TRUE(split && single);
    EXPECT_EQ(split->uninstaller, single->uninstaller);
    EXPECT_EQ(split->parameters, single->parameters);
    EXPECT_EQ(split->setS, single->setS);
    EXPECT_EQ(split->setC, single->setC);
}

TEST(DrvClean, RemovesBothSetsWithTheirCaseRules)
{
    CleanRun run("both", kiro::ButtonAnswer::First);
    writeText(run.windows.path / "system.ini", kSystemIni);
    EXPECT_EQ(run("SC[/opt/kiro/uninstall -fkiro.log]"), 0);

    // [drivers] values compare exactly ("LSG.DRV" stays, a trailing blank
    // does not count); the device line goes in any case, its look-alike stays.
    EXPECT_EQ(fileText(run.windows.path / "system.ini"), "[boot]\r\n"
                                                         "drivers=mmsystem.dll\r\n"
                                                         "[Drivers]\r\n"
                                                         "midi1=LSG.DRV\r\n"
                                                         "timer=timer.drv\r\n"
                                                         "[386enh]\r\n"
                                                         "device=*vpicd\r\n"
                                                         "device=VLSG.VXD.OLD\r\n"
                                                         "keyboard=*vkd\r\n");
    const std::string system = (run.windows.path / "system").string();
    EXPECT_EQ(fileText(run.windows.path / "wininit.ini"), "[rename]\r\n"
                                                          "NUL=" + system + "/vsmid_at.drv\r\n"
                                                          "NUL=" + system + "/vsmid_98.drv\r\n"
                                                          "NUL=" + system + "/lsg.drv\r\n"
                                                          "NUL=" + system + "/VLSG.VXD\r\n"
                                                          "NUL=" + system + "/romsxgm.bin\r\n");
    EXPECT_EQ(run.boxes.shown, (std::vector<std::string>{"質問? " + std::string(kAskRemoval),
                                                         "情報: " + std::string(kRestartNeeded)}));
    EXPECT_EQ(run.boxes.icons[1], kiro::BoxIcon::Information);
    ASSERT_EQ(run.started.size(), 1u);
    EXPECT_EQ(run.started[0].first, "/opt/kiro/uninstall");
    EXPECT_EQ(run.started[0].second, std::vector<std::string>{"-fkiro.log"});
}

TEST(DrvClean, SchedulingTwiceAddsTwoLinesAfterTheExistingOnes)
{
    CleanRun run("twice", kiro::ButtonAnswer::First);
    writeText(run.windows.path / "WININIT.INI", "[Rename]\r\nNUL=C:\\WINDOWS\\old.drv\r\n\r\n[other]\r\na=b\r\n");
    EXPECT_EQ(run("C[/u -f1]"), 0);
    EXPECT_EQ(run("C[/u -f1]"), 0);
    const std::string system = (run.windows.path / "system").string();
    std::string expected = "[Rename]\r\nNUL=C:\\WINDOWS\\old.drv\r\n";
    for (int i = 0; i < 2; ++i)
        for (const char* file : {"lsg.drv", "VLSG.VXD", "romsxgm.bin"})
            expected += "NUL=" + system + "/" + file + "\r\n";
    expected += "\r\n[other]\r\na=b\r\n";
    EXPECT_EQ(fileText(run.windows.path / "WININIT.INI"), expected);
    EXPECT_FALSE(fs::exists(run.windows.path / "wininit.ini")); // the file as the folder spells it
    // Set S was not asked for: its entries stay.
    EXPECT_EQ(expected.find("vsmid"), std::string::npos);
}

TEST(DrvClean, LongDeviceSectionKeepsEveryOtherLine)
{
    CleanRun run("long", kiro::ButtonAnswer::First);
    std::string ini = "[386Enh]\r\n";
    std::string expected = ini;
    for (int i = 0; i < 600; ++i) {
        std::string line = "device=C:\\WINDOWS\\SYSTEM\\driver" + std::to_string(i) + ".386";
        ini += line + "\r\n";
        expected += line + "\r\n";
        if (i == 300)
            ini += "device=VLSG.VXD\r\n";
    }
    ini += "[drivers]\r\n";
    expected += "[drivers]\r\n";
    for (int i = 0; i < 200; ++i) {
        ini += "midi" + std::to_string(i) + "=other" + std::to_string(i) + ".drv\r\n";
        expected += "midi" + std::to_string(i) + "=other" + std::to_string(i) + ".drv\r\n";
    }
    ini += "wave=lsg.drv\r\n"; // beyond the first 1,024 bytes of key names
    writeText(run.windows.path / "system.ini", ini);
    EXPECT_EQ(run("C[/u -fx]"), 0);
    EXPECT_EQ(fileText(run.windows.path / "system.ini"), expected);
}

TEST(DrvClean, NoFlagsOnlyStartsTheUninstaller)
{
    CleanRun run("noflags", kiro::ButtonAnswer::First);
    writeText(run.windows.path / "system.ini", kSystemIni);
    EXPECT_EQ(run("[/opt/kiro/uninstall -fkiro.log -q]"), 0);
    EXPECT_TRUE(run.boxes.shown.empty());
    EXPECT_EQ(fileText(run.windows.path / "system.ini"), kSystemIni);
    EXPECT_FALSE(fs::exists(run.windows.path / "wininit.ini"));
    ASSERT_EQ(run.started.size(), 1u);
    EXPECT_EQ(run.started[0].second, (std::vector<std::string>{"-fkiro.log", "-q"}));
}

TEST(DrvClean, AnsweringNoChangesNothingAndStartsNothing)
{
    CleanRun run("no", kiro::ButtonAnswer::Second);
    writeText(run.windows.path / "system.ini", kSystemIni);
    EXPECT_EQ(run("SC[/opt/kiro/uninstall -fkiro.log]"), 0);
    EXPECT_EQ(run.boxes.shown, std::vector<std::string>{"質問? " + std::string(kAskRemoval)});
    EXPECT_EQ(fileText(run.windows.path / "system.ini"), kSystemIni);
    EXPECT_FALSE(fs::exists(run.windows.path / "wininit.ini"));
    EXPECT_TRUE(run.started.empty());
}

TEST(DrvClean, BrokenLineAndFailedStartAreReported)
{
    CleanRun run("broken", kiro::ButtonAnswer::First);
    writeText(run.windows.path / "system.ini", kSystemIni);
    EXPECT_EQ(run("SC[/opt/kiro/uninstall kiro.log]"), 1);
    EXPECT_EQ(run.boxes.shown, std::vector<std::string>{"エラー: " + std::string(kBrokenInfo)});
    EXPECT_EQ(run.boxes.icons[0], kiro::BoxIcon::Error);
    EXPECT_EQ(fileText(run.windows.path / "system.ini"), kSystemIni);
    EXPECT_TRUE(run.started.empty());

    run.boxes.shown.clear();
    run.startWorks = false;
    EXPECT_EQ(run("[/nowhere/uninstall -fkiro.log]"), 1);
    EXPECT_EQ(run.boxes.shown, std::vector<std::string>{"エラー: " + std::string(kStartFailed)});
}

TEST(DrvCleanProgram, AnswersOnStandardInputAndStartsWithoutWaiting)
{
    Folder windows("program");
    writeText(windows.path / "system.ini", kSystemIni);
    const fs::path uninstaller = windows.path / "uninstall.sh";
    const fs::path marker = windows.path / "started.txt";
    // The uninstaller outlives drvclean: it writes its arguments a little later.
    writeText(uninstaller, "#!/bin/sh\nsleep 0.3\necho \"$@\" > '" + marker.string() + "'\n");
    fs::permissions(uninstaller, fs::perms::owner_all);
    const std::string env = "KIRO_MESSAGES=stderr KIRO_WINDIR='" + windows.path.string() + "' ";
    const std::string program = "'" KIRO_BIN_DIR "/drvclean'";

    const auto begin = std::chrono::steady_clock::now();
    ShellOutcome yes = runShell("echo はい | " + env + program + " SC '[" + uninstaller.string() + "' '-fkiro.log]' 2>&1");
    EXPECT_EQ(yes.status, 0) << yes.output;
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(3000));
    EXPECT_NE(yes.output.find("質問: ドライバーの削除を行いますか？ [y=はい/n=いいえ]"), std::string::npos) << yes.output;
    EXPECT_NE(yes.output.find("情報: ドライバーの削除を行うためには"), std::string::npos) << yes.output;
    EXPECT_EQ(fileText(windows.path / "system.ini").find("lsg.drv\r\n"), std::string::npos);
    for (int i = 0; i < 100 && !fs::exists(marker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(fileText(marker), "-fkiro.log\n");

    // End of input answers no; a broken line is status 1.
    writeText(windows.path / "system.ini", kSystemIni);
    ShellOutcome none = runShell(env + program + " 'SC[" + uninstaller.string() + " -fkiro.log]' < /dev/null 2>&1");
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(fileText(windows.path / "system.ini"), kSystemIni);
    ShellOutcome broken = runShell(env + program + " '[" + uninstaller.string() + "]' < /dev/null 2>&1");
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.output.find("エラー: アンインストール情報が壊れています"), std::string::npos) << broken.output;
    ShellOutcome missing = runShell(env + program + " '[/nowhere/uninstall -fx]' < /dev/null 2>&1");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("エラー: アンインストーラーの起動中にエラーが発生しました"), std::string::npos);
}
