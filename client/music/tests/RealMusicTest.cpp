// The controller over the real loader and engine, heard by SDL's dummy driver.
#include "assets/music/BackgroundSongs.h"
#include "client/music/MusicController.h"
#include "common/Registry.h"
#include "midiload/orvelmpl.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

using namespace std::chrono_literals;

std::uint32_t positionTick()
{
    std::uint32_t tick = 0;
    vmpldGetPosition(&tick);
    return tick;
}

bool playingWithin(kiro::music::MusicController& music, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!music.isPlaying() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(10ms);
    return music.isPlaying();
}

} // namespace

TEST(RealMusic, PlaysSuspendsAndResumesThroughTheLoader)
{
    if (!std::filesystem::exists("/usr/share/sounds/sf2/default-GM.sf2"))
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    const auto root = std::filesystem::path(testing::TempDir()) / "kiro-real-music";
    std::filesystem::remove_all(root);
    ASSERT_TRUE(kiro::music::writeBackgroundSongs(root / "KIRO" / "karaoke").empty());
    std::filesystem::create_directories(root / "windows");
    setenv("KIRO_WINDIR", (root / "windows").c_str(), 1);
    kiro::Registry registry(root / "windows" / "registry.reg");
    ASSERT_TRUE(registry.writeString("SOFTWARE\\Orvel\\ＫＩＲＯ\\smfplayer", "engine", "orvelmp.dll"));
    ASSERT_TRUE(registry.writeDword("SOFTWARE\\Orvel\\ＫＩＲＯ\\smfplayer", "interface", 0));

    kiro::music::MusicController music(kiro::music::linkedPlayerLibrary(), (root / "KIRO").string() + "/", nullptr, false);
    ASSERT_EQ(music.openAndPlay(3), 0);
    ASSERT_TRUE(playingWithin(music, 1000ms));
    std::this_thread::sleep_for(300ms);
    const std::uint32_t reached = positionTick();
    EXPECT_GT(reached, 0u);
    music.play(3); // the same tune: it goes on
    std::this_thread::sleep_for(100ms);
    EXPECT_GE(positionTick(), reached);

    music.suspend(-1);
    EXPECT_FALSE(music.isPlaying());
    EXPECT_EQ(vmpldGetStatus(), 0) << "suspending closes the engine";
    music.resume();
    ASSERT_TRUE(playingWithin(music, 1000ms));
    EXPECT_LT(positionTick(), reached) << "resume starts the tune again";
    music.close();
    EXPECT_FALSE(music.isPlaying());
    std::filesystem::remove_all(root);
}
