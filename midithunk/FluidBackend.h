#pragma once

#include "midithunk/VmpBackend.h"
#include "tools/songbox1/SmfLength.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_audio_driver_t;
struct _fluid_player_t;
struct _fluid_midi_event_t;

// The engine's back end: FluidSynth with a General MIDI SoundFont, heard
// through SDL2 (or the driver named in KIRO_FLUIDSYNTH_DRIVER). The SoundFont
// is the registry value "SoundFont" under the engine's key, else the
// system's default General MIDI SoundFont.
//
// FluidSynth's own player has neither repeat points, key shift nor per-part
// volume; the back end adds them between the player and the synthesizer, and
// keeps its own tempo map for positions in milliseconds. A watcher thread
// sends the clock and data-end notifications and restarts a repeating song.
namespace kiro::vmp {

class FluidBackend final : public VmpBackend {
public:
    FluidBackend();
    ~FluidBackend() override;

    std::uint16_t call(VmpFunction function, const VmpArgs& args) override;
    void setNotify(NotifyProc proc, void* context) override;

    // Where the SoundFont is looked for when the registry names none.
    static std::string defaultSoundFont();

private:
    struct PlayerLink; // what the player's callbacks see

    std::uint16_t open();
    std::uint16_t close();
    std::uint16_t setSong(const char* path);
    std::uint16_t start();
    std::uint16_t stop();
    std::uint16_t seek(std::uint32_t tick);
    std::uint16_t setVolume(std::uint32_t part, std::int32_t volume);
    std::uint16_t setKeyShift(std::int32_t shift);
    std::uint16_t setTempo(std::int32_t percent);
    std::uint32_t positionTick() const;
    bool startPlayer(std::uint32_t tick);
    void dropPlayer();
    void releaseSynth();
    void watch();
    void releaseHeldNotes();

    static int playbackEvent(void* data, ::_fluid_midi_event_t* event);
    static int tickReached(void* data, int tick);

    mutable std::mutex m_mutex; // every member below but the atomics
    _fluid_hashtable_t* m_settings = nullptr;
    _fluid_synth_t* m_synth = nullptr;
    _fluid_audio_driver_t* m_driver = nullptr;
    _fluid_player_t* m_player = nullptr;
    std::unique_ptr<PlayerLink> m_link;
    bool m_sdlStarted = false;

    std::string m_song;
    songbox1::SmfLength m_map;
    bool m_playing = false;
    std::uint32_t m_startTick = 0; // where the next start begins
    std::uint32_t m_seekMode = 0;
    std::int32_t m_tempo = 100;
    std::atomic<std::uint32_t> m_tick {0};
    std::atomic<std::uint32_t> m_repeatFrom {0};
    std::atomic<std::uint32_t> m_repeatTo {0};
    std::atomic<std::uint32_t> m_mode {0};
    std::atomic<int> m_keyShift {0};
    std::array<std::atomic<int>, 16> m_partVolume;
    std::array<std::atomic<int>, 16> m_songVolume;

    std::uint32_t m_clockWindow = 0, m_clockMessage = 0, m_clockInterval = 0, m_nextClock = 0;
    std::uint32_t m_endWindow = 0, m_endMessage = 0;
    std::recursive_mutex m_notifyMutex; // a callback may set the callback again
    NotifyProc m_notify = nullptr;
    void* m_notifyContext = nullptr;

    std::condition_variable m_wake;
    bool m_quit = false;
    std::thread m_watcher;
};

} // namespace kiro::vmp
