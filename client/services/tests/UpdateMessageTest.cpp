#include "client/services/UpdateMessage.h"

#include "common/Cp932.h"

#include <gtest/gtest.h>

using namespace kiro::services;

namespace {

// A list line in the forum's columns: number, ID, date, size, then the
// title that starts with type, code and flag.
std::string listLine(int number, const std::string& typeAndCode, char flag = 'E',
                     const std::string& date = "09/01 10:00")
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%4d SDI00001 %s %10d%s %c title", number, date.c_str(), 120,
                  typeAndCode.c_str(), flag);
    return buffer;
}

std::string listCapture(const std::vector<std::string>& lines)
{
    std::string text = "rm\r\n\r\n  No   ID       Date        Size      Title\r\n";
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

const std::string kHead = "#12\r\n  12 SDI00001 09/01 10:00 D0036 E\r\n\r\n";

} // namespace

TEST(UpdateList, ColumnsOfAListLine)
{
    const std::string line = listLine(7, "D0040", 'E', "12/24 23:59");
    ASSERT_EQ(line.substr(36, 5), "D0040");
    const auto entries = parseUpdateList(listCapture({line}));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].messageNumber, 7);
    EXPECT_EQ(entries[0].dateTime, "12/24 23:59");
    EXPECT_EQ(entries[0].type, 'D');
    EXPECT_EQ(entries[0].code, "0040");
    EXPECT_EQ(entries[0].flag, 'E');
}

TEST(UpdateList, TheFirstOtherLineEndsTheList)
{
    const auto entries = parseUpdateList(
        listCapture({listLine(1, "D0036"), listLine(2, "D0037"), "--- end ---", listLine(3, "D0038")}));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].messageNumber, 2);
    // Fewer than three lines: nothing at all.
    EXPECT_TRUE(parseUpdateList("rm\r\n\r\n").empty());
}

TEST(UpdateList, ShortLinesAreNotReadPastTheirEnd)
{
    const std::string full = listLine(4, "D0039");
    const auto entries = parseUpdateList(listCapture({full.substr(0, 41), full.substr(0, 20), listLine(5, "D0040")}));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].messageNumber, 5);
    // The very last line cut short, with no line end after it.
    std::string text = listCapture({listLine(6, "D0041")});
    text += full.substr(0, 40);
    EXPECT_EQ(parseUpdateList(text).size(), 1u);
}

TEST(UpdateList, CodesThatCouldNameAFolderAreLeftOut)
{
    EXPECT_TRUE(parseUpdateList(listCapture({listLine(1, "D..\\a")})).empty());
    EXPECT_TRUE(parseUpdateList(listCapture({listLine(1, "D0/36")})).empty());
    EXPECT_TRUE(parseUpdateList(listCapture({"  ab SDI00001 09/01 10:00        120D0036 E x"})).empty());
}

TEST(UpdateList, OnlyDatabaseUpdatesFromTheStartCodeOn)
{
    const auto entries =
        parseUpdateList(listCapture({listLine(1, "D0035"), listLine(2, "D0036"), listLine(3, "P0050"),
                                     listLine(4, "DA000")}));
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_FALSE(isWantedDatabaseUpdate(entries[0], "0036"));
    EXPECT_TRUE(isWantedDatabaseUpdate(entries[1], "0036"));
    EXPECT_FALSE(isWantedDatabaseUpdate(entries[2], "0036"));
    // Compared as text: a letter sorts after every digit.
    EXPECT_TRUE(isWantedDatabaseUpdate(entries[3], "0036"));
    EXPECT_FALSE(isWantedDatabaseUpdate(entries[1], "0100"));
}

TEST(HostText, EmptyLinesCountAndControlBytesEndALine)
{
    HostTextLines lines("a\r\n\r\nb\x1a tail\r\nc\nd");
    EXPECT_EQ(lines.line(), "a");
    lines.next();
    EXPECT_EQ(lines.line(), "");
    lines.next();
    EXPECT_EQ(lines.line(), "b");
    lines.next();
    EXPECT_EQ(lines.line(), "c");
    lines.next();
    EXPECT_EQ(lines.line(), "d");
    lines.next();
    EXPECT_TRUE(lines.atEnd());
    HostTextLines nul(std::string_view("x\0y\r\nz", 6));
    nul.next();
    EXPECT_TRUE(nul.atEnd());
}

TEST(UpdateBody, ModulesWithTheirFilePairs)
{
    const std::string body = kHead + kiro::cp932::fromUtf8("新曲追加 第1弾\r\n") + "Ver 1.00\r\n" +
                             "3,12\r\n%KIRO%\\\r\n3,13\r\n%KIRO%\\karaoke\\\r\n\r\n" + "second\r\nv2\r\n3,14\r\n" +
                             kiro::cp932::fromUtf8("%KIRO%\\表\\\r\n") + "\r\n\r\nignored\r\n";
    const auto modules = parseUpdateMessage(body);
    ASSERT_EQ(modules.size(), 2u);
    EXPECT_EQ(modules[0].description, "新曲追加 第1弾");
    EXPECT_EQ(modules[0].version, "Ver 1.00");
    ASSERT_EQ(modules[0].files.size(), 2u);
    EXPECT_EQ(modules[0].files[0].address, "3,12");
    EXPECT_EQ(modules[0].files[0].folder, "%KIRO%");
    EXPECT_EQ(modules[0].files[1].folder, "%KIRO%\\karaoke");
    // The backslash is dropped, not the second byte of "表" (0x95 0x5C).
    ASSERT_EQ(modules[1].files.size(), 1u);
    EXPECT_EQ(modules[1].files[0].folder, "%KIRO%\\表");
}

TEST(UpdateBody, AnEmptyFirstDescriptionRecordsNothing)
{
    EXPECT_TRUE(parseUpdateMessage(kHead + "\r\nlate\r\nv\r\n3,1\r\n%KIRO%\r\n").empty());
    EXPECT_TRUE(parseUpdateMessage(kHead).empty());
}

TEST(UpdateBody, TheForumPromptEndsTheBody)
{
    const std::string body = kHead + "one\r\nv1\r\n3,12\r\n%KIRO%" + forumMessagePrompt();
    const auto modules = parseUpdateMessage(body);
    ASSERT_EQ(modules.size(), 1u);
    ASSERT_EQ(modules[0].files.size(), 1u);
    EXPECT_EQ(modules[0].files[0].folder, "%KIRO%");
    // Ends right after a pair, as a capture without the prompt does.
    EXPECT_EQ(parseUpdateMessage(kHead + "one\r\nv1\r\n3,12\r\n%KIRO%\r\n").size(), 1u);
}

TEST(UpdateBody, ABodyThatBreaksOffIsNotReadPastItsEnd)
{
    // Address without its folder line; module without its version line.
    EXPECT_TRUE(parseUpdateMessage(kHead + "one\r\nv1\r\n3,12\r\n%KIRO%\r\n3,13").empty());
    EXPECT_TRUE(parseUpdateMessage(kHead + "one").empty());
    // A complete module before the break stays; the broken one does not.
    const auto modules = parseUpdateMessage(kHead + "one\r\nv1\r\n3,12\r\n%KIRO%\r\n\r\ntwo\r\nv2\r\n3,1");
    ASSERT_EQ(modules.size(), 1u);
    EXPECT_EQ(modules[0].description, "one");
    // A module without any file could never be received.
    EXPECT_TRUE(parseUpdateMessage(kHead + "one\r\nv1\r\n\r\n\r\n").empty());
}

TEST(UpdateBody, AFullCaptureDropsTheModuleItEndsIn)
{
    // The buffer filled up inside "3,13": the address read as "3,1" must not
    // be recorded, nor the module with only its first pair.
    const std::string full = kHead + "one\r\nv1\r\n3,12\r\n%KIRO%\r\n\r\ntwo\r\nv2\r\n3,12\r\n%KIRO%\r\n3,1";
    auto modules = parseUpdateMessage(full, true);
    ASSERT_EQ(modules.size(), 1u);
    EXPECT_EQ(modules[0].description, "one");
    // Cut inside a folder line, or right after a pair's folder line.
    EXPECT_EQ(parseUpdateMessage(kHead + "one\r\nv1\r\n3,12\r\n%KI", true).size(), 0u);
    EXPECT_EQ(parseUpdateMessage(kHead + "one\r\nv1\r\n3,12\r\n%KIRO%\r\n", true).size(), 0u);
    // A module closed by its empty address line before the cut stays whole.
    modules = parseUpdateMessage(kHead + "one\r\nv1\r\n3,12\r\n%KIRO%\r\n\r\ntw", true);
    ASSERT_EQ(modules.size(), 1u);
    EXPECT_EQ(modules[0].files.size(), 1u);
}

TEST(UpdateBody, ModulesKeepTheirPositionsInTheMessage)
{
    // The first module has no file and is left out; the second is still the
    // message's module 2 (its archive is "...02.VUM").
    const auto modules = parseUpdateMessage(kHead + "notes\r\nv1\r\n\r\nsongs\r\nv2\r\n3,12\r\n%KIRO%\r\n\r\n");
    ASSERT_EQ(modules.size(), 1u);
    EXPECT_EQ(modules[0].description, "songs");
    EXPECT_EQ(modules[0].position, 2);
}

TEST(UpdateAddress, SplitAtTheLastComma)
{
    const auto address = splitDataAddress("3,12");
    ASSERT_TRUE(address);
    EXPECT_EQ(address->room, 3);
    EXPECT_EQ(address->data, 12);
    EXPECT_FALSE(splitDataAddress("3,1,2"));
    EXPECT_FALSE(splitDataAddress("312"));
    EXPECT_FALSE(splitDataAddress("3,"));
    EXPECT_FALSE(splitDataAddress("a,12"));
}

TEST(UpdateFolder, FoldersStayInsideTheInstallFolder)
{
    EXPECT_TRUE(folderStaysInside("%KIRO%"));
    EXPECT_TRUE(folderStaysInside("%KIRO%\\karaoke"));
    EXPECT_TRUE(folderStaysInside("karaoke\\..x"));
    EXPECT_FALSE(folderStaysInside("%KIRO%\\..\\etc"));
    EXPECT_FALSE(folderStaysInside("..\\x"));
    EXPECT_FALSE(folderStaysInside("\\windows"));
    EXPECT_FALSE(folderStaysInside("/etc"));
    EXPECT_FALSE(folderStaysInside("C:\\WINDOWS"));
    EXPECT_FALSE(folderStaysInside("a/../.."));
}
