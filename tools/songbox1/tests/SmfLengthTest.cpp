#include "tools/songbox1/SmfLength.h"

#include <gtest/gtest.h>
#include <vector>

using kiro::songbox1::measureSmf;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes header(std::uint16_t tracks, std::uint16_t division)
{
    return {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, static_cast<std::uint8_t>(tracks >> 8), static_cast<std::uint8_t>(tracks),
            static_cast<std::uint8_t>(division >> 8), static_cast<std::uint8_t>(division)};
}

void addTrack(Bytes& file, const Bytes& events)
{
    const auto n = static_cast<std::uint32_t>(events.size());
    file.insert(file.end(), {'M', 'T', 'r', 'k', static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16),
                             static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)});
    file.insert(file.end(), events.begin(), events.end());
}

} // namespace

TEST(SmfLength, FollowsTheTempoMapAcrossTracks)
{
    Bytes file = header(2, 480);
    // Conductor: 120 bpm, then 60 bpm (1,000,000 us per quarter) at tick 960.
    addTrack(file, {0x00, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20, 0x87, 0x40, 0xFF, 0x51, 3, 0x0F, 0x42, 0x40, 0x00, 0xFF, 0x2F, 0});
    // Notes to tick 1920 with running status and a program change.
    addTrack(file, {0x00, 0xC0, 5, 0x00, 0x90, 60, 100, 0x8F, 0x00, 60, 0, 0x00, 0xFF, 0x2F, 0});
    const auto length = measureSmf(file);
    ASSERT_TRUE(length.ok()) << length.error;
    EXPECT_EQ(length.lastTick, 1920u);
    // Two quarters at 0.5 s, two at 1 s.
    EXPECT_EQ(length.duration.count(), 3'000'000);
}

TEST(SmfLength, SmpteTimeAndBrokenFiles)
{
    Bytes smpte = header(1, 0xE728); // -25 fps, 40 ticks per frame: 1000 ticks a second
    addTrack(smpte, {0x00, 0x90, 60, 1, 0x87, 0x68, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0});
    const auto length = measureSmf(smpte);
    ASSERT_TRUE(length.ok()) << length.error;
    EXPECT_EQ(length.duration.count(), 1'000'000);

    EXPECT_FALSE(measureSmf(Bytes{'R', 'I', 'F', 'F'}).ok());
    Bytes cut = header(1, 480);
    addTrack(cut, {0x00, 0x90, 60});
    EXPECT_FALSE(measureSmf(cut).ok());
    Bytes lying = header(1, 480);
    lying.insert(lying.end(), {'M', 'T', 'r', 'k', 0, 0, 1, 0, 0x00});
    EXPECT_FALSE(measureSmf(lying).ok());
    Bytes noStatus = header(1, 480);
    addTrack(noStatus, {0x00, 60, 100});
    EXPECT_FALSE(measureSmf(noStatus).ok());
}

TEST(SmfLength, ConvertsTicksToTimeAndBackAcrossTempoChanges)
{
    Bytes file = header(1, 480);
    addTrack(file, {0x00, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20, 0x87, 0x40, 0xFF, 0x51, 3, 0x0F, 0x42, 0x40, 0x8F, 0x00, 0xFF, 0x2F, 0});
    const auto song = measureSmf(file);
    ASSERT_TRUE(song.ok()) << song.error;
    EXPECT_DOUBLE_EQ(kiro::songbox1::tickToMicroseconds(song, 960), 1'000'000);
    EXPECT_DOUBLE_EQ(kiro::songbox1::tickToMicroseconds(song, 1440), 2'000'000);
    EXPECT_EQ(kiro::songbox1::microsecondsToTick(song, 500'000), 480u);
    EXPECT_EQ(kiro::songbox1::microsecondsToTick(song, 2'000'000), 1440u);
    EXPECT_EQ(kiro::songbox1::microsecondsToTick(song, 0), 0u);
}
