#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <mutex>
#include <vector>

// The loader's own WAV playback: a RIFF "WAVE" file streamed through two
// 22,528-byte buffers that take turns on SDL2's audio output. The output asks
// for sound on its own thread; each buffer it has used up is reported there
// as done, refilled from the file and queued again, until the data is over.
namespace kiro::midiload {

inline constexpr std::size_t kWaveBufferSize = 22528;

// The 18-byte format record of the "fmt " chunk.
struct WaveFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSecond = 0;
    std::uint32_t averageBytesPerSecond = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t extraSize = 0;
};

class WavPlayer {
public:
    WavPlayer() = default;
    ~WavPlayer();
    WavPlayer(const WavPlayer&) = delete;
    WavPlayer& operator=(const WavPlayer&) = delete;

    // 1 when playback started or the data is empty; 0 when the file cannot
    // be read or played.
    std::uint32_t play(const char* path);
    // Stops and waits until the output has let go of the buffers. Returns 1.
    std::uint32_t stop();
    // Left volume in the low half, right in the high half (0xFFFF = full).
    void setVolume(std::uint32_t volume);

private:
    struct Buffer {
        std::array<std::uint8_t, kWaveBufferSize> bytes {};
        bool done = true;
    };

    bool fill(Buffer& buffer);
    void bufferDone(int index);
    void endPlayback();
    void releaseDevice();
    void produce(std::uint8_t* stream, int length);
    static void audioCallback(void* self, std::uint8_t* stream, int length);

    std::FILE* m_file = nullptr;
    WaveFormat m_format;
    std::array<Buffer, 2> m_buffers;
    std::deque<int> m_queue;     // buffers handed to the output, in order
    std::size_t m_queueOffset = 0; // bytes of the front buffer already played
    std::uint32_t m_dataSize = 0;
    std::uint32_t m_bytesRead = 0;
    std::uint32_t m_bytesPlayed = 0;
    std::uint32_t m_device = 0; // SDL audio device; 0 = none
    bool m_ended = true;         // playback over; the device can go
    std::uint8_t m_silence = 0;
    // Stored volume; both halves start equal (the right channel must not be mute).
    std::uint32_t m_volume = 0xCCCCCCCCu;
    mutable std::mutex m_mutex; // guards m_ended between the output's thread and the caller
    std::condition_variable m_endedSignal;
};

} // namespace kiro::midiload
