#pragma once

#include "client/music/BackgroundMusic.h"
#include "client/music/CMidi.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

// The client's background music: eleven tunes in the install folder's
// karaoke folder, one of them playing (looping between its repeat points
// where it has them), suspended while another program needs the sound.
namespace kiro::music {

struct Tune {
    const char* file;
    bool loops;
    std::uint32_t start;
    std::uint32_t end; // repeat end of a looping tune; unused otherwise
};

inline constexpr std::array<Tune, 11> kTunes = {{
    {"F1004216.mid", true, 96, 864},
    {"OPEN.mid", false, 96, 0},
    {"END.mid", false, 96, 0},
    {"KIRO1.mid", true, 96, 864},
    {"KIRO2.mid", true, 96, 864},
    {"KIRO3.mid", true, 96, 864},
    {"KIRO4.mid", true, 96, 864},
    {"KIRO5.mid", true, 96, 864},
    {"INSTAL1.mid", true, 96, 5376},
    {"INSTAL2.mid", false, 96, 0},
    {"Forum.mid", true, 96, 5280},
}};

class MusicController final : public BackgroundMusic {
public:
    // `selectEngine` writes the engine choice to the registry (kind 0 or 1).
    MusicController(PlayerLibrary& library, std::string installFolder, std::function<void(int)> selectEngine,
        bool off = true);

    int openAndPlay(int index) override;
    void play(int index) override;
    void close() override;
    void suspend(int index) override;
    void resume() override;
    void selectEngine(int kind) override;
    bool off() const override { return m_off; }
    void setOff(bool off) override { m_off = off; }
    bool isPlaying() override;

    void setWindow(std::uint32_t window) { m_player.setWindow(window); }
    int current() const override { return m_current; }
    bool suspended() const { return m_suspended != 0; }
    // Where tune `index` is read from (its name matched ignoring letter case).
    std::string tunePath(int index) const;

private:
    CMidi m_player;
    std::string m_installFolder;
    std::function<void(int)> m_selectEngine;
    int m_current = -1;
    int m_suspended = 0;
    bool m_off;
};

} // namespace kiro::music
