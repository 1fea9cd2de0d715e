#include "ArchiveTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sys/wait.h>

namespace kiro::test {
namespace {

struct CliRun {
    int status;
    std::string output;
};

CliRun runCli(const std::string& arguments)
{
    std::string command = std::string(KIRO_BIN_DIR) + "/kiro-lzh " + arguments + " 2>&1";
    CliRun run{-1, {}};
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    std::array<char, 512> buffer;
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) {
        run.output += buffer.data();
    }
    int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

using KiroLzhCli = SharedLzhTest;

TEST_F(KiroLzhCli, ListsMembersWithMethodSizesAndOffset)
{
    CliRun run = runCli("l " + sharedLzh("jlha/gen_lh5_L2.lzh").string());
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("SONG.MID"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("VERYLONGFILEN"), std::string::npos);
    EXPECT_NE(run.output.find("-lh5-"), std::string::npos);
    EXPECT_NE(run.output.find("12000"), std::string::npos);
    EXPECT_NE(run.output.find("3 member(s)"), std::string::npos);
}

TEST_F(KiroLzhCli, ExtractExitsWithTheExtractorsResult)
{
    TempDir out;
    EXPECT_EQ(runCli("x " + sharedLzh("lhasa/lha213__lh5.lzh").string() + " " + out.path().string()).status, 0);
    EXPECT_EQ(out.fileNames(), std::vector<std::string>{"GPL-2"});
    EXPECT_EQ(runCli("x " + sharedLzh("lhasa/lha_unix114i__h1_lh6.lzh").string() + " " + out.path().string()).status,
              2);
    EXPECT_EQ(runCli("x " + sharedLzh("synthetic/nomember.lzh").string() + " " + out.path().string()).status, 1);
    EXPECT_EQ(runCli("q").status, 64);
}

TEST(KiroLzhCliMessages, HelpMissingFolderAndTheFailingMembersReason)
{
    CliRun help = runCli("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("usage: kiro-lzh"), std::string::npos);

    TempDir work;
    CraftedMember bad = crafted("song.mid", "notes");
    bad.crc = 0x1234;
    writeBytes(work.path() / "a.lzh", craftArchive({crafted("a.txt", "ok"), bad}));
    const std::filesystem::path destination = work.path() / "new" / "folder";
    CliRun run = runCli("x " + (work.path() / "a.lzh").string() + " " + destination.string());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("SONG.MID: CRC-16 mismatch"), std::string::npos) << run.output;
    EXPECT_TRUE(std::filesystem::exists(destination / "A.TXT")) << "the missing folder is created";

    run = runCli("x " + (work.path() / "none.lzh").string() + " " + destination.string());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("cannot read the archive"), std::string::npos) << run.output;
}

} // namespace
} // namespace kiro::test
