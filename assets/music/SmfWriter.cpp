#include "assets/music/SmfWriter.h"

#include <algorithm>
#include <cmath>

namespace kiro::music {

namespace {

void putBig(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void putVariable(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    std::uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = value & 0x7F;
        value >>= 7;
    } while (value && count < 5);
    while (count-- > 0)
        out.push_back(static_cast<std::uint8_t>(groups[count] | (count ? 0x80 : 0)));
}

std::uint8_t clamp7(int value)
{
    return static_cast<std::uint8_t>(std::clamp(value, 0, 127));
}

} // namespace

int SmfWriter::addTrack()
{
    m_tracks.emplace_back();
    return static_cast<int>(m_tracks.size()) - 1;
}

void SmfWriter::add(int track, std::uint32_t tick, std::vector<std::uint8_t> data)
{
    m_tracks.at(static_cast<std::size_t>(track)).push_back({tick, m_order++, std::move(data)});
}

void SmfWriter::tempo(int track, std::uint32_t tick, double beatsPerMinute)
{
    const auto perQuarter = static_cast<std::uint32_t>(std::lround(60'000'000.0 / beatsPerMinute));
    add(track, tick, {0xFF, 0x51, 3, static_cast<std::uint8_t>(perQuarter >> 16), static_cast<std::uint8_t>(perQuarter >> 8),
                         static_cast<std::uint8_t>(perQuarter)});
}

void SmfWriter::program(int track, std::uint32_t tick, int channel, int number)
{
    add(track, tick, {static_cast<std::uint8_t>(0xC0 | (channel & 15)), clamp7(number)});
}

void SmfWriter::control(int track, std::uint32_t tick, int channel, int controller, int value)
{
    add(track, tick, {static_cast<std::uint8_t>(0xB0 | (channel & 15)), clamp7(controller), clamp7(value)});
}

void SmfWriter::note(int track, std::uint32_t tick, std::uint32_t length, int channel, int key, int velocity)
{
    add(track, tick, {static_cast<std::uint8_t>(0x90 | (channel & 15)), clamp7(key), clamp7(std::max(velocity, 1))});
    add(track, tick + length, {static_cast<std::uint8_t>(0x80 | (channel & 15)), clamp7(key), 0});
}

void SmfWriter::text(int track, std::uint32_t tick, std::uint8_t metaType, const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::uint8_t> data {0xFF, metaType};
    putVariable(data, static_cast<std::uint32_t>(bytes.size()));
    data.insert(data.end(), bytes.begin(), bytes.end());
    add(track, tick, std::move(data));
}

std::vector<std::uint8_t> SmfWriter::bytes() const
{
    std::vector<std::uint8_t> out {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    putBig(out, static_cast<std::uint32_t>(m_tracks.size()), 2);
    putBig(out, m_division, 2);
    for (std::vector<Event> events : m_tracks) {
        std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        std::vector<std::uint8_t> body;
        std::uint32_t at = 0;
        for (const Event& event : events) {
            putVariable(body, event.tick - at);
            at = event.tick;
            body.insert(body.end(), event.data.begin(), event.data.end());
        }
        putVariable(body, m_end > at ? m_end - at : 0);
        body.insert(body.end(), {0xFF, 0x2F, 0});
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        putBig(out, static_cast<std::uint32_t>(body.size()), 4);
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}

} // namespace kiro::music
