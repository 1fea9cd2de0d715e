#include "assets/music/BackgroundSongs.h"
#include "assets/music/DemoSong.h"
#include "common/Cp932.h"
#include "player/KrdFormat.h"
#include "player/TempKrd.h"
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

TEST(DemoSong, IsAKrdOfVersion90WhoseWordsFallInsideTheSong)
{
    const auto song = kiro::music::composeDemoSong();
    const auto check = kiro::player::checkKrdHeader(song.krd);
    EXPECT_TRUE(check.accepted());
    const auto reading = kiro::player::readKrdCommands(song.krd);
    ASSERT_TRUE(reading.end.complete()) << reading.end.message();
    // songbox hands the stream after the header to songbox1 unchanged (no pictures).
    const std::vector<std::uint8_t> stream(song.krd.begin() + 54, song.krd.end());
    const auto temp = kiro::player::readTempKrdPictures(stream);
    ASSERT_TRUE(temp.end.complete());
    ASSERT_EQ(temp.texts.size(), 4u);
    const auto midi = kiro::songbox1::measureSmf(song.midi);
    ASSERT_TRUE(midi.ok());
    std::uint32_t previous = 0;
    for (const auto& line : temp.texts) {
        EXPECT_GT(line.head, previous);
        EXPECT_LT(line.head, midi.duration.count() / 1000);
        previous = line.head;
        EXPECT_TRUE(kiro::cp932::tryToUtf8(line.text).has_value());
    }
}
