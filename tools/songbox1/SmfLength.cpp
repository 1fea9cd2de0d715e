#include "tools/songbox1/SmfLength.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace kiro::songbox1 {

namespace {

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    bool atEnd() const { return m_at >= m_bytes.size(); }
    std::size_t left() const { return m_bytes.size() - m_at; }
    std::optional<std::uint8_t> byte()
    {
        if (atEnd())
            return std::nullopt;
        return m_bytes[m_at++];
    }
    std::optional<std::uint32_t> bigEndian(int count)
    {
        if (left() < static_cast<std::size_t>(count))
            return std::nullopt;
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i)
            value = (value << 8) | m_bytes[m_at++];
        return value;
    }
    std::optional<std::uint32_t> variableLength()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            auto b = byte();
            if (!b)
                return std::nullopt;
            value = (value << 7) | (*b & 0x7F);
            if (!(*b & 0x80))
                return value;
        }
        return std::nullopt; // longer than four bytes
    }
    bool skip(std::size_t count)
    {
        if (left() < count)
            return false;
        m_at += count;
        return true;
    }
    std::span<const std::uint8_t> take(std::size_t count)
    {
        auto part = m_bytes.subspan(m_at, count);
        m_at += count;
        return part;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = 0;
};

// Walks one track; adds its tempo changes and returns its last tick.
std::optional<std::uint32_t> walkTrack(std::span<const std::uint8_t> track, std::vector<TempoChange>& tempos)
{
    Reader in(track);
    std::uint32_t tick = 0;
    std::uint8_t running = 0;
    while (!in.atEnd()) {
        auto delta = in.variableLength();
        auto first = in.byte();
        if (!delta || !first)
            return std::nullopt;
        tick += *delta;
        std::uint8_t status = *first;
        if (status == 0xFF) {
            auto type = in.byte();
            auto length = in.variableLength();
            if (!type || !length || in.left() < *length)
                return std::nullopt;
            auto data = in.take(*length);
            if (*type == 0x51 && data.size() == 3)
                tempos.push_back({tick, (std::uint32_t(data[0]) << 16) | (std::uint32_t(data[1]) << 8) | data[2]});
            if (*type == 0x2F)
                return tick;
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            auto length = in.variableLength();
            if (!length || !in.skip(*length))
                return std::nullopt;
            continue;
        }
        if (status >= 0xF0) // other system messages do not appear in files
            return std::nullopt;
        // With running status the byte just read is already the first data byte.
        const bool runningStatus = !(status & 0x80);
        if (runningStatus) {
            if (!running)
                return std::nullopt;
            status = running;
        }
        running = status;
        const std::size_t dataBytes = ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) ? 1 : 2;
        if (!in.skip(dataBytes - (runningStatus ? 1 : 0)))
            return std::nullopt;
    }
    return tick; // no end-of-track event: the last event ends it
}

// SMPTE time: frames per second (29 stands for 29.97) times ticks per frame.
double ticksPerSecond(const SmfLength& song)
{
    const int framesPerSecond = -static_cast<std::int8_t>(song.division >> 8);
    const double fps = framesPerSecond == 29 ? 29.97 : framesPerSecond;
    return fps * (song.division & 0xFF);
}

} // namespace

SmfLength measureSmf(std::span<const std::uint8_t> file)
{
    SmfLength result;
    Reader in(file);
    auto tag = in.bigEndian(4);
    auto headerLength = in.bigEndian(4);
    if (!tag || *tag != 0x4D546864 || !headerLength || *headerLength < 6) { // "MThd"
        result.error = "not a standard MIDI file";
        return result;
    }
    auto format = in.bigEndian(2);
    auto trackCount = in.bigEndian(2);
    auto division = in.bigEndian(2);
    if (!format || !trackCount || !division || !in.skip(*headerLength - 6) || *division == 0) {
        result.error = "broken MIDI file header";
        return result;
    }

    std::vector<TempoChange> tempos;
    std::uint32_t lastTick = 0;
    while (!in.atEnd()) {
        auto chunk = in.bigEndian(4);
        auto length = in.bigEndian(4);
        if (!chunk || !length || in.left() < *length) {
            result.error = "MIDI chunk runs past the end of the file";
            return result;
        }
        auto data = in.take(*length);
        if (*chunk != 0x4D54726B) // "MTrk"; other chunks are skipped
            continue;
        auto end = walkTrack(data, tempos);
        if (!end) {
            result.error = "broken MIDI track";
            return result;
        }
        lastTick = std::max(lastTick, *end);
    }
    result.lastTick = lastTick;
    result.division = static_cast<std::uint16_t>(*division);
    std::stable_sort(tempos.begin(), tempos.end(), [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    result.tempos = std::move(tempos);
    if ((*division & 0x8000) && ticksPerSecond(result) <= 0) {
        result.error = "broken SMPTE time base";
        return result;
    }
    result.duration = std::chrono::microseconds(static_cast<std::int64_t>(tickToMicroseconds(result, lastTick)));
    return result;
}

double tickToMicroseconds(const SmfLength& song, std::uint32_t target)
{
    if (song.division & 0x8000) {
        const double perSecond = ticksPerSecond(song);
        return perSecond > 0 ? target / perSecond * 1e6 : 0;
    }
    if (song.division == 0)
        return 0;
    double microseconds = 0;
    std::uint32_t tick = 0;
    std::uint32_t tempo = 500000;
    for (const TempoChange& change : song.tempos) {
        if (change.tick >= target)
            break;
        microseconds += double(change.tick - tick) * tempo / song.division;
        tick = change.tick;
        tempo = change.microsecondsPerQuarter;
    }
    return microseconds + double(target - tick) * tempo / song.division;
}

std::uint32_t microsecondsToTick(const SmfLength& song, double target)
{
    if (target <= 0)
        return 0;
    if (song.division & 0x8000)
        return static_cast<std::uint32_t>(std::min(target / 1e6 * ticksPerSecond(song), 4294967295.0));
    if (song.division == 0)
        return 0;
    double microseconds = 0;
    std::uint32_t tick = 0;
    std::uint32_t tempo = 500000;
    for (const TempoChange& change : song.tempos) {
        const double next = microseconds + double(change.tick - tick) * tempo / song.division;
        if (next >= target)
            break;
        microseconds = next;
        tick = change.tick;
        tempo = change.microsecondsPerQuarter;
    }
    const double ticks = tick + (target - microseconds) * song.division / std::max<std::uint32_t>(tempo, 1);
    return static_cast<std::uint32_t>(std::min(ticks, 4294967295.0));
}

} // namespace kiro::songbox1
