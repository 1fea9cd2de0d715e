// Data addresses, the karaoke scripts' command buffers and download names.
#include "client/catalogue/BulkReceive.h"
#include "client/catalogue/DataAddress.h"
#include "client/catalogue/KaraokeScripts.h"
#include "common/Cp932.h"

#include <gtest/gtest.h>

using namespace kiro::catalogue;

TEST(DataAddress, MenuBeforeTheLastCommaItemAfterIt)
{
    auto a = parseDataAddress("12,345");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->menu, 12);
    EXPECT_EQ(a->item, 345);
    a = parseDataAddress(" 7 , 0042 ");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->menu, 7);
    EXPECT_EQ(a->item, 42);
    // Only the part since the previous comma is the menu.
    a = parseDataAddress("1,2,3");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->menu, 2);
    EXPECT_EQ(a->item, 3);
    EXPECT_TRUE(parseDataAddress("999999,999999"));
}

TEST(DataAddress, DamagedTextsGiveNothing)
{
    for (const char *text : {"", "12", "12,", ",5", "1234567,1", "1,1234567", "a,b", "-1,3", "1,3x", "1;3", "1,,3"})
        EXPECT_FALSE(parseDataAddress(text)) << text;
}

TEST(KaraokeScripts, BuffersHoldWhatIsSent)
{
    KaraokeScripts scripts;
    EXPECT_STREQ(scripts.menuCommand(), "XX\r");
    EXPECT_STREQ(scripts.itemCommand(), "XXXXX\r");
    scripts.setAddress({12, 345});
    EXPECT_STREQ(scripts.menuCommand(), "12\r");
    EXPECT_STREQ(scripts.itemCommand(), "345\r");
    scripts.setAddress({999999, 999999});
    EXPECT_STREQ(scripts.itemCommand(), "999999\r");
    // The select script sends exactly these buffers at steps 1 and 6.
    EXPECT_EQ(scripts.KaraokeSelectScript()[1].command, scripts.menuCommand());
    EXPECT_EQ(scripts.KaraokeSelectScript()[6].command, scripts.itemCommand());
    EXPECT_STREQ(scripts.KaraokeSelectScript()[0].command, "go KIROKARA\r");
    EXPECT_EQ(kiro::online::scriptLength(scripts.KaraokeSelectScript()), 7u);
    EXPECT_EQ(kiro::online::scriptLength(scripts.KaraokeDownloadScript()), 4u);

    ASSERT_TRUE(scripts.setFileName("KR00001"));
    EXPECT_STREQ(scripts.fileCommand(), "KR00001\r");
    EXPECT_FALSE(scripts.setFileName(std::string(80, 'K')));
    EXPECT_FALSE(scripts.setFileName("KR\r1"));
    // Not sent as "KR?01", which names another file.
    EXPECT_FALSE(scripts.setFileName("KR\xF0\x9F\x8E\xA4" "01"));
    EXPECT_STREQ(scripts.fileCommand(), "KR00001\r");
    ASSERT_TRUE(scripts.setFileName("曲"));
    EXPECT_EQ(std::string(scripts.fileCommand()), kiro::cp932::fromUtf8("曲") + "\r");
    ASSERT_TRUE(scripts.setFolder("/inst/MAIL"));
    EXPECT_STREQ(scripts.folderCommand(), "/inst/MAIL/");
}
