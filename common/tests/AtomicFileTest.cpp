#include "common/AtomicFile.h"
#include "common/tests/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {
unsigned modeOf(const fs::path& p)
{
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}
} // namespace

TEST(AtomicFile, PrivateFileIsTheUsersAloneAndNeverWritesThroughALink)
{
    TempDir temp("atomic-file");
    const fs::path file = temp.path / "W2610001.TXT";
    // An older copy readable by all does not make the new one readable.
    ASSERT_EQ(kiro::writeFileAtomically(file, "old", 0644), "");
    ASSERT_EQ(modeOf(file), 0644u);
    ASSERT_EQ(kiro::writeFileAtomically(file, "PIN 1234", 0600), "");
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_EQ(fileText(file), "PIN 1234");
    // Without a mode the replaced file's permissions stay.
    ::chmod(file.c_str(), 0640);
    ASSERT_EQ(kiro::writeFileAtomically(file, "again"), "");
    EXPECT_EQ(modeOf(file), 0640u);

    // A link planted under the name is replaced; what it pointed at is untouched.
    const fs::path elsewhere = temp.path / "elsewhere";
    ASSERT_EQ(kiro::writeFileAtomically(elsewhere, "someone else's", 0644), "");
    const fs::path planted = temp.path / "W2610002.TXT";
    fs::create_symlink(elsewhere, planted);
    ASSERT_EQ(kiro::writeFileAtomically(planted, "PIN 1234", 0600), "");
    EXPECT_FALSE(fs::is_symlink(planted));
    EXPECT_EQ(fileText(planted), "PIN 1234");
    EXPECT_EQ(fileText(elsewhere), "someone else's");
    EXPECT_EQ(modeOf(elsewhere), 0644u);
}
