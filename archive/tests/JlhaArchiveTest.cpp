// Archives made on the spot by jLHA (Debian jlha-utils), including a 5 MB
// member, at every header level; methods outside the table are refused.
#include "ArchiveTestSupport.h"
#include "Sha256.h"

#include "archive/LzhArchive.h"
#include "archive/LzhExtract.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace kiro::test {
namespace {

bool haveJlha()
{
    return std::system("command -v jlha >/dev/null 2>&1") == 0;
}

// Half text-like lines, half noisy binary with repeats: enough structure to
// give long matches, literals and many blocks.
std::vector<std::uint8_t> mixedContent(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> out;
    out.reserve(size);
    static const char* words[] = {"karaoke ", "song ", "lyrics ", "MIDI ", "track ", "\r\n", "tempo ", "verse "};
    while (out.size() < size / 2) {
        const char* w = words[random() % 8];
        out.insert(out.end(), w, w + std::char_traits<char>::length(w));
    }
    while (out.size() < size) {
        if (random() % 4 == 0 && out.size() > 300) {
            std::size_t back = 1 + random() % 256;
            std::size_t length = 3 + random() % 40;
            for (std::size_t i = 0; i < length; ++i) {
                out.push_back(out[out.size() - back]);
            }
        } else {
            out.push_back(static_cast<std::uint8_t>(random() % 64));
        }
    }
    out.resize(size);
    return out;
}

class JlhaArchive : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!haveJlha()) {
            GTEST_SKIP() << "jlha is not installed";
        }
    }

    // Runs "jlha <options> archive member" in the work folder.
    void pack(const std::string& options, const std::string& archive, const std::string& member)
    {
        std::string command = "cd '" + m_work.path().string() + "' && jlha " + options + " " + archive + " " + member +
                              " >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

    TempDir m_work;
    TempDir m_out;
};

TEST_F(JlhaArchive, FiveMegabyteMemberAtEveryLevel)
{
    std::vector<std::uint8_t> content = mixedContent(5 * 1024 * 1024, 5);
    writeBytes(m_work.path() / "big.dat", content);
    const std::string expected = sha256Hex(content);
    for (const char* options : {"c0q", "c1q", "c2q", "cz2q"}) {
        SCOPED_TRACE(options);
        pack(options, "big.lzh", "big.dat");
        lzh::LzhListing listing = lzh::listMembers(readBytes(m_work.path() / "big.lzh"));
        ASSERT_EQ(listing.members.size(), 1u);
        EXPECT_EQ(listing.members[0].method, std::string(options) == "cz2q" ? "-lh0-" : "-lh5-");
        ASSERT_EQ(LzhExtractAll(m_work.path() / "big.lzh", m_out.path()), 0);
        EXPECT_EQ(sha256OfFile(m_out.path() / "BIG.DAT"), expected);
        std::filesystem::remove(m_work.path() / "big.lzh");
    }
}

TEST_F(JlhaArchive, SeveralMembersSmallAndEmpty)
{
    writeBytes(m_work.path() / "a.txt", mixedContent(70000, 1));
    writeBytes(m_work.path() / "empty.txt", {});
    writeBytes(m_work.path() / "b.bin", mixedContent(3, 2));
    pack("c2q", "m.lzh", "a.txt empty.txt b.bin");
    ASSERT_EQ(LzhExtractAll(m_work.path() / "m.lzh", m_out.path()), 0);
    EXPECT_EQ(readBytes(m_out.path() / "A.TXT"), readBytes(m_work.path() / "a.txt"));
    EXPECT_EQ(readBytes(m_out.path() / "EMPTY.TXT"), std::vector<std::uint8_t>{});
    EXPECT_EQ(readBytes(m_out.path() / "B.BIN"), readBytes(m_work.path() / "b.bin"));
}

TEST_F(JlhaArchive, LargerDictionaryMethodsAreRefused)
{
    writeBytes(m_work.path() / "t.txt", mixedContent(200000, 3));
    for (const char* options : {"c1o6q", "c2o7q"}) {
        SCOPED_TRACE(options);
        pack(options, "x.lzh", "t.txt");
        lzh::LzhListing listing = lzh::listMembers(readBytes(m_work.path() / "x.lzh"));
        ASSERT_EQ(listing.members.size(), 1u);
        EXPECT_EQ(listing.members[0].method, std::string(options) == "c1o6q" ? "-lh6-" : "-lh7-");
        EXPECT_EQ(LzhExtractAll(m_work.path() / "x.lzh", m_out.path()), 2);
        EXPECT_TRUE(m_out.fileNames().empty());
        std::filesystem::remove(m_work.path() / "x.lzh");
    }
}

} // namespace
} // namespace kiro::test
