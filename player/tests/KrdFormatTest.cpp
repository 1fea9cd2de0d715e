#include "KrdWriter.h"

#include "player/ArchiveName.h"
#include "player/KrdFormat.h"
#include "player/TempKrd.h"

#include <gtest/gtest.h>
#include <random>

using namespace kiro::player;
using namespace kiro::player::test;

namespace {

KrdHeaderCheck checkBytes(const Bytes& bytes)
{
    return checkKrdHeader(std::span<const std::uint8_t>(bytes).first(std::min<std::size_t>(bytes.size(), 32)));
}

} // namespace

TEST(KrdHeader, OnlyTheFirstMagicByteAndTheVersionCount)
{
    Bytes good = KrdWriter().end().bytes();
    EXPECT_TRUE(checkBytes(good).accepted());
    EXPECT_EQ(checkBytes(good).result, 0);

    Bytes looseMagic = good;
    looseMagic[1] = 'X';
    looseMagic[2] = 'X';
    looseMagic[3] = 'X';
    EXPECT_TRUE(checkBytes(looseMagic).accepted());

    Bytes oldData = good;
    oldData[0] = '7';
    const auto old = checkBytes(oldData);
    EXPECT_EQ(old.status, KrdHeaderStatus::NotVersioned);
    EXPECT_EQ(old.detailMessage, kMsgOldData);

    const auto older = checkBytes(KrdWriter(0, 89).bytes());
    EXPECT_EQ(older.status, KrdHeaderStatus::VersionMismatch);
    EXPECT_EQ(older.result, 1);
    EXPECT_TRUE(older.detailMessage.empty());

    const auto newer = checkBytes(KrdWriter(1, 90).bytes());
    EXPECT_EQ(newer.status, KrdHeaderStatus::VersionMismatch);
    EXPECT_EQ(newer.version, 190);
    EXPECT_EQ(newer.result, -100);

    // Both version bytes are signed: 1 * 100 + (-10) is 90 again.
    EXPECT_TRUE(checkBytes(KrdWriter(1, -10).bytes()).accepted());

    Bytes shortFile(good.begin(), good.begin() + 31);
    const auto cut = checkBytes(shortFile);
    EXPECT_EQ(cut.status, KrdHeaderStatus::ReadError);
    EXPECT_EQ(cut.detailMessage, kMsgReadError);
}

TEST(KrdLengthRules, EveryCodeMeasuresItsPayload)
{
    // The table is in code order and ends with a zero code.
    int count = 0;
    int previous = 0;
    for (const LengthRule* rule = kLengthRules; rule->code != 0; ++rule, ++count) {
        EXPECT_GT(rule->code, previous);
        previous = rule->code;
    }
    EXPECT_EQ(count, 17);
    EXPECT_EQ(findLengthRule(16), nullptr);
    EXPECT_EQ(findLengthRule(0), nullptr);

    const struct {
        std::uint8_t code;
        std::size_t n;
    } fixed[] = {{1, 18}, {3, 1}, {4, 4}, {5, 0}, {6, 18}, {8, 0}, {9, 8}, {11, 8}, {13, 0}, {14, 0}, {128, 3}, {255, 4}};
    for (const auto& expected : fixed) {
        Bytes file = KrdWriter().command(expected.code, Bytes(expected.n, 0x11)).end().bytes();
        const KrdReading reading = readKrdCommands(file);
        ASSERT_TRUE(reading.end.complete()) << int(expected.code);
        EXPECT_EQ(reading.commands.front().payloadLength, expected.n) << int(expected.code);
    }

    EXPECT_EQ(KrdWriter().text("").end().bytes().size(), 54u + 5 + 8 + 9); // empty code-2 string: n = 8
    EXPECT_EQ(readKrdCommands(KrdWriter().text("").end().bytes()).commands[0].payloadLength, 8u);
    EXPECT_EQ(readKrdCommands(KrdWriter().text("歌詞").end().bytes()).commands[0].payloadLength, 7u + 6 + 1);
    EXPECT_EQ(readKrdCommands(KrdWriter().itemList(10, 0).end().bytes()).commands[0].payloadLength, 9u);
    EXPECT_EQ(readKrdCommands(KrdWriter().itemList(12, 3).end().bytes()).commands[0].payloadLength, 36u);
    EXPECT_EQ(readKrdCommands(KrdWriter().namedPicture("ABC").end().bytes()).commands[0].payloadLength, 5u);
    EXPECT_EQ(readKrdCommands(KrdWriter().command(15, {'h', 'i', 0}).end().bytes()).commands[0].payloadLength, 3u);

    // A 0xFF that is not the first byte of an item does not end the list.
    Bytes list(9, 0x00);
    list[3] = 0xFF;
    list.insert(list.end(), {0xFF, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(readKrdCommands(KrdWriter().command(10, list).end().bytes()).commands[0].payloadLength, 18u);
}

TEST(KrdWalk, BrokenStreamsAreErrorsNotReadsPastTheEnd)
{
    const KrdReading unknown = readKrdCommands(KrdWriter().command(5).command(0x63).end().bytes());
    EXPECT_EQ(unknown.end.status, KrdWalkStatus::UndefinedCommand);
    EXPECT_EQ(unknown.end.message(), "Undefined Command found : 63");
    EXPECT_EQ(unknown.end.offset, 59u);

    // No end command; the stream simply stops.
    EXPECT_EQ(readKrdCommands(KrdWriter().command(5).bytes()).end.status, KrdWalkStatus::PastEnd);
    // A header and nothing else, and a file shorter than the header.
    EXPECT_EQ(readKrdCommands(KrdWriter().bytes()).end.status, KrdWalkStatus::PastEnd);
    const Bytes header = KrdWriter().bytes();
    const Bytes forty(header.begin(), header.begin() + 40);
    EXPECT_EQ(readKrdCommands(forty).end.status, KrdWalkStatus::PastEnd);

    // Payloads cut short: fixed, string without NUL, list without 0xFF item, end command.
    const Bytes cuts[] = {
        KrdWriter().command(1, Bytes(17, 0)).bytes(),
        KrdWriter().command(2, {1, 2, 3, 4, 5, 6, 7, 'a', 'b'}).bytes(),
        KrdWriter().command(7, {1}).bytes(),
        KrdWriter().command(10, Bytes(27, 0)).bytes(),
        KrdWriter().command(255, {1, 2}).bytes(),
    };
    for (const Bytes& cut : cuts) {
        const KrdReading reading = readKrdCommands(cut);
        EXPECT_EQ(reading.end.status, KrdWalkStatus::PastEnd);
        EXPECT_NE(reading.end.message().find("past end of file"), std::string::npos);
        EXPECT_TRUE(reading.commands.empty());
    }

    // Bytes after the end command are never looked at.
    Bytes trailing = KrdWriter().end().bytes();
    trailing.insert(trailing.end(), {0, 0, 0, 0, 0x77});
    EXPECT_TRUE(readKrdCommands(trailing).end.complete());
}

TEST(KrdWalk, PictureTableRowsFollowTheStream)
{
    const Seven zero{};
    const Bytes file = KrdWriter()
                           .pictureSlot()
                           .pictureByNumber(zero, 0x00)
                           .text("x")
                           .pictureByAttributes({1, 2, 3, 4, 5, 6, 7}, {7, 6, 5, 4, 3, 2, 1}, "bmp", 6)
                           .namedPicture("ABCDEFGH")
                           .command(128, {1, 2, 3})
                           .command(128, {1, 2, 3})
                           .end()
                           .bytes();
    const KrdReading reading = readKrdCommands(file);
    ASSERT_TRUE(reading.end.complete());
    EXPECT_EQ(reading.commands.size(), 8u);
    EXPECT_EQ(reading.unsupportedCommands.size(), 2u);
    ASSERT_EQ(reading.pictures.size(), 4u);

    EXPECT_EQ(reading.pictures[0].code, 13);
    EXPECT_EQ(reading.pictures[0].name, std::string(15, ' '));
    EXPECT_EQ(reading.pictures[0].extension, "ext");

    EXPECT_EQ(reading.pictures[1].exact, 1);
    EXPECT_EQ(reading.pictures[1].name, "00000000");
    EXPECT_EQ(reading.pictures[1].extension, "lzh");

    const PictureEntry& byAttributes = reading.pictures[2];
    EXPECT_EQ(byAttributes.code, 6);
    EXPECT_EQ(byAttributes.exact, 0);
    EXPECT_TRUE(byAttributes.byAttributes());
    EXPECT_EQ(byAttributes.name, std::string("\x01\x02\x03\x04\x05\x06\x07\0\x07\x06\x05\x04\x03\x02\x01\0", 16));
    EXPECT_EQ(byAttributes.extension, "bmp");

    EXPECT_EQ(reading.pictures[3].code, 7);
    EXPECT_EQ(reading.pictures[3].name, "ABCDEFGH");
    EXPECT_EQ(reading.pictures[3].extension, "lzh");
}

TEST(KrdWalk, MoreThan256PictureCommandsGrowTheTable)
{
    KrdWriter writer;
    for (int i = 0; i < 300; ++i)
        writer.pictureByNumber({}, static_cast<std::uint8_t>(i % 128));
    const KrdReading reading = readKrdCommands(writer.end().bytes());
    ASSERT_TRUE(reading.end.complete());
    EXPECT_EQ(reading.pictures.size(), 300u);
    EXPECT_EQ(reading.pictures[299].name, exactArchiveName({}, 299 % 128));
}

TEST(ArchiveName, NamesCarryAttributesAndNumber)
{
    EXPECT_EQ(exactArchiveName({}, 1), "00000001");
    EXPECT_EQ(exactArchiveName({}, 0), "00000000");
    EXPECT_EQ(exactArchiveName({}, 127), "0000003V");
    // a0 = 15 fills the top four bits: 11110 is digit 30, "U".
    EXPECT_EQ(exactArchiveName({15, 0, 0, 0, 0, 0, 0}, 0), "U0000000");
    // Values wider than their field are cut to it.
    EXPECT_EQ(exactArchiveName({0x1F, 0, 0, 0, 0, 0, 0}, 0), "U0000000");

    const PictureAttributes all{15, 9, 31, 17, 7, 30, 21};
    for (int number : {0, 5, 127, 200, 254}) {
        const std::string name = exactArchiveName(all, static_cast<std::uint8_t>(number));
        const auto decoded = decodeArchiveAttributes(name + ".lzh");
        ASSERT_TRUE(decoded);
        EXPECT_EQ(*decoded, all) << name;
    }
    // Upper-case compare after folding; a short or foreign name does not decode.
    std::string lower = exactArchiveName(all, 3);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(decodeArchiveAttributes(lower), all);
    EXPECT_FALSE(decodeArchiveAttributes("0000000"));
    EXPECT_FALSE(decodeArchiveAttributes("0000000W.lzh"));
    EXPECT_FALSE(decodeArchiveAttributes("pict_01.lzh"));
}

TEST(KrdWalk, RandomStreamsNeverReadOutOfBounds)
{
    // Random command streams, most of them cut or broken somewhere: the walk
    // and both rewrites must stay inside their buffers (the sanitizers watch).
    std::mt19937 random(1234);
    const std::uint8_t codes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 128, 255, 0x42};
    for (int round = 0; round < 3000; ++round) {
        Bytes file = KrdWriter().bytes();
        const int commands = static_cast<int>(random() % 12);
        for (int c = 0; c < commands; ++c) {
            file.insert(file.end(), {0, 0, 0, 0, codes[random() % std::size(codes)]});
            const int payload = static_cast<int>(random() % 30);
            for (int b = 0; b < payload; ++b)
                file.push_back(static_cast<std::uint8_t>(random() % 4 == 0 ? 0 : random()));
        }
        KrdReading reading = readKrdCommands(file);
        if (reading.end.complete()) {
            assignTempNames(reading.pictures);
            const TempKrdWriting writing = writeTempKrd(file, reading.pictures);
            EXPECT_TRUE(writing.ok());
            EXPECT_EQ(readTempKrdPictures(writing.bytes).tempNames.size(), reading.pictures.size());
        }
        readTempKrdPictures(Bytes(file.begin() + 54, file.end()));
    }
}
