#include "common/Process.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace std::chrono_literals;

namespace {

std::filesystem::path freshFolder(const std::string& name)
{
    auto folder = std::filesystem::temp_directory_path() / ("kiro-process-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

} // namespace

TEST(Process, PassesArgumentsAndWorkingFolderAndExitCode)
{
    auto folder = freshFolder("args");
    // Arguments with blanks stay single arguments; the child runs in the folder.
    auto process = kiro::Process::start("/bin/sh", {"-c", "printf '%s|' \"$@\" > out.txt; pwd >> out.txt; exit 7", "sh", "a b", "-H0000001F"}, folder);
    ASSERT_TRUE(process.valid());
    EXPECT_EQ(process.wait(), 7);
    EXPECT_EQ(process.wait(), 7); // the code is kept after the wait
    std::ifstream in(folder / "out.txt");
    std::string line1, line2;
    std::getline(in, line1);
    EXPECT_EQ(line1, "a b|-H0000001F|" + std::filesystem::canonical(folder).string());
    std::filesystem::remove_all(folder);
}

TEST(Process, ReportsStartFailures)
{
    std::string error;
    auto missing = kiro::Process::start("/nonexistent/program", {}, {}, &error);
    EXPECT_FALSE(missing.valid());
    EXPECT_NE(error.find("/nonexistent/program"), std::string::npos);
    EXPECT_EQ(missing.wait(), -1);

    error.clear();
    auto badFolder = kiro::Process::start("/bin/true", {}, "/nonexistent/folder", &error);
    EXPECT_FALSE(badFolder.valid());
    EXPECT_NE(error.find("/nonexistent/folder"), std::string::npos);

    auto fromPath = kiro::Process::start("true", {});
    ASSERT_TRUE(fromPath.valid());
    EXPECT_EQ(fromPath.wait(), 0);
}

TEST(Process, WaitWhilePumpingCallsThePumpAndHonoursTheLimit)
{
    auto process = kiro::Process::start("/bin/sleep", {"0.3"});
    ASSERT_TRUE(process.valid());
    int pumps = 0;
    auto code = process.waitWhilePumping([&] { ++pumps; }, 10ms);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0);
    EXPECT_GT(pumps, 3);

    auto slow = kiro::Process::start("/bin/sleep", {"30"});
    ASSERT_TRUE(slow.valid());
    EXPECT_FALSE(slow.waitWhilePumping(nullptr, 10ms, 50ms).has_value());
    EXPECT_FALSE(slow.poll().has_value());
    slow.terminate();
    EXPECT_EQ(slow.wait(), 128 + SIGTERM);
}

TEST(Process, SetsPriorityOrToleratesRefusal)
{
    auto process = kiro::Process::start("/bin/sleep", {"5"});
    ASSERT_TRUE(process.valid());
    EXPECT_TRUE(process.setPriority(kiro::ProcessPriority::Idle)); // lowering is always allowed
    errno = 0;
    EXPECT_EQ(::getpriority(PRIO_PROCESS, static_cast<id_t>(process.id())), 19);
    bool raised = process.setPriority(kiro::ProcessPriority::High);
    if (raised) {
        EXPECT_EQ(::getpriority(PRIO_PROCESS, static_cast<id_t>(process.id())), -10);
    }
    process.terminate();
    process.wait();
    EXPECT_FALSE(process.setPriority(kiro::ProcessPriority::Normal)); // ended: nothing to change
}
