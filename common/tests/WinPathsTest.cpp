#include "common/WinPaths.h"

#include <gtest/gtest.h>

#include <cstdlib>
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

TEST(WinPaths, TemporaryDirectoryFollowsTmpdir)
{
    const char* old = std::getenv("TMPDIR");
    std::string saved = old ? old : "";
    setenv("TMPDIR", "/var/tmp", 1);
    EXPECT_EQ(temporaryDirectory(), "/var/tmp");
    unsetenv("TMPDIR");
    EXPECT_EQ(temporaryDirectory(), "/tmp");
    if (old)
        setenv("TMPDIR", saved.c_str(), 1);
}
