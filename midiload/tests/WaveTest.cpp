// The loader's own WAV playback, recorded by SDL's "disk" audio driver.
#include "midiload/orvelmpl.h"
#include "midiload/tests/LoaderTestSupport.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void putLittle(Bytes& out, std::uint32_t value, int count)
{
    for (int i = 0; i < count; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// 16-bit stereo PCM at 44,100 Hz with an extra chunk before "fmt ".
Bytes waveFile(const Bytes& data)
{
    Bytes body {'W', 'A', 'V', 'E', 'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    body.insert(body.end(), {'f', 'm', 't', ' '});
    putLittle(body, 16, 4);
    putLittle(body, 1, 2);
    putLittle(body, 2, 2);
    putLittle(body, 44100, 4);
    putLittle(body, 44100 * 4, 4);
    putLittle(body, 4, 2);
    putLittle(body, 16, 2);
    body.insert(body.end(), {'d', 'a', 't', 'a'});
    putLittle(body, static_cast<std::uint32_t>(data.size()), 4);
    body.insert(body.end(), data.begin(), data.end());
    Bytes file {'R', 'I', 'F', 'F'};
    putLittle(file, static_cast<std::uint32_t>(body.size()), 4);
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

class Wave : public LoaderFixture {
protected:
    void SetUp() override
    {
        LoaderFixture::SetUp();
        chooseEngine("kirofakeengine.dll", 0);
        ASSERT_EQ(vmpldOpen(1, 0, 0), 0);
        m_recording = m_windows / "played.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", m_recording.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "5", 1);
    }
    void TearDown() override
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        LoaderFixture::TearDown();
    }
    std::string write(const std::string& name, const Bytes& bytes)
    {
        const auto path = m_windows / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    Bytes recorded() const
    {
        std::ifstream in(m_recording, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::path m_recording;
};

} // namespace

TEST_F(Wave, ThirtyThousandBytesPlayOneFullBufferAndOnePaddedWithTheLastByte)
{
    Bytes data(30000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 7 % 251 + 1);
    ASSERT_EQ(vmpldWaveSetVol(0xFFFF), 1u); // full volume: the samples pass unchanged
    ASSERT_EQ(vmpldWavePlay(write("30000.wav", waveFile(data)).c_str()), 1u);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(vmpldWaveClose(), 1u);

    Bytes sound = recorded();
    // The output may have sent silence before the first buffer arrived; the data holds no zero byte.
    sound.erase(sound.begin(), std::find_if(sound.begin(), sound.end(), [](std::uint8_t b) { return b != 0; }));
    ASSERT_GE(sound.size(), 2 * 22528u);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), sound.begin())) << "the data did not play in order";
    for (std::size_t i = data.size(); i < 2 * 22528; ++i)
        ASSERT_EQ(sound[i], data.back()) << "byte " << i << " of the second buffer";
    // After the two buffers, only silence.
    for (std::size_t i = 2 * 22528; i < sound.size(); ++i)
        ASSERT_EQ(sound[i], 0) << "byte " << i << " after the end";
}

TEST_F(Wave, EmptyDataReturnsOneAndPlaysNothing)
{
    EXPECT_EQ(vmpldWavePlay(write("empty.wav", waveFile({})).c_str()), 1u);
    EXPECT_FALSE(std::filesystem::exists(m_recording)) << "no device should have been opened";
}

TEST_F(Wave, UnreadableFilesReturnZero)
{
    EXPECT_EQ(vmpldWavePlay((m_windows / "missing.wav").c_str()), 0u);
    Bytes notWave = waveFile(Bytes(100, 1));
    notWave[8] = 'X'; // "XAVE"
    EXPECT_EQ(vmpldWavePlay(write("bad.wav", notWave).c_str()), 0u);
    Bytes cut = waveFile(Bytes(100, 1));
    cut.resize(30); // ends inside the format chunk
    EXPECT_EQ(vmpldWavePlay(write("cut.wav", cut).c_str()), 0u);
}

TEST_F(Wave, StoppingEarlyEndsAtOnceAndTheVolumeReachesBothChannels)
{
    ASSERT_EQ(vmpldWaveSetVol(0x8000), 1u);
    // Two seconds of a steady tone: stopped long before its end.
    Bytes data;
    for (int frame = 0; frame < 44100 * 2; ++frame)
        putLittle(data, 0x4000, 2), putLittle(data, 0x4000, 2);
    ASSERT_EQ(vmpldWavePlay(write("long.wav", waveFile(data)).c_str()), 1u);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(vmpldWaveClose(), 1u);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(500));
    Bytes sound = recorded();
    std::size_t silentFrames = 0;
    while (silentFrames * 4 + 4 <= sound.size() && std::all_of(sound.begin() + silentFrames * 4, sound.begin() + silentFrames * 4 + 4, [](std::uint8_t b) { return b == 0; }))
        ++silentFrames;
    sound.erase(sound.begin(), sound.begin() + static_cast<std::ptrdiff_t>(silentFrames * 4));
    ASSERT_GE(sound.size(), 8u);
    const auto left = static_cast<std::int16_t>(sound[0] | (sound[1] << 8));
    const auto right = static_cast<std::int16_t>(sound[2] | (sound[3] << 8));
    EXPECT_EQ(left, 0x2000);
    EXPECT_EQ(right, 0x2000);
    EXPECT_LT(sound.size(), data.size()) << "the whole file played although it was stopped";
    // Playing another file after a stop works again.
    EXPECT_EQ(vmpldWavePlay(write("again.wav", waveFile(Bytes(400, 9))).c_str()), 1u);
    EXPECT_EQ(vmpldClose(), 0) << "closing the player also stops the sound";
}
