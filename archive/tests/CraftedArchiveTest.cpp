// Hand-made archives: headers of every level, damage, stubs, limits and
// names that try to leave the destination folder.
#include "ArchiveTestSupport.h"

#include "archive/LzhArchive.h"
#include "archive/LzhExtract.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kiro::test {
namespace {

std::string fileText(const std::filesystem::path& path)
{
    std::vector<std::uint8_t> bytes = readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

class CraftedArchive : public ::testing::Test {
protected:
    int extract(const std::vector<std::uint8_t>& archive)
    {
        writeBytes(m_work.path() / "a.lzh", archive);
        return LzhExtractAll(m_work.path() / "a.lzh", m_out.path());
    }

    TempDir m_work;
    TempDir m_out;
};

TEST_F(CraftedArchive, StoredMembersOfEveryLevel)
{
    auto archive = craftArchive({
        crafted("one.txt", "first"),
        crafted("", "second", 1, "-lh0-", "two.txt"),
        crafted("", "third", 2, "-lh0-", "three.txt"),
        crafted("four.txt", "fourth", 0, "-lz4-"),
    });
    ASSERT_EQ(extract(archive), 0);
    EXPECT_EQ(m_out.fileNames(), (std::vector<std::string>{"FOUR.TXT", "ONE.TXT", "THREE.TXT", "TWO.TXT"}));
    EXPECT_EQ(fileText(m_out.path() / "TWO.TXT"), "second");
    EXPECT_EQ(fileText(m_out.path() / "THREE.TXT"), "third");

    lzh::LzhListing listing = lzh::listMembers(archive);
    ASSERT_EQ(listing.members.size(), 4u);
    EXPECT_EQ(listing.members[1].packedSize, 6u); // extended headers taken off
}

TEST_F(CraftedArchive, StubOfOneKilobyteIsSkipped)
{
    ASSERT_EQ(extract(craftArchive({crafted("a.txt", "x")}, 1024)), 0);
    EXPECT_EQ(fileText(m_out.path() / "A.TXT"), "x");
}

TEST_F(CraftedArchive, ArchiveWithoutHeaderOrMembersFails)
{
    EXPECT_EQ(extract({}), 1);
    EXPECT_EQ(extract(craftArchive({crafted("a.txt", "x")}, 2100)), 1);
    std::vector<std::uint8_t> noMembers = {0, 0, '-', 'l', 'h', '0', '-'};
    noMembers.resize(27, 0);
    EXPECT_EQ(extract(noMembers), 1);
    EXPECT_EQ(LzhExtractAll(m_work.path() / "missing.lzh", m_out.path()), 1);
    EXPECT_TRUE(m_out.fileNames().empty());
}

TEST_F(CraftedArchive, DamagedHeadersAreReported)
{
    auto good = craftArchive({crafted("a.txt", "x"), crafted("b.txt", "y")}, 0, false);
    // First header cut short: nothing to extract.
    EXPECT_EQ(extract(std::vector<std::uint8_t>(good.begin(), good.begin() + 15)), 1);
    // Second header cut short: the first member is kept, the result says damage.
    std::size_t second = 24 + 5 + 1;
    EXPECT_EQ(extract(std::vector<std::uint8_t>(good.begin(), good.begin() + second + 10)), 2);
    EXPECT_EQ(m_out.fileNames(), std::vector<std::string>{"A.TXT"});
    // Without the closing 0 byte the archive simply ends.
    EXPECT_EQ(extract(good), 0);
}

TEST_F(CraftedArchive, NameLimits)
{
    EXPECT_EQ(extract(craftArchive({crafted(std::string(101, 'n'), "x")})), 1);
    ASSERT_EQ(extract(craftArchive({crafted(std::string(100, 'n'), "x")})), 0);
    EXPECT_EQ(m_out.fileNames(), std::vector<std::string>{"NNNNNNNNNNNNN"});

    auto longExt = craftArchive({crafted("", "x", 2, "-lh0-", std::string(101, 'e'))});
    EXPECT_EQ(lzh::listMembers(longExt).result, lzh::LzhResult::Damaged);
    auto longestExt = craftArchive({crafted("", "x", 2, "-lh0-", std::string(100, 'e'))});
    EXPECT_EQ(lzh::listMembers(longestExt).result, lzh::LzhResult::Ok);
}

TEST_F(CraftedArchive, NamesNeverLeaveTheDestination)
{
    const std::filesystem::path outside = m_out.path().parent_path() / "ESCAPED.TXT";
    std::filesystem::remove(outside);
    ASSERT_EQ(extract(craftArchive({
                  crafted("../escaped.txt", "0"),
                  crafted("", "1", 1, "-lh0-", "/tmp/../escaped.txt"),
                  crafted("", "2", 2, "-lh0-", "..\\..\\escaped.txt"),
              })),
              0);
    EXPECT_FALSE(std::filesystem::exists(outside));
    EXPECT_EQ(m_out.fileNames(), std::vector<std::string>{"ESCAPED.TXT"});
    EXPECT_EQ(fileText(m_out.path() / "ESCAPED.TXT"), "2");

    // Names with nothing safe left are refused.
    EXPECT_EQ(extract(craftArchive({crafted("", "x", 2, "-lh0-", "..")})), 1);
    EXPECT_EQ(extract(craftArchive({crafted("sub/", "x")})), 1);
}

TEST_F(CraftedArchive, LinkUnderTheMemberNameIsNotFollowed)
{
    const std::filesystem::path victim = m_work.path() / "victim.txt";
    writeBytes(victim, {'v'});
    std::filesystem::create_symlink(victim, m_out.path() / "A.TXT");
    EXPECT_EQ(extract(craftArchive({crafted("a.txt", "evil")})), 1);
    EXPECT_EQ(fileText(victim), "v");
}

TEST_F(CraftedArchive, ExistingFilesAreOverwritten)
{
    writeBytes(m_out.path() / "A.TXT", std::vector<std::uint8_t>(100, 'o'));
    ASSERT_EQ(extract(craftArchive({crafted("a.txt", "new")})), 0);
    EXPECT_EQ(fileText(m_out.path() / "A.TXT"), "new");
}

TEST_F(CraftedArchive, StoredDataEndingEarlyFailsAndLeavesNoPartFile)
{
    auto archive = craftArchive({crafted("a.txt", "full"), crafted("b.txt", "short")}, 0, false);
    archive.resize(archive.size() - 2);
    EXPECT_EQ(extract(archive), 1);
    EXPECT_EQ(m_out.fileNames(), std::vector<std::string>{"A.TXT"});
}

TEST_F(CraftedArchive, UnknownMethodAndUnknownLevel)
{
    EXPECT_EQ(extract(craftArchive({crafted("a.txt", "x"), crafted("b.txt", "y", 0, "-pm2-")})),
              2);
    EXPECT_EQ(m_out.fileNames(), std::vector<std::string>{"A.TXT"});
    auto level3 = craftArchive({crafted("c.txt", "x")});
    level3[20] = 3;
    EXPECT_EQ(extract(level3), 1);
}

TEST_F(CraftedArchive, CompressedMemberWithoutPackedDataFails)
{
    // A size field of 10,000 over no packed bytes: decoding would have to
    // invent the member from padding.
    EXPECT_EQ(extract(craftArchive({crafted("a.txt", "good"), crafted("z.bin", "", 0, "-lh5-", std::nullopt, 10000)},
                                   0, false)),
              1);
    EXPECT_EQ(m_out.fileNames(), std::vector<std::string>{"A.TXT"});
}

TEST_F(CraftedArchive, CrcMismatchFailsAndRemovesTheMemberAtEveryLevel)
{
    for (int level : {0, 1, 2}) {
        CraftedMember bad = crafted(level == 0 ? "b.txt" : "", "contents", level, "-lh0-",
                                    level == 0 ? std::nullopt : std::optional<std::string>("b.txt"));
        bad.crc = 0x1234;
        std::string why;
        writeBytes(m_work.path() / "a.lzh", craftArchive({crafted("a.txt", "good"), bad}));
        EXPECT_EQ(LzhExtractAll(m_work.path() / "a.lzh", m_out.path(), why), 1) << level;
        EXPECT_EQ(m_out.fileNames(), std::vector<std::string>{"A.TXT"}) << level;
        EXPECT_NE(why.find("B.TXT: CRC-16 mismatch"), std::string::npos) << why;
    }
}

} // namespace
} // namespace kiro::test
