#include "midiload/WavPlayer.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace kiro::midiload {

namespace {

std::uint32_t little(const std::uint8_t* bytes, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}

bool readChunkHead(std::FILE* file, char id[4], std::uint32_t& size)
{
    std::uint8_t head[8];
    if (std::fread(head, 1, 8, file) != 8)
        return false;
    std::memcpy(id, head, 4);
    size = little(head + 4, 4);
    return true;
}

// Skips a chunk's body with its pad byte.
bool skipChunk(std::FILE* file, std::uint32_t size)
{
    return std::fseek(file, static_cast<long>(size) + (size & 1), SEEK_CUR) == 0;
}

// Leaves the file at the start of the sample data.
bool readWaveHead(std::FILE* file, WaveFormat& format, std::uint32_t& dataSize)
{
    char id[4];
    std::uint32_t size = 0;
    char form[4];
    if (!readChunkHead(file, id, size) || std::memcmp(id, "RIFF", 4) != 0 || std::fread(form, 1, 4, file) != 4
        || std::memcmp(form, "WAVE", 4) != 0)
        return false;
    bool haveFormat = false;
    while (readChunkHead(file, id, size)) {
        if (!haveFormat) {
            if (std::memcmp(id, "fmt ", 4) != 0) {
                if (!skipChunk(file, size))
                    return false;
                continue;
            }
            std::uint8_t record[18] = {};
            const std::uint32_t wanted = std::min<std::uint32_t>(size, 18);
            if (std::fread(record, 1, wanted, file) != wanted || !skipChunk(file, size - wanted))
                return false;
            format.formatTag = static_cast<std::uint16_t>(little(record, 2));
            format.channels = static_cast<std::uint16_t>(little(record + 2, 2));
            format.samplesPerSecond = little(record + 4, 4);
            format.averageBytesPerSecond = little(record + 8, 4);
            format.blockAlign = static_cast<std::uint16_t>(little(record + 12, 2));
            format.bitsPerSample = static_cast<std::uint16_t>(little(record + 14, 2));
            format.extraSize = static_cast<std::uint16_t>(little(record + 16, 2));
            haveFormat = true;
            continue;
        }
        if (std::memcmp(id, "data", 4) == 0) {
            dataSize = size;
            return true;
        }
        if (!skipChunk(file, size))
            return false;
    }
    return false;
}

bool playableFormat(const WaveFormat& format, SDL_AudioSpec& output)
{
    if (format.formatTag != 1 || (format.channels != 1 && format.channels != 2) || format.samplesPerSecond == 0
        || format.samplesPerSecond > 384000 || (format.bitsPerSample != 8 && format.bitsPerSample != 16))
        return false;
    SDL_zero(output);
    output.freq = static_cast<int>(format.samplesPerSecond);
    output.format = format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    output.channels = static_cast<std::uint8_t>(format.channels);
    output.samples = 2048;
    return true;
}

} // namespace

WavPlayer::~WavPlayer()
{
    stop();
}

std::uint32_t WavPlayer::play(const char* path)
{
    stop();
    if (!path)
        return 0;
    m_file = std::fopen(path, "rb");
    if (!m_file)
        return 0;
    m_format = WaveFormat {};
    m_dataSize = 0;
    if (!readWaveHead(m_file, m_format, m_dataSize)) {
        std::fclose(m_file);
        m_file = nullptr;
        return 0;
    }
    if (m_dataSize == 0) {
        std::fclose(m_file);
        m_file = nullptr;
        return 1;
    }
    SDL_AudioSpec wanted;
    SDL_AudioSpec obtained;
    if (!playableFormat(m_format, wanted) || SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        // Nothing will sound: say so rather than report a start.
        std::fclose(m_file);
        m_file = nullptr;
        m_dataSize = 0;
        return 0;
    }
    wanted.callback = &WavPlayer::audioCallback;
    wanted.userdata = this;
    m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (m_device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        std::fclose(m_file);
        m_file = nullptr;
        m_dataSize = 0;
        return 0;
    }
    m_silence = m_format.bitsPerSample == 8 ? 0x80 : 0;
    m_bytesRead = 0;
    m_bytesPlayed = 0;
    m_queue.clear();
    m_queueOffset = 0;
    {
        std::lock_guard lock(m_mutex);
        m_ended = false;
    }
    // The device is paused until the first buffer is queued; nothing else runs yet.
    if (!fill(m_buffers[0])) {
        endPlayback();
        releaseDevice();
        return 0;
    }
    m_buffers[0].done = false;
    m_queue.push_back(0);
    if (fill(m_buffers[1])) {
        m_buffers[1].done = false;
        m_queue.push_back(1);
    }
    SDL_PauseAudioDevice(m_device, 0);
    return 1;
}

bool WavPlayer::fill(Buffer& buffer)
{
    if (m_bytesRead >= m_dataSize && m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_file)
        return false;
    const std::size_t count = std::min<std::size_t>(m_dataSize - m_bytesRead, kWaveBufferSize);
    const std::size_t got = std::fread(buffer.bytes.data(), 1, count, m_file);
    m_bytesRead += static_cast<std::uint32_t>(count);
    if (got != count) {
        std::fclose(m_file);
        m_file = nullptr;
        return false;
    }
    // A short last buffer is held on its last byte rather than left with stale sound.
    if (count < kWaveBufferSize)
        std::fill(buffer.bytes.begin() + static_cast<std::ptrdiff_t>(count), buffer.bytes.end(), buffer.bytes[count - 1]);
    if (m_bytesRead >= m_dataSize) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    return true;
}

void WavPlayer::bufferDone(int index)
{
    Buffer& buffer = m_buffers[static_cast<std::size_t>(index)];
    buffer.done = true;
    m_bytesPlayed += kWaveBufferSize;
    if (fill(buffer)) {
        buffer.done = false;
        m_queue.push_back(index);
    } else if (m_bytesPlayed >= m_dataSize) {
        endPlayback();
    }
}

void WavPlayer::endPlayback()
{
    m_dataSize = 0;
    m_bytesRead = 0;
    m_bytesPlayed = 0;
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_queue.clear();
    m_queueOffset = 0;
    {
        std::lock_guard lock(m_mutex);
        m_ended = true;
    }
    m_endedSignal.notify_all();
}

void WavPlayer::releaseDevice()
{
    if (m_device == 0)
        return;
    SDL_CloseAudioDevice(m_device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_device = 0;
}

std::uint32_t WavPlayer::stop()
{
    if (m_device == 0)
        return 1;
    SDL_LockAudioDevice(m_device);
    // No refill from here on; every queued buffer comes back as done.
    m_dataSize = m_bytesRead;
    while (!m_queue.empty()) {
        const int index = m_queue.front();
        m_queue.pop_front();
        m_queueOffset = 0;
        bufferDone(index);
    }
    bool ended;
    {
        std::lock_guard lock(m_mutex);
        ended = m_ended;
    }
    if (!ended)
        endPlayback();
    SDL_UnlockAudioDevice(m_device);
    {
        std::unique_lock lock(m_mutex);
        m_endedSignal.wait(lock, [this] { return m_ended; });
    }
    releaseDevice();
    return 1;
}

void WavPlayer::setVolume(std::uint32_t volume)
{
    if (m_device != 0)
        SDL_LockAudioDevice(m_device);
    m_volume = volume;
    if (m_device != 0)
        SDL_UnlockAudioDevice(m_device);
}

void WavPlayer::audioCallback(void* self, std::uint8_t* stream, int length)
{
    static_cast<WavPlayer*>(self)->produce(stream, length);
}

void WavPlayer::produce(std::uint8_t* stream, int length)
{
    const bool sixteen = m_format.bitsPerSample == 16;
    const unsigned channels = std::max<unsigned>(m_format.channels, 1);
    const std::uint32_t left = m_volume & 0xFFFF, right = m_volume >> 16;
    auto scaled = [&](std::size_t offset, const std::uint8_t* from, std::uint8_t* to) {
        const std::size_t sample = sixteen ? offset / 2 : offset;
        const std::uint32_t gain = (channels == 2 && sample % 2) ? right : left;
        if (sixteen) {
            const auto value = static_cast<std::int16_t>(from[0] | (from[1] << 8));
            const auto out = static_cast<std::int16_t>(gain == 0xFFFF ? value : value * static_cast<std::int32_t>(gain) / 0xFFFF);
            to[0] = static_cast<std::uint8_t>(out & 0xFF);
            to[1] = static_cast<std::uint8_t>((out >> 8) & 0xFF);
        } else {
            const int value = from[0] - 128;
            to[0] = static_cast<std::uint8_t>(128 + (gain == 0xFFFF ? value : value * static_cast<int>(gain) / 0xFFFF));
        }
    };
    const std::size_t step = sixteen ? 2 : 1;
    auto at = static_cast<std::size_t>(0);
    const auto total = static_cast<std::size_t>(length);
    while (at < total) {
        if (m_queue.empty()) {
            std::memset(stream + at, m_silence, total - at);
            return;
        }
        const int index = m_queue.front();
        const std::uint8_t* source = m_buffers[static_cast<std::size_t>(index)].bytes.data();
        const std::size_t count = std::min(kWaveBufferSize - m_queueOffset, total - at);
        for (std::size_t i = 0; i + step <= count; i += step)
            scaled(m_queueOffset + i, source + m_queueOffset + i, stream + at + i);
        at += count;
        m_queueOffset += count;
        if (m_queueOffset >= kWaveBufferSize) {
            m_queue.pop_front();
            m_queueOffset = 0;
            bufferDone(index);
        }
    }
}

} // namespace kiro::midiload
