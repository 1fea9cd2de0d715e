#include "KrdWriter.h"

#include "player/KrdFormat.h"
#include "player/TempKrd.h"

#include <gtest/gtest.h>

using namespace kiro::player;
using namespace kiro::player::test;

namespace {

void append(Bytes& out, const Bytes& part)
{
    out.insert(out.end(), part.begin(), part.end());
}

void appendText(Bytes& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

TempKrdWriting rewrite(const Bytes& file)
{
    KrdReading reading = readKrdCommands(file);
    EXPECT_TRUE(reading.end.complete());
    assignTempNames(reading.pictures);
    return writeTempKrd(file, reading.pictures);
}

} // namespace

TEST(TempKrd, EndOnlyStreamGivesNineBytes)
{
    KrdWriter writer;
    writer.end();
    const TempKrdWriting writing = rewrite(writer.bytes());
    ASSERT_TRUE(writing.ok());
    EXPECT_EQ(writing.bytes, Bytes(writer.bytes().begin() + 54, writer.bytes().end()));
    EXPECT_EQ(writing.bytes.size(), 9u);
}

TEST(TempKrd, RewritesEveryCodeByteForByte)
{
    KrdWriter writer;
    Bytes expected;
    // Each command is built, then its expected rewrite appended by hand.
    auto copyLast = [&](std::size_t before) { append(expected, Bytes(writer.bytes().begin() + static_cast<long>(before), writer.bytes().end())); };
    auto headThenName = [&](const std::string& name, std::optional<std::uint8_t> firstByte = std::nullopt) {
        append(expected, writer.lastHead());
        if (firstByte)
            expected.push_back(*firstByte);
        appendText(expected, name);
    };

    writer.pictureSlot(); // before any other picture row: the initial name
    headThenName("_@temp0");
    std::size_t at = writer.bytes().size();
    writer.text("");
    copyLast(at);
    writer.pictureByNumber({}, 4);
    headThenName("_@temp0");
    at = writer.bytes().size();
    writer.command(3, {9}).command(4, {1, 2, 3, 4}).command(5).command(8).command(9, Bytes(8, 7));
    writer.itemList(10, 2).command(11, Bytes(8, 6)).itemList(12, 0).command(14).command(15, {'a', 0});
    copyLast(at);
    writer.pictureByAttributes({1, 1, 1, 1, 1, 1, 1}, {0, 1, 2, 3, 4, 5, 6}, "bmp", 6);
    headThenName("_@temp1");
    writer.namedPicture("SONGPIC", 0x42);
    headThenName("_@temp2", 0x42);
    writer.pictureSlot(); // after other rows: the name current at its place
    headThenName("_@temp2");
    writer.command(128, {0xAA, 0xBB, 0xCC});
    append(expected, writer.lastHead()); // payload dropped
    writer.pictureSlot();
    headThenName("_@temp2");
    at = writer.bytes().size();
    writer.end();
    copyLast(at);
    writer.bytes().insert(writer.bytes().end(), {5, 5, 5}); // after the end: never copied

    const TempKrdWriting writing = rewrite(writer.bytes());
    ASSERT_TRUE(writing.ok());
    EXPECT_EQ(writing.bytes, expected);

    // The engine's view of the result names the same bitmaps in order.
    const TempKrdPictures pictures = readTempKrdPictures(writing.bytes);
    EXPECT_TRUE(pictures.end.complete());
    EXPECT_EQ(pictures.tempNames,
              (std::vector<std::string>{"_@temp0", "_@temp0", "_@temp1", "_@temp2", "_@temp2", "_@temp2"}));
}

TEST(TempKrd, NamesCountOnlyCodes1To7Rows)
{
    std::vector<PictureEntry> rows(6);
    const std::uint8_t codes[] = {1, 13, 7, 6, 13, 1};
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].code = codes[i];
    assignTempNames(rows);
    const char* names[] = {"_@temp0", "_@temp0", "_@temp1", "_@temp2", "_@temp2", "_@temp3"};
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].tempName, names[i]) << i;
}

TEST(TempKrd, FailuresKeepWhatWasWritten)
{
    // An unknown code in the writing pass: the commands before it are kept.
    KrdWriter writer;
    writer.command(5);
    const Bytes firstHead = writer.lastHead();
    writer.command(0x20).end();
    const TempKrdWriting unknown = writeTempKrd(writer.bytes(), {});
    EXPECT_FALSE(unknown.ok());
    EXPECT_EQ(unknown.end.status, KrdWalkStatus::UndefinedCommand);
    EXPECT_EQ(unknown.bytes, firstHead);

    // A table shorter than the stream's picture commands is a failure, not
    // a read past the table.
    const TempKrdWriting shortTable = writeTempKrd(KrdWriter().pictureByNumber({}, 1).end().bytes(), {});
    EXPECT_FALSE(shortTable.ok());
    EXPECT_TRUE(shortTable.bytes.empty());

    // A cut TempKrd is reported by the engine's reader too.
    EXPECT_FALSE(readTempKrdPictures(Bytes{0, 0, 0, 0, 1, '_', '@'}).end.complete());
    EXPECT_FALSE(readTempKrdPictures(Bytes{}).end.complete());
}
