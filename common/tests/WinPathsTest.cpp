#include "common/WinPaths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>

namespace fs = std::filesystem;
using namespace kiro::winpaths;

TEST(WinPaths, WindowsDirectoryFromEnvironmentIsCreated)
{
    fs::path base = fs::temp_directory_path() / ("kiro-winpaths-" + std::to_string(::getpid()));
    fs::remove_all(base);
    setenv("KIRO_WINDIR", (base / "win").c_str(), 1);
    EXPECT_EQ(windowsDirectory(), base / "win");
    EXPECT_TRUE(fs::is_directory(base / "win"));
    EXPECT_EQ(systemDirectory(), base / "win" / "system");
    EXPECT_TRUE(fs::is_directory(base / "win" / "system"));

    unsetenv("KIRO_WINDIR");
    setenv("XDG_CONFIG_HOME", (base / "cfg").c_str(), 1);
    EXPECT_EQ(windowsDirectory(), base / "cfg" / "kiro" / "windows");
    unsetenv("XDG_CONFIG_HOME");
    fs::remove_all(base);
}

TEST(WinPaths, TemporaryDirectoryIsPrivateAndNeverALink)
{
    const char* old = std::getenv("TMPDIR");
    std::string saved = old ? old : "";
    fs::path base = fs::temp_directory_path() / ("kiro-tmp-" + std::to_string(::getpid()));
    fs::remove_all(base);
    fs::create_directories(base / "elsewhere");
    setenv("TMPDIR", base.c_str(), 1);
    const fs::path mine = base / ("kiro-" + std::to_string(::getuid()));

    EXPECT_EQ(temporaryDirectory(), mine);
    struct stat info {};
    ASSERT_EQ(::lstat(mine.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // Found again with a wider mode: narrowed.
    ::chmod(mine.c_str(), 0777);
    EXPECT_EQ(temporaryDirectory(), mine);
    ASSERT_EQ(::lstat(mine.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // A link planted under the name is passed over, never followed.
    fs::remove(mine);
    fs::create_directory_symlink(base / "elsewhere", mine);
    const fs::path chosen = temporaryDirectory();
    EXPECT_EQ(chosen, base / ("kiro-" + std::to_string(::getuid()) + ".1"));
    EXPECT_TRUE(fs::is_directory(chosen) && !fs::is_symlink(chosen));

    unsetenv("TMPDIR");
    if (old)
        setenv("TMPDIR", saved.c_str(), 1);
    fs::remove_all(base);
}
