#include "midithunk/FluidBackend.h"

#include "common/FileNames.h"
#include "common/Registry.h"
#include "midithunk/orvelmp.h"

#include <SDL.h>
#include <fluidsynth.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace kiro::vmp {

namespace {

constexpr const char* kEngineKey = "SOFTWARE\\Orvel\\ＫＩＲＯ\\smfplayer";
constexpr int kDrumChannel = 9;
constexpr int kPartCount = 16;

struct Notice {
    std::uint32_t window, message, wparam, lparam;
};

std::string configuredSoundFont()
{
    kiro::Registry registry;
    if (auto named = registry.readString(kEngineKey, "SoundFont"); named && !named->empty())
        return *named;
    return FluidBackend::defaultSoundFont();
}

std::string audioDriverName()
{
    const char* chosen = std::getenv("KIRO_FLUIDSYNTH_DRIVER");
    return chosen && *chosen ? chosen : "sdl2";
}

} // namespace

// Lives as long as one FluidSynth player; the audio thread reaches the back
// end and the player it belongs to through it.
struct FluidBackend::PlayerLink {
    FluidBackend* backend;
    fluid_player_t* player;
    std::atomic<int> pendingSeek {-1};
};

FluidBackend::FluidBackend()
{
    for (int part = 0; part < kPartCount; ++part) {
        m_partVolume[part] = 127;
        m_songVolume[part] = 100;
    }
    m_watcher = std::thread([this] { watch(); });
}

FluidBackend::~FluidBackend()
{
    close();
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_watcher.join();
}

std::string FluidBackend::defaultSoundFont()
{
    for (const char* candidate : {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
             "/usr/share/sounds/sf2/FluidR3_GM.sf2"}) {
        if (std::filesystem::exists(candidate))
            return candidate;
    }
    return "/usr/share/sounds/sf2/default-GM.sf2";
}

void FluidBackend::setNotify(NotifyProc proc, void* context)
{
    std::lock_guard lock(m_notifyMutex);
    m_notify = proc;
    m_notifyContext = context;
}

std::uint16_t FluidBackend::call(VmpFunction function, const VmpArgs& args)
{
    if (function == VmpFunction::Open)
        return open();
    if (function == VmpFunction::Close)
        return close();
    std::unique_lock lock(m_mutex);
    if (function == VmpFunction::GetStatus)
        return !m_synth ? VMP_STATUS_CLOSED : m_playing ? VMP_STATUS_PLAYING : VMP_STATUS_STOPPED;
    if (!m_synth)
        return VMP_E_NOT_OPEN;
    const std::uint32_t* v = args.value;
    switch (function) {
    case VmpFunction::SetSong:
        return setSong(args.path);
    case VmpFunction::Start:
        return start();
    case VmpFunction::Stop:
        return stop();
    case VmpFunction::SetPlayMode:
        if (v[0] != VMP_MODE_ONCE && v[0] != VMP_MODE_REPEAT)
            return VMP_E_BAD_ARGUMENT;
        m_mode = v[0];
        return VMP_OK;
    case VmpFunction::SetPosition:
        return seek(v[0]);
    case VmpFunction::SetPositionByMS:
        if (m_song.empty())
            return VMP_E_NO_SONG;
        return seek(songbox1::microsecondsToTick(m_map, v[0] * 1000.0));
    case VmpFunction::GetPosition:
        if (!args.position)
            return VMP_E_BAD_ARGUMENT;
        *args.position = positionTick();
        return VMP_OK;
    case VmpFunction::GetPositionByMS:
        if (!args.position)
            return VMP_E_BAD_ARGUMENT;
        *args.position = static_cast<std::uint32_t>(songbox1::tickToMicroseconds(m_map, positionTick()) / 1000);
        return VMP_OK;
    case VmpFunction::SetRepeatPoint:
        if (v[1] != 0 && v[1] <= v[0])
            return VMP_E_BAD_ARGUMENT;
        m_repeatFrom = v[0];
        m_repeatTo = v[1];
        return VMP_OK;
    case VmpFunction::SendReset:
        fluid_synth_system_reset(m_synth);
        return VMP_OK;
    case VmpFunction::SetKeyShift:
        return setKeyShift(static_cast<std::int32_t>(v[0]));
    case VmpFunction::GetKeyShift:
        if (!args.signedOut)
            return VMP_E_BAD_ARGUMENT;
        *args.signedOut = m_keyShift;
        return VMP_OK;
    case VmpFunction::SetTempo:
        return setTempo(static_cast<std::int32_t>(v[0]));
    case VmpFunction::GetTempo:
        if (!args.signedOut)
            return VMP_E_BAD_ARGUMENT;
        *args.signedOut = m_tempo;
        return VMP_OK;
    case VmpFunction::SetVolume:
        return setVolume(v[0], static_cast<std::int32_t>(v[1]));
    case VmpFunction::GetVolume:
        if (!args.signedOut || v[0] >= kPartCount)
            return VMP_E_BAD_ARGUMENT;
        *args.signedOut = m_partVolume[v[0]];
        return VMP_OK;
    case VmpFunction::SetSeekMode:
        if (v[0] > 1)
            return VMP_E_BAD_ARGUMENT;
        m_seekMode = v[0];
        return VMP_OK;
    case VmpFunction::SetClkMsg:
        m_clockWindow = v[0];
        m_clockMessage = v[1];
        m_clockInterval = v[2];
        m_nextClock = 0;
        return VMP_OK;
    case VmpFunction::SetDataEndMsg:
        m_endWindow = v[0];
        m_endMessage = v[1];
        return VMP_OK;
    default:
        return VMP_E_BAD_ARGUMENT;
    }
}

std::uint16_t FluidBackend::open()
{
    std::lock_guard lock(m_mutex);
    if (m_synth)
        return VMP_E_ALREADY_OPEN;
    const std::string driver = audioDriverName();
    if (driver == "sdl2") {
        // FluidSynth's SDL2 driver expects the program to have started SDL's audio.
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            return VMP_E_DEVICE;
        m_sdlStarted = true;
    }
    m_settings = new_fluid_settings();
    fluid_settings_setstr(m_settings, "audio.driver", driver.c_str());
    fluid_settings_setint(m_settings, "audio.period-size", 1024);
    fluid_settings_setint(m_settings, "synth.reverb.active", 1);
    m_synth = new_fluid_synth(m_settings);
    const std::string soundFont = configuredSoundFont();
    if (!m_synth || fluid_synth_sfload(m_synth, soundFont.c_str(), 1) == FLUID_FAILED
        || !(m_driver = new_fluid_audio_driver(m_settings, m_synth))) {
        releaseSynth();
        return VMP_E_DEVICE;
    }
    // Every open starts from the engine's defaults.
    m_song.clear();
    m_playing = false;
    m_startTick = 0;
    m_tick = 0;
    m_mode = VMP_MODE_ONCE;
    m_repeatFrom = 0;
    m_repeatTo = 0;
    m_keyShift = 0;
    m_tempo = 100;
    m_seekMode = 0;
    m_clockInterval = 0;
    m_endMessage = 0;
    for (auto& volume : m_partVolume)
        volume = 127;
    return VMP_OK;
}

std::uint16_t FluidBackend::close()
{
    std::lock_guard lock(m_mutex);
    if (!m_synth)
        return VMP_OK;
    dropPlayer();
    releaseSynth();
    m_song.clear();
    m_playing = false;
    return VMP_OK;
}

void FluidBackend::releaseSynth()
{
    // The driver goes first: it calls into the synthesizer until it is deleted.
    if (m_driver)
        delete_fluid_audio_driver(m_driver);
    if (m_synth)
        delete_fluid_synth(m_synth);
    if (m_settings)
        delete_fluid_settings(m_settings);
    m_driver = nullptr;
    m_synth = nullptr;
    m_settings = nullptr;
    if (m_sdlStarted)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_sdlStarted = false;
}

std::uint16_t FluidBackend::setSong(const char* path)
{
    if (!path)
        return VMP_E_BAD_ARGUMENT;
    // The song's name may be spelt in another letter case than its file.
    std::filesystem::path found = path;
    if (!std::filesystem::exists(found))
        found = kiro::filenames::findInFolder(found.parent_path(), found.filename().string()).value_or(found);
    std::ifstream in(found, std::ios::binary);
    if (!in)
        return VMP_E_BAD_FILE;
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    songbox1::SmfLength map = songbox1::measureSmf(bytes);
    if (!map.ok())
        return VMP_E_BAD_FILE;
    dropPlayer();
    m_playing = false;
    m_song = found.string();
    m_map = std::move(map);
    m_startTick = 0;
    m_tick = 0;
    m_repeatFrom = 0;
    m_repeatTo = 0;
    for (auto& volume : m_songVolume)
        volume = 100;
    return VMP_OK;
}

std::uint16_t FluidBackend::start()
{
    if (m_song.empty())
        return VMP_E_NO_SONG;
    if (m_playing)
        return VMP_OK;
    if (!startPlayer(m_startTick >= m_map.lastTick ? 0 : m_startTick))
        return VMP_E_DEVICE;
    m_playing = true;
    m_nextClock = 0;
    m_wake.notify_all();
    return VMP_OK;
}

std::uint16_t FluidBackend::stop()
{
    if (!m_playing)
        return VMP_OK;
    m_startTick = m_tick;
    dropPlayer();
    m_playing = false;
    return VMP_OK;
}

std::uint16_t FluidBackend::seek(std::uint32_t tick)
{
    if (m_song.empty())
        return VMP_E_NO_SONG;
    tick = std::min(tick, m_map.lastTick);
    m_startTick = tick;
    if (m_playing && m_player) {
        if (m_seekMode == 0)
            releaseHeldNotes();
        // Until its first tick the player has not loaded the song and would
        // forget the seek: the start it has not taken yet becomes this one.
        int pending = m_link->pendingSeek.load();
        while (pending >= 0 && !m_link->pendingSeek.compare_exchange_weak(pending, static_cast<int>(tick))) {
        }
        if (pending < 0)
            fluid_player_seek(m_player, static_cast<int>(tick));
    }
    m_tick = tick;
    return VMP_OK;
}

std::uint16_t FluidBackend::setVolume(std::uint32_t part, std::int32_t volume)
{
    if (part >= kPartCount || volume < 0 || volume > 127)
        return VMP_E_BAD_ARGUMENT;
    m_partVolume[part] = volume;
    fluid_synth_cc(m_synth, static_cast<int>(part), 7, m_songVolume[part] * volume / 127);
    return VMP_OK;
}

std::uint16_t FluidBackend::setKeyShift(std::int32_t shift)
{
    if (shift < -12 || shift > 12)
        return VMP_E_BAD_ARGUMENT;
    if (shift != m_keyShift) {
        // A note shifted one way must not wait for a note-off shifted another.
        releaseHeldNotes();
        m_keyShift = shift;
    }
    return VMP_OK;
}

std::uint16_t FluidBackend::setTempo(std::int32_t percent)
{
    if (percent < 25 || percent > 400)
        return VMP_E_BAD_ARGUMENT;
    m_tempo = percent;
    if (m_player)
        fluid_player_set_tempo(m_player, FLUID_PLAYER_TEMPO_INTERNAL, percent / 100.0);
    return VMP_OK;
}

std::uint32_t FluidBackend::positionTick() const
{
    return std::min(m_playing ? m_tick.load() : m_startTick, m_map.lastTick);
}

void FluidBackend::releaseHeldNotes()
{
    for (int channel = 0; channel < kPartCount; ++channel)
        fluid_synth_all_notes_off(m_synth, channel);
}

bool FluidBackend::startPlayer(std::uint32_t tick)
{
    dropPlayer();
    fluid_player_t* player = new_fluid_player(m_synth);
    if (!player)
        return false;
    m_link = std::make_unique<PlayerLink>();
    m_link->backend = this;
    m_link->player = player;
    fluid_player_set_playback_callback(player, &FluidBackend::playbackEvent, m_link.get());
    fluid_player_set_tick_callback(player, &FluidBackend::tickReached, m_link.get());
    // FluidSynth loads the file when the player first runs and forgets any
    // earlier seek then, so the start position is applied by the first tick.
    m_link->pendingSeek = static_cast<int>(tick);
    if (fluid_player_add(player, m_song.c_str()) != FLUID_OK || fluid_player_play(player) != FLUID_OK) {
        delete_fluid_player(player);
        m_link.reset();
        return false;
    }
    m_player = player;
    fluid_player_set_tempo(player, FLUID_PLAYER_TEMPO_INTERNAL, m_tempo / 100.0);
    m_tick = tick;
    return true;
}

void FluidBackend::dropPlayer()
{
    if (!m_player)
        return;
    fluid_player_stop(m_player);
    fluid_player_join(m_player);
    delete_fluid_player(m_player);
    m_player = nullptr;
    m_link.reset();
    releaseHeldNotes();
}

int FluidBackend::playbackEvent(void* data, fluid_midi_event_t* event)
{
    auto* link = static_cast<PlayerLink*>(data);
    FluidBackend& self = *link->backend;
    fluid_synth_t* synth = self.m_synth;
    const int type = fluid_midi_event_get_type(event);
    const int channel = fluid_midi_event_get_channel(event);
    if ((type == 0x90 || type == 0x80) && channel != kDrumChannel) {
        const int key = fluid_midi_event_get_key(event) + self.m_keyShift;
        if (key < 0 || key > 127)
            return FLUID_OK; // shifted off the keyboard: silent rather than folded
        if (type == 0x90)
            return fluid_synth_noteon(synth, channel, key, fluid_midi_event_get_velocity(event));
        return fluid_synth_noteoff(synth, channel, key);
    }
    if (type == 0xB0 && fluid_midi_event_get_control(event) == 7 && channel >= 0 && channel < kPartCount) {
        const int written = fluid_midi_event_get_value(event);
        self.m_songVolume[channel] = written;
        return fluid_synth_cc(synth, channel, 7, written * self.m_partVolume[channel] / 127);
    }
    return fluid_synth_handle_midi_event(synth, event);
}

int FluidBackend::tickReached(void* data, int tick)
{
    auto* link = static_cast<PlayerLink*>(data);
    FluidBackend& self = *link->backend;
    if (const int start = link->pendingSeek.exchange(-1); start > 0) {
        fluid_synth_all_notes_off(self.m_synth, -1);
        fluid_player_seek(link->player, start);
        return FLUID_OK;
    }
    const std::uint32_t now = tick < 0 ? 0 : static_cast<std::uint32_t>(tick);
    self.m_tick = now;
    const std::uint32_t from = self.m_repeatFrom, to = self.m_repeatTo;
    if (self.m_mode == VMP_MODE_REPEAT && to > from && now >= to) {
        fluid_synth_all_notes_off(self.m_synth, -1);
        fluid_player_seek(link->player, static_cast<int>(from));
    }
    return FLUID_OK;
}

void FluidBackend::watch()
{
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        m_wake.wait_for(lock, std::chrono::milliseconds(m_playing ? 10 : 200));
        if (m_quit || !m_playing || !m_player)
            continue;
        std::vector<Notice> notices;
        const auto ms = static_cast<std::uint32_t>(songbox1::tickToMicroseconds(m_map, m_tick) / 1000);
        // A repeat or a seek took the song back: the clock follows it there.
        if (m_clockInterval > 0 && m_nextClock > std::uint64_t(ms) + m_clockInterval)
            m_nextClock = 0;
        if (m_clockInterval > 0 && m_clockMessage != 0 && ms >= m_nextClock) {
            notices.push_back({m_clockWindow, m_clockMessage, 0, ms});
            m_nextClock = static_cast<std::uint32_t>(
                std::min<std::uint64_t>((std::uint64_t(ms) / m_clockInterval + 1) * m_clockInterval, UINT32_MAX));
        }
        // FluidSynth's player lingers for seconds after the last event; the
        // song is over at its last tick.
        if (fluid_player_get_status(m_player) == FLUID_PLAYER_DONE || m_tick >= m_map.lastTick) {
            if (m_mode == VMP_MODE_REPEAT) {
                if (!startPlayer(m_repeatFrom))
                    m_playing = false;
            } else {
                dropPlayer();
                m_playing = false;
                m_startTick = m_map.lastTick;
                m_tick = m_map.lastTick;
                if (m_endMessage != 0)
                    notices.push_back({m_endWindow, m_endMessage, 0, 0});
            }
        }
        if (notices.empty())
            continue;
        // Callers may call back into the engine from a notification.
        lock.unlock();
        {
            std::lock_guard notifyLock(m_notifyMutex);
            for (const Notice& notice : notices) {
                if (m_notify)
                    m_notify(notice.window, notice.message, notice.wparam, notice.lparam, m_notifyContext);
            }
        }
        lock.lock();
    }
}

} // namespace kiro::vmp
