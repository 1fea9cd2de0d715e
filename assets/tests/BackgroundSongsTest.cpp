#include "assets/music/BackgroundSongs.h"
#include "tools/songbox1/SmfLength.h"

#include <gtest/gtest.h>

#include <set>

using kiro::music::backgroundSongPlans;
using kiro::music::composeSong;

TEST(BackgroundSongs, EveryTuneOfTheTableIsAValidSongThatReachesItsLoopEnd)
{
    const std::vector<std::string> names = {"F1004216.mid", "OPEN.mid", "END.mid", "KIRO1.mid", "KIRO2.mid", "KIRO3.mid",
        "KIRO4.mid", "KIRO5.mid", "INSTAL1.mid", "INSTAL2.mid", "Forum.mid"};
    ASSERT_EQ(backgroundSongPlans().size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto& plan = backgroundSongPlans()[i];
        EXPECT_EQ(plan.fileName, names[i]);
        const auto song = kiro::songbox1::measureSmf(composeSong(plan));
        ASSERT_TRUE(song.ok()) << plan.fileName << ": " << song.error;
        EXPECT_EQ(song.division, 96);
        // The player loops at the end tick: the song must run past it.
        EXPECT_EQ(song.lastTick, plan.loopEnd + 96) << plan.fileName;
        EXPECT_GT(song.duration.count(), 2'000'000) << plan.fileName;
    }
    EXPECT_EQ(backgroundSongPlans()[8].loopEnd, 5376u);
    EXPECT_EQ(backgroundSongPlans()[10].loopEnd, 5280u);
}

TEST(BackgroundSongs, TunesDifferAndTheSameSeedGivesTheSameBytes)
{
    std::set<std::vector<std::uint8_t>> distinct;
    for (const auto& plan : backgroundSongPlans())
        distinct.insert(composeSong(plan));
    EXPECT_EQ(distinct.size(), backgroundSongPlans().size());
    EXPECT_EQ(composeSong(backgroundSongPlans()[3]), composeSong(backgroundSongPlans()[3]));
}

TEST(BackgroundSongs, WritesEveryFileIntoTheFolder)
{
    const auto folder = std::filesystem::path(testing::TempDir()) / "kiro-bgm-songs";
    std::filesystem::remove_all(folder);
    EXPECT_TRUE(kiro::music::writeBackgroundSongs(folder).empty());
    for (const auto& plan : backgroundSongPlans())
        EXPECT_TRUE(std::filesystem::exists(folder / plan.fileName)) << plan.fileName;
    std::filesystem::remove_all(folder);
}
