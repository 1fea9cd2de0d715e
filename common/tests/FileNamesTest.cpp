#include "common/FileNames.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;
using namespace kiro::filenames;

namespace {
void touch(const fs::path& p)
{
    fs::create_directories(p.parent_path());
    std::ofstream(p) << "x";
}
} // namespace

TEST(FileNames, ComparesAsciiLettersOnlyWithoutCase)
{
    EXPECT_TRUE(sameNameIgnoringCase("KR00001.KRD", "kr00001.krd"));
    EXPECT_FALSE(sameNameIgnoringCase("KR00001.KRD", "KR00001.KR"));
    // Full-width Ａ (EF BC A1 in UTF-8) and ａ (EF BD 81) are different names.
    EXPECT_FALSE(sameNameIgnoringCase("\xEF\xBC\xA1", "\xEF\xBD\x81"));
    // Accented letters are other names (only ASCII letters fold).
    EXPECT_FALSE(sameNameIgnoringCase("\xC3\x89", "\xC3\xA9"));
}

TEST(FileNames, FindsEntriesWhateverTheirCase)
{
    TempDir dir("filenames");
    touch(dir.path / "karaoke" / "KR00001.KRD");
    touch(dir.path / "sysfile" / "KIRODB.MDB");

    EXPECT_EQ(findInFolder(dir.path / "karaoke", "kr00001.krd"), dir.path / "karaoke" / "KR00001.KRD");
    EXPECT_EQ(findUnder(dir.path, "SysFile\\Kirodb.mdb"), dir.path / "sysfile" / "KIRODB.MDB");
    EXPECT_EQ(findUnder(dir.path, "KARAOKE/kr00001.KRD"), dir.path / "karaoke" / "KR00001.KRD");
    EXPECT_FALSE(findUnder(dir.path, "karaoke/KR00002.KRD"));
    EXPECT_FALSE(findInFolder(dir.path / "missing", "x"));

    // A file about to be created keeps its spelling below the folders found.
    EXPECT_EQ(resolveUnder(dir.path, "MAIL/W9800001.TXT"), dir.path / "MAIL" / "W9800001.TXT");
    EXPECT_EQ(resolveUnder(dir.path, "Karaoke/NEW.KRD"), dir.path / "karaoke" / "NEW.KRD");
}

TEST(FileNames, ExactSpellingWinsAndTheChoiceIsStable)
{
    TempDir dir("filenames-two");
    touch(dir.path / "song.mid");
    touch(dir.path / "SONG.MID");
    EXPECT_EQ(findInFolder(dir.path, "song.mid"), dir.path / "song.mid");
    EXPECT_EQ(findInFolder(dir.path, "SONG.MID"), dir.path / "SONG.MID");
    // Neither spelled as asked: the first in name order, whatever readdir says.
    EXPECT_EQ(findInFolder(dir.path, "Song.Mid"), dir.path / "SONG.MID");
}

TEST(FileNames, NamesNeverLeadOutOfTheBase)
{
    TempDir dir("filenames-escape");
    touch(dir.path / "inner" / "a.txt");
    EXPECT_FALSE(resolveUnder(dir.path / "inner", "../inner/a.txt"));
    EXPECT_FALSE(resolveUnder(dir.path, "inner/./a.txt"));
    EXPECT_FALSE(resolveUnder(dir.path, "inner//a.txt"));
    EXPECT_FALSE(resolveUnder(dir.path, ""));
    EXPECT_FALSE(findInFolder(dir.path, "inner/a.txt"));
    EXPECT_FALSE(findInFolder(dir.path, ".."));
}
