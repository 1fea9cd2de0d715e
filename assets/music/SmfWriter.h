#pragma once

#include <cstdint>
#include <vector>

// Writes standard MIDI files (format 1, ticks per quarter) from events given
// in any order; events at the same tick keep the order they were added in,
// so a note-off added before a note-on at the same tick ends the old note first.
namespace kiro::music {

class SmfWriter {
public:
    explicit SmfWriter(std::uint16_t ticksPerQuarter) : m_division(ticksPerQuarter) {}

    // Returns the index of a new, empty track.
    int addTrack();
    void tempo(int track, std::uint32_t tick, double beatsPerMinute);
    void program(int track, std::uint32_t tick, int channel, int program);
    void control(int track, std::uint32_t tick, int channel, int controller, int value);
    void note(int track, std::uint32_t tick, std::uint32_t length, int channel, int key, int velocity);
    void text(int track, std::uint32_t tick, std::uint8_t metaType, const std::vector<std::uint8_t>& bytes);
    // Every track ends at `tick` (or at its last event when that is later).
    void endAt(std::uint32_t tick) { m_end = tick; }

    std::vector<std::uint8_t> bytes() const;

private:
    struct Event {
        std::uint32_t tick;
        std::uint32_t order;
        std::vector<std::uint8_t> data;
    };
    void add(int track, std::uint32_t tick, std::vector<std::uint8_t> data);

    std::uint16_t m_division;
    std::uint32_t m_end = 0;
    std::uint32_t m_order = 0;
    std::vector<std::vector<Event>> m_tracks;
};

} // namespace kiro::music
