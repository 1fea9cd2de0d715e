#include "tools/songbox1/SongClock.h"

#include "midithunk/orvelmp.h"

namespace kiro::songbox1 {

SongClock::SongClock(const std::filesystem::path& midi, std::chrono::microseconds length)
    : m_started(std::chrono::steady_clock::now())
    , m_length(length)
{
    std::uint16_t result = vmpOpen(0, 0);
    if (result != VMP_OK) {
        m_problem = "the MIDI engine cannot open (code " + std::to_string(result) + "); playing silently";
        return;
    }
    m_engineOpen = true;
    if ((result = vmpSetSong(midi.c_str())) != VMP_OK || (result = vmpStart()) != VMP_OK) {
        m_problem = "the MIDI engine cannot play " + midi.string() + " (code " + std::to_string(result) + "); playing silently";
        vmpClose();
        m_engineOpen = false;
    }
    m_started = std::chrono::steady_clock::now();
}

SongClock::~SongClock()
{
    if (m_engineOpen) {
        vmpStop();
        vmpClose();
    }
}

std::optional<std::uint32_t> SongClock::now()
{
    if (m_engineOpen) {
        if (vmpGetStatus() != VMP_STATUS_PLAYING)
            return std::nullopt;
        std::uint32_t ms = 0;
        vmpGetPositionByMS(&ms);
        return ms;
    }
    const auto elapsed = std::chrono::steady_clock::now() - m_started;
    if (elapsed >= m_length)
        return std::nullopt;
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

} // namespace kiro::songbox1
