// Real playback through FluidSynth, heard by SDL's dummy driver (paced in
// real time), so the positions follow the clock.
#include "assets/music/BackgroundSongs.h"
#include "midithunk/FluidBackend.h"
#include "midithunk/orvelmp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using namespace std::chrono_literals;

std::filesystem::path writeSong(const std::string& name)
{
    const auto folder = std::filesystem::path(testing::TempDir()) / "kiro-fluid";
    std::filesystem::create_directories(folder);
    const auto bytes = kiro::music::composeSong(kiro::music::backgroundSongPlans()[3]); // KIRO1, loop 96..864
    std::ofstream(folder / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return folder / name;
}

template <typename Condition>
bool within(std::chrono::milliseconds limit, Condition condition)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(10ms);
    }
    return condition();
}

std::uint32_t positionMs()
{
    std::uint32_t ms = 0;
    EXPECT_EQ(vmpGetPositionByMS(&ms), VMP_OK);
    return ms;
}

std::uint32_t positionTick()
{
    std::uint32_t tick = 0;
    EXPECT_EQ(vmpGetPosition(&tick), VMP_OK);
    return tick;
}

class FluidPlayback : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(kiro::vmp::FluidBackend::defaultSoundFont()))
            GTEST_SKIP() << "no General MIDI SoundFont installed";
        // No registry: the default SoundFont.
        const auto windows = std::filesystem::path(testing::TempDir()) / "kiro-fluid-windows";
        std::filesystem::create_directories(windows);
        setenv("KIRO_WINDIR", windows.c_str(), 1);
        ASSERT_EQ(vmpOpen(0, 0), VMP_OK);
    }
    void TearDown() override { vmpClose(); }
};

std::atomic<int> g_ends {0};
std::atomic<int> g_clocks {0};

void countNotice(std::uint32_t window, std::uint32_t message, std::uint32_t, std::uint32_t, void* context)
{
    EXPECT_EQ(context, &g_ends);
    EXPECT_EQ(window, 7u);
    if (message == 0x401)
        ++g_ends;
    if (message == 0x402)
        ++g_clocks;
}

} // namespace

TEST_F(FluidPlayback, ARealSongPlaysWithinASecondAndItsPositionFollowsTheClock)
{
    ASSERT_EQ(vmpSetSong(writeSong("play.mid").c_str()), VMP_OK);
    EXPECT_EQ(vmpGetStatus(), VMP_STATUS_STOPPED);
    ASSERT_EQ(vmpStart(), VMP_OK);
    ASSERT_TRUE(within(1000ms, [] { return vmpGetStatus() == VMP_STATUS_PLAYING; }));
    ASSERT_TRUE(within(1000ms, [] { return positionMs() > 0; })) << "the song does not advance";
    const std::uint32_t first = positionMs();
    const auto started = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(600ms);
    const std::uint32_t second = positionMs();
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
    EXPECT_GE(second - first, static_cast<std::uint32_t>(elapsed / 3)) << "playing far slower than the clock";
    EXPECT_LE(second - first, static_cast<std::uint32_t>(elapsed + 300)) << "playing faster than the clock";

    // Stopping keeps the place; starting again goes on from there.
    ASSERT_EQ(vmpStop(), VMP_OK);
    EXPECT_EQ(vmpGetStatus(), VMP_STATUS_STOPPED);
    const std::uint32_t kept = positionTick();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(positionTick(), kept);
    ASSERT_EQ(vmpStart(), VMP_OK);
    ASSERT_TRUE(within(1000ms, [&] { return positionTick() > kept; }));
    EXPECT_LT(positionTick(), kept + 400);
}

TEST_F(FluidPlayback, RepeatModeLoopsBetweenTheRepeatPoints)
{
    ASSERT_EQ(vmpSetSong(writeSong("loop.mid").c_str()), VMP_OK);
    ASSERT_EQ(vmpSetRepeatPoint(96, 864), VMP_OK);
    ASSERT_EQ(vmpSetPlayMode(VMP_MODE_REPEAT), VMP_OK);
    ASSERT_EQ(vmpSetPosition(780), VMP_OK);
    ASSERT_EQ(vmpStart(), VMP_OK);
    // 84 ticks at 112 beats a minute is under half a second; then back to 96.
    ASSERT_TRUE(within(2500ms, [] {
        const auto tick = positionTick();
        return tick >= 96 && tick < 700;
    })) << "still at " << positionTick();
    EXPECT_EQ(vmpGetStatus(), VMP_STATUS_PLAYING);
}

TEST_F(FluidPlayback, APlayedOutSongSendsItsDataEndMessageOnce)
{
    g_ends = 0;
    g_clocks = 0;
    vmpSetNotify(&countNotice, &g_ends);
    ASSERT_EQ(vmpSetSong(writeSong("end.mid").c_str()), VMP_OK);
    ASSERT_EQ(vmpSetDataEndMsg(7, 0x401), VMP_OK);
    ASSERT_EQ(vmpSetClkMsg(7, 0x402, 50), VMP_OK);
    ASSERT_EQ(vmpSetPositionByMS(4500), VMP_OK); // about half a second before the end
    ASSERT_EQ(vmpStart(), VMP_OK);
    EXPECT_TRUE(within(3000ms, [] { return g_ends.load() == 1; }));
    EXPECT_EQ(vmpGetStatus(), VMP_STATUS_STOPPED);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(g_ends.load(), 1);
    EXPECT_GE(g_clocks.load(), 2);
    vmpSetNotify(nullptr, nullptr);
}

TEST_F(FluidPlayback, BadSongsAndArgumentsAreRefused)
{
    EXPECT_EQ(vmpStart(), VMP_E_NO_SONG);
    EXPECT_EQ(vmpSetSong("/nonexistent/song.mid"), VMP_E_BAD_FILE);
    const auto notMidi = std::filesystem::path(testing::TempDir()) / "kiro-not-midi.mid";
    std::ofstream(notMidi) << "RIFF this is not a song";
    EXPECT_EQ(vmpSetSong(notMidi.c_str()), VMP_E_BAD_FILE);
    EXPECT_EQ(vmpSetKeyShift(13), VMP_E_BAD_ARGUMENT);
    EXPECT_EQ(vmpSetKeyShift(-2), VMP_OK);
    std::int32_t value = 0;
    EXPECT_EQ(vmpGetKeyShift(&value), VMP_OK);
    EXPECT_EQ(value, -2);
    EXPECT_EQ(vmpSetVolume(16, 100), VMP_E_BAD_ARGUMENT);
    EXPECT_EQ(vmpSetVolume(3, 64), VMP_OK);
    EXPECT_EQ(vmpGetVolume(3, &value), VMP_OK);
    EXPECT_EQ(value, 64);
    EXPECT_EQ(vmpSetTempo(10), VMP_E_BAD_ARGUMENT);
    EXPECT_EQ(vmpClose(), VMP_OK);
    EXPECT_EQ(vmpGetStatus(), VMP_STATUS_CLOSED);
    EXPECT_EQ(vmpSetSong(notMidi.c_str()), VMP_E_NOT_OPEN);
}

TEST_F(FluidPlayback, TempoScalesTheSpeedAndRepeatWithoutAnEndLoopsTheWholeSong)
{
    ASSERT_EQ(vmpSetSong(writeSong("tempo.mid").c_str()), VMP_OK);
    ASSERT_EQ(vmpSetTempo(300), VMP_OK);
    ASSERT_EQ(vmpSetPlayMode(VMP_MODE_REPEAT), VMP_OK);
    ASSERT_EQ(vmpSetRepeatPoint(96, 0), VMP_OK);
    ASSERT_EQ(vmpSetPositionByMS(4000), VMP_OK); // 1.36 s of song before the end: under half a second at 300 %
    ASSERT_EQ(vmpStart(), VMP_OK);
    // Past the song's end it starts again from the repeat start and keeps
    // playing; at the song's own tempo that would take 1.36 s.
    ASSERT_TRUE(within(1000ms, [] { return positionMs() < 3000; })) << "still at " << positionMs();
    EXPECT_EQ(vmpGetStatus(), VMP_STATUS_PLAYING);
    EXPECT_GE(positionTick(), 96u);
    std::int32_t tempo = 0;
    EXPECT_EQ(vmpGetTempo(&tempo), VMP_OK);
    EXPECT_EQ(tempo, 300);
}

TEST_F(FluidPlayback, APositionSetRightAfterStartIsWhereTheSongGoesOn)
{
    // The background music starts a tune and then sets its start position.
    ASSERT_EQ(vmpSetSong(writeSong("late-seek.mid").c_str()), VMP_OK);
    ASSERT_EQ(vmpStart(), VMP_OK);
    ASSERT_EQ(vmpSetPosition(600), VMP_OK);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(vmpGetStatus(), VMP_STATUS_PLAYING);
    EXPECT_GE(positionTick(), 600u) << "the song went on from its beginning";
}

TEST_F(FluidPlayback, ClockMessagesGoOnAfterTheSongLoopsBack)
{
    g_ends = 0;
    g_clocks = 0;
    vmpSetNotify(&countNotice, &g_ends);
    ASSERT_EQ(vmpSetSong(writeSong("loop-clock.mid").c_str()), VMP_OK);
    ASSERT_EQ(vmpSetRepeatPoint(96, 864), VMP_OK);
    ASSERT_EQ(vmpSetPlayMode(VMP_MODE_REPEAT), VMP_OK);
    ASSERT_EQ(vmpSetPosition(780), VMP_OK);
    ASSERT_EQ(vmpSetClkMsg(7, 0x402, 50), VMP_OK);
    ASSERT_EQ(vmpStart(), VMP_OK);
    ASSERT_TRUE(within(2500ms, [] {
        const auto tick = positionTick();
        return tick >= 96 && tick < 700;
    })) << "still at " << positionTick();
    const int before = g_clocks.load();
    std::this_thread::sleep_for(500ms);
    EXPECT_GE(g_clocks.load() - before, 4) << "no clock messages since the song went back";
    vmpSetNotify(nullptr, nullptr);
}
