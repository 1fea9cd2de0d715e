#pragma once

#include "client/music/PlayerLibrary.h"

#include <cstdint>
#include <string>

// The client's handle on the MIDI player: remembers whether the player is
// open and whether it has failed. A failed player stays silent for the rest
// of the client's life (every call but the status query is ignored); calls
// on a player that is not open do nothing.
namespace kiro::music {

class CMidi {
public:
    explicit CMidi(PlayerLibrary& library, std::uint32_t window = 0) : m_library(library), m_window(window) {}

    void setWindow(std::uint32_t window) { m_window = window; }
    // The loader's result; 0 without a call when already open or failed.
    std::uint16_t open(std::uint32_t a, std::uint32_t b);
    void close();
    // True when the song could not be set (also when nothing was called).
    bool setSong(const std::string& path);
    void start();
    void stop();
    void setRepeatPoint(std::uint32_t from, std::uint32_t to);
    void setPosition(std::uint32_t position);
    void setPlayMode(std::uint32_t mode);
    bool isPlaying();

    bool failed() const { return m_failed; }
    bool opened() const { return m_opened; }
    const std::string& song() const { return m_song; }

private:
    bool usable() const { return !m_failed && m_opened; }

    PlayerLibrary& m_library;
    std::uint32_t m_window;
    std::string m_song;
    bool m_failed = false;
    bool m_opened = false;
};

} // namespace kiro::music
