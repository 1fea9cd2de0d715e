#include "KrdWriter.h"

#include "player/KrdFormat.h"
#include "player/PictureChooser.h"

#include <gtest/gtest.h>
#include <set>

using namespace kiro::player;
using namespace kiro::player::test;

namespace {

// Plays back a list of picks (modulo the count asked for).
class ScriptedRandom final : public RandomSource {
public:
    explicit ScriptedRandom(std::vector<std::size_t> picks = {0}) : m_picks(std::move(picks)) {}
    std::size_t below(std::size_t count) override
    {
        const std::size_t pick = m_picks[m_next++ % m_picks.size()];
        return pick % count;
    }

private:
    std::vector<std::size_t> m_picks;
    std::size_t m_next = 0;
};

ListedArchive archive(const PictureAttributes& attributes, std::uint8_t number)
{
    return {exactArchiveName(attributes, number) + ".lzh", attributes};
}

AttributeKey key(const PictureAttributes& attributes, const std::array<std::uint8_t, 7>& priorities)
{
    return {attributes, priorities};
}

} // namespace

TEST(PictureChooser, TwoRequestsOverThreeEqualArchivesGetTwoDifferentOnes)
{
    const PictureAttributes same{1, 2, 3, 4, 5, 6, 7};
    for (std::size_t first = 0; first < 3; ++first) {
        // Whatever the generator says, the second pick avoids the first.
        ScriptedRandom random({first, first, first});
        PictureChooser chooser("/p", "/u", {archive(same, 1), archive(same, 2), archive(same, 3)}, {}, random);
        chooser.setRequestCount(2);
        const AttributeKey wanted = key(same, {0, 1, 2, 3, 4, 5, 6});
        const std::string a = chooser.chooseByAttributes(wanted);
        const std::string b = chooser.chooseByAttributes(wanted);
        EXPECT_NE(a, b);
        EXPECT_EQ(a.rfind("/p/", 0), 0u);
    }
}

TEST(PictureChooser, SweepsDropAttributesByPriority)
{
    ScriptedRandom random;
    // Priorities: a3 most important, then a0, a1, a2, a4, then the 5/6 pair.
    const AttributeKey wanted = key({1, 1, 1, 1, 1, 1, 1}, {1, 2, 3, 0, 4, 5, 6});
    std::vector<ListedArchive> listed = {
        archive({9, 9, 9, 9, 9, 9, 9}, 0), // 0: nothing matches
        archive({1, 1, 1, 1, 1, 1, 2}, 0), // 1: all but a6 (level 1 of the first sweep)
        archive({1, 1, 1, 1, 1, 1, 1}, 0), // 2: all seven (level 0)
        archive({9, 9, 9, 1, 9, 9, 9}, 0), // 3: a3 alone (level 6 of the first sweep)
        archive({9, 9, 9, 9, 9, 1, 1}, 0), // 4: the 5/6 pair alone (second sweep)
        archive({1, 1, 1, 1, 9, 1, 9}, 0), // 5: a3 a0 a1 a2 (level 3 of the first sweep; a4 differs)
    };
    PictureChooser chooser("/p", "/u", listed, {}, random);

    chooser.setRequestCount(20);
    EXPECT_EQ(chooser.candidatesFor(wanted), (std::vector<std::size_t>{2, 1, 5, 3, 4}));
    // Gathering stops before the first level that starts with enough.
    chooser.setRequestCount(1);
    EXPECT_EQ(chooser.candidatesFor(wanted), (std::vector<std::size_t>{2}));
    chooser.setRequestCount(2);
    EXPECT_EQ(chooser.candidatesFor(wanted), (std::vector<std::size_t>{2, 1}));
    chooser.setRequestCount(3);
    EXPECT_EQ(chooser.candidatesFor(wanted), (std::vector<std::size_t>{2, 1, 5}));

    // The pair: matching a5 alone is not enough when a6 differs.
    ScriptedRandom r2;
    PictureChooser pair("/p", "/u", {archive({9, 9, 9, 9, 9, 1, 9}, 0)}, {}, r2);
    pair.setRequestCount(5);
    EXPECT_TRUE(pair.candidatesFor(key({1, 1, 1, 1, 1, 1, 1}, {6, 5, 4, 3, 2, 0, 1})).empty());
}

TEST(PictureChooser, HandedOutListAndFallbacks)
{
    const PictureAttributes same{};
    ScriptedRandom random({0});
    PictureChooser chooser("/p", "/u", {archive(same, 1), archive(same, 2)}, {}, random);
    chooser.setRequestCount(2);
    const AttributeKey wanted = key(same, {});
    std::multiset<std::string> got;
    for (int i = 0; i < 4; ++i)
        got.insert(chooser.chooseByAttributes(wanted));
    // Each round of two hands out both before any repeats.
    EXPECT_EQ(got.count("/p/" + exactArchiveName(same, 1) + ".lzh"), 2u);
    EXPECT_EQ(got.count("/p/" + exactArchiveName(same, 2) + ".lzh"), 2u);

    // No archive at all: nothing; no archive matching anything: any archive.
    ScriptedRandom r2;
    PictureChooser empty("/p", "/u", {}, {}, r2);
    EXPECT_EQ(empty.chooseByAttributes(wanted), "");
    PictureChooser foreign("/p", "/u", {archive({3, 3, 3, 3, 3, 3, 3}, 1)}, {}, r2);
    foreign.setRequestCount(1);
    EXPECT_EQ(foreign.chooseByAttributes(wanted), "/p/" + exactArchiveName({3, 3, 3, 3, 3, 3, 3}, 1) + ".lzh");

    PictureChooser noUser("/p", "/u", {}, {}, r2);
    EXPECT_EQ(noUser.chooseUserBitmap(), "");
    ScriptedRandom r3({1});
    PictureChooser user("/p", "/u", {}, {"a.bmp", "b.bmp"}, r3);
    EXPECT_EQ(user.chooseUserBitmap(), "/u/b.bmp");
}

TEST(PictureChooser, ListsFoldersAndKeepsSourcesInsidePict)
{
    const auto root = freshFolder("chooser");
    const auto pict = root / "pict";
    std::filesystem::create_directories(pict / "00000009.lzh"); // a folder, skipped
    std::filesystem::create_directories(root / "user");
    writeBytes(pict / "00000001.LZH", {1});
    writeBytes(pict / "readme.lzh", {1}); // not an archive name
    writeBytes(pict / "00000002.txt", {1});
    writeBytes(root / "user" / "mine.BMP", {1});
    ScriptedRandom random;
    PictureChooser chooser(pict, root / "user", random);
    ASSERT_EQ(chooser.archives().size(), 1u);
    EXPECT_EQ(chooser.archives()[0].fileName, "00000001.LZH");
    EXPECT_EQ(chooser.userBitmaps(), (std::vector<std::string>{"mine.BMP"}));

    const Bytes file = KrdWriter()
                           .pictureByNumber({}, 1)  // found whatever its case
                           .pictureByNumber({}, 2)  // absent: the path is still built
                           .namedPicture("../../etc/passwd")
                           .namedPicture("..\\evil")
                           .pictureSlot()
                           .pictureByAttributes({}, {})
                           .end()
                           .bytes();
    std::vector<PictureEntry> rows = readKrdCommands(file).pictures;
    choosePictureSources(rows, false, root, chooser);
    EXPECT_EQ(rows[0].source, (pict / "00000001.LZH").string());
    EXPECT_EQ(rows[1].source, (pict / "00000002.lzh").string());
    EXPECT_EQ(rows[2].source, "");
    EXPECT_EQ(rows[3].source, "");
    EXPECT_EQ(rows[4].source, "");
    EXPECT_EQ(rows[5].source, (pict / "00000001.LZH").string());

    // With the user's pictures every row but code 13 takes a user bitmap.
    choosePictureSources(rows, true, root, chooser);
    for (std::size_t i : {0, 1, 2, 3, 5})
        EXPECT_EQ(rows[i].source, (root / "user" / "mine.BMP").string()) << i;
    std::filesystem::remove_all(root);
}
