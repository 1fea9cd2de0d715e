#include "common/AtomicFile.h"
#include "common/Profile.h"
#include "common/tests/TempDir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
namespace profile = kiro::profile;

TEST(ProfileSection, ReadsEveryLineAndReplacesOnlyTheBody)
{
    TempDir dir("ini");
    fs::path file = dir.path / "system.ini";
    ASSERT_TRUE(kiro::writeFileAtomically(file,
                                          "[boot]\r\nshell=Explorer.exe\r\n\r\n"
                                          "[386enh]\r\n  device=*vpicd \r\n\r\n; keep me\r\nEMMExclude=C000-CFFF\r\n\r\n"
                                          "[drivers]\r\nmidi=a.drv\r\n").empty());
    // The section name is found in any case; blank lines are not entries.
    EXPECT_EQ(profile::getSection("386Enh", file),
              (std::vector<std::string>{"device=*vpicd", "; keep me", "EMMExclude=C000-CFFF"}));
    EXPECT_TRUE(profile::getSection("missing", file).empty());

    ASSERT_TRUE(profile::writeSection("386ENH", {"device=*vpicd", "新しい=値"}, file));
    EXPECT_EQ(fileText(file), "[boot]\r\nshell=Explorer.exe\r\n\r\n"
                              "[386enh]\r\ndevice=*vpicd\r\n\x90V\x82\xb5\x82\xa2=\x92l\r\n\r\n"
                              "[drivers]\r\nmidi=a.drv\r\n");

    ASSERT_TRUE(profile::writeSection("rename", {"NUL=C:\\x"}, file));
    EXPECT_EQ(profile::getSection("Rename", file), std::vector<std::string>{"NUL=C:\\x"});
    EXPECT_FALSE(profile::writeSection("rename", {"two\r\nlines"}, file));
    EXPECT_EQ(profile::getSection("Rename", file), std::vector<std::string>{"NUL=C:\\x"});
}
