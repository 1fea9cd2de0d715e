#include "PlaybackFixture.h"

#include "client/app/ScriptedPrompt.h"
#include "client/catalogue/DownloadedList.h"
#include "client/catalogue/ProductFiles.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using kiro::app::PromptAnswer;
using kiro::app::ScriptedPrompt;
using namespace kiro::catalogue;

TEST(ProductFiles, EachCourseNamesItsThreeFilesAsTheyAreOnTheDisk)
{
    CatalogueFixture c("product-files");
    EXPECT_EQ(productBaseName("\\DATA\\KR00001.LZH"), "KR00001");
    EXPECT_EQ(productBaseName("kr00002"), "kr00002");
    EXPECT_EQ(productBaseName(".."), "");
    // Receiving, playing and deleting name the files by it: it never leads
    // out of the folder, and a name it cannot use is refused, not guessed.
    EXPECT_EQ(productBaseName("KARAOKE\\KR00002.KRD"), "KR00002");
    EXPECT_EQ(productBaseName("../../etc/passwd"), "passwd");
    EXPECT_EQ(productBaseName("..\\..\\x.lzh"), "x");
    EXPECT_EQ(productBaseName("a.b.KRD"), "a.b");
    for (const char* bad : {"", ".KRD", "dir/", "...", "KR\n01.KRD"})
        EXPECT_EQ(productBaseName(bad), "") << bad;

    // Received with lower-case names: still the product's files.
    c.songFile("karaoke/kr00001.krd");
    c.songFile("karaoke/KR00001.MID");
    c.songFile("karaoke/KR00001");
    c.songFile("karaoke/KR00001.LZH"); // not one of the three
    EXPECT_EQ(DeleteProductFiles(10, c.install, "KR00001"), 3);
    EXPECT_FALSE(fs::exists(c.install / "karaoke" / "kr00001.krd"));
    EXPECT_FALSE(fs::exists(c.install / "karaoke" / "KR00001"));
    EXPECT_TRUE(fs::exists(c.install / "karaoke" / "KR00001.LZH"));
    // Deleting again: nothing there is no error.
    EXPECT_EQ(DeleteProductFiles(10, c.install, "KR00001"), 0);

    c.songFile("CDEx/CD00001.MP2");
    c.songFile("CDEx/CD00001.BMP");
    EXPECT_EQ(DeleteProductFiles(20, c.install, "CD00001"), 2);
    c.songFile("karaoke/X.KRD");
    EXPECT_EQ(DeleteProductFiles(30, c.install, "X"), 0);
    EXPECT_TRUE(fs::exists(c.install / "karaoke" / "X.KRD"));
}

TEST(DownloadedList, DeletingOneSongOfASetDeletesTheWholeSet)
{
    CatalogueFixture c("downloaded-set");
    c.product(50, "S1", "SET1.LZH", 1, 1);
    c.product(50, "S1A", "SONGA.LZH", 1, 2, "S1");
    c.product(50, "S1B", "SONGB.LZH", 1, 2, "S1");
    c.product(50, "P1", "PIANO.LZH", 1, 0);
    for (const char* name : {"SET1", "SONGA", "SONGB", "PIANO"}) {
        c.songFile(std::string("karaoke/") + name + ".KRD");
        c.songFile(std::string("karaoke/") + name + ".MID");
    }

    ScriptedPrompt prompt;
    std::vector<SetDeletion> asked;
    DownloadedList list(c.db, 50, c.install, prompt, [&](const SetDeletion& d) {
        asked.push_back(d);
        return true;
    });
    list.fill();
    ASSERT_EQ(list.rows().size(), 4u);
    int songA = -1;
    for (size_t i = 0; i < list.rows().size(); ++i) {
        if (list.rows()[i].productCode == "S1A")
            songA = int(i);
    }
    ASSERT_GE(songA, 0);
    EXPECT_EQ(list.rows()[size_t(songA)].icon, 1 + 2 * 2 + 1);

    EXPECT_TRUE(list.deleteRow(songA));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].setCode, "S1");
    EXPECT_EQ(asked[0].songs.size(), 2u);
    for (const char* code : {"S1", "S1A", "S1B"})
        EXPECT_EQ(c.downloaded(50, code), "0") << code;
    EXPECT_EQ(c.downloaded(50, "P1"), "1");
    for (const char* name : {"SET1", "SONGA", "SONGB"})
        EXPECT_FALSE(fs::exists(c.install / "karaoke" / (std::string(name) + ".KRD"))) << name;
    EXPECT_TRUE(fs::exists(c.install / "karaoke" / "PIANO.KRD"));
    EXPECT_EQ(prompt.texts().back(), "削除しました。");
    ASSERT_EQ(list.rows().size(), 1u);
    EXPECT_EQ(list.rows()[0].productCode, "P1");
}

TEST(DownloadedList, SingleSongsAskFirstAndBlankRowsSelectNothing)
{
    CatalogueFixture c("downloaded-single");
    c.product(10, "K1", "K1.LZH", 1);
    c.product(10, "K2", "K2.LZH", 0);
    c.songFile("karaoke/K1.KRD");

    ScriptedPrompt prompt({PromptAnswer::Second, PromptAnswer::First});
    DownloadedList list(c.db, 10, c.install, prompt, nullptr);
    list.fill();
    ASSERT_EQ(list.rows().size(), 1u);
    EXPECT_EQ(list.rows()[0].icon, 1);

    EXPECT_FALSE(list.deleteRow(-1));
    EXPECT_FALSE(list.deleteRow(5)); // a blank row past the list
    EXPECT_FALSE(list.deleteRow(0)); // "いいえ"
    EXPECT_EQ(c.downloaded(10, "K1"), "1");
    EXPECT_TRUE(fs::exists(c.install / "karaoke" / "K1.KRD"));
    EXPECT_TRUE(list.deleteRow(0));
    EXPECT_EQ(c.downloaded(10, "K1"), "0");
    EXPECT_FALSE(fs::exists(c.install / "karaoke" / "K1.KRD"));
    EXPECT_EQ(prompt.texts(), (std::vector<std::string> {"削除する行を選択してください。", "削除する行を選択してください。",
                                  "ハードディスクから\nデータを完全に削除します。\nよろしいですか？",
                                  "ハードディスクから\nデータを完全に削除します。\nよろしいですか？", "削除しました。"}));
    EXPECT_TRUE(list.rows().empty());
}

TEST(DownloadedList, LinkFilterCyclesOnCourse50Only)
{
    CatalogueFixture c("downloaded-filter");
    c.product(50, "S1", "SET1.LZH", 1, 1);
    c.product(50, "S1A", "SONGA.LZH", 1, 2, "S1");
    c.product(50, "P1", "PIANO.LZH", 1, 0);
    ScriptedPrompt prompt;
    DownloadedList list(c.db, 50, c.install, prompt, nullptr);
    list.fill();
    EXPECT_EQ(list.rows().size(), 3u);
    list.cycleLinkFilter(); // 親だけ
    ASSERT_EQ(list.rows().size(), 1u);
    EXPECT_EQ(list.rows()[0].productCode, "S1");
    list.cycleLinkFilter(); // 子だけ
    EXPECT_EQ(list.rows().size(), 2u);
    list.cycleLinkFilter(); // 全部表示
    EXPECT_EQ(list.linkFilter(), 0);
    EXPECT_EQ(list.rows().size(), 3u);
}
