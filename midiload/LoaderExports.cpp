// The loader's exports: each forwards to the engine's entry of the same
// name, with the argument widths the engine expects.
#include "midiload/EngineLibrary.h"
#include "midiload/WavPlayer.h"
#include "midiload/orvelmpl.h"

#include <dlfcn.h>

#include <array>

#define VMPLD_EXPORT extern "C" __attribute__((visibility("default")))

namespace kiro::midiload {
namespace {

enum Entry {
    Open, Close, SetSong, Start, Stop, SetPlayMode, GetStatus, SetPosition, GetPosition, SendReset,
    SetRepeatPoint, SetKeyShift, GetKeyShift, SetTempo, GetTempo, SetVolume, GetVolume, SetSeekMode,
    SetPositionByMS, GetPositionByMS, SetClkMsg, SetDataEndMsg, GetCaps, SetCaps, DsWaveSetVol,
    DsWavePlay, DsWaveClose, Mute,
};

struct LoaderState {
    std::uint32_t interfaceKind = 0;
    void* engine = nullptr;
    bool open = false;
    std::array<void*, kEntryCount> entries {};
    VmpldNotifyProc notify = nullptr;
    void* notifyContext = nullptr;
    WavPlayer wave;

    // Unloading the library stops the sound and closes the player as vmpldClose does.
    ~LoaderState() { vmpldClose(); }
};

LoaderState g_state;

LoaderState& state()
{
    return g_state;
}

template <typename Function>
Function entry(Entry index)
{
    return reinterpret_cast<Function>(state().entries[static_cast<std::size_t>(index)]);
}

void passNotify()
{
    LoaderState& s = state();
    using SetNotify = void (*)(VmpldNotifyProc, void*);
    if (s.engine) {
        if (auto set = reinterpret_cast<SetNotify>(dlsym(s.engine, "vmpSetNotify")))
            set(s.notify, s.notifyContext);
    }
}

bool loadEngine()
{
    LoaderState& s = state();
    const EngineChoice choice = readEngineChoice();
    if (!choice.ok)
        return false;
    s.interfaceKind = choice.interfaceKind;
    s.engine = openEngineLibrary(choice.name, loaderFolder());
    if (!s.engine)
        return false;
    for (std::size_t i = 0; i < kEntryCount; ++i)
        s.entries[i] = dlsym(s.engine, kEntryNames[i]);
    if (s.notify)
        passNotify();
    return true;
}

// The common shape: 15 without an engine, the "missing" value without the
// entry, else the entry's own result.
template <typename Function, typename... Args>
std::uint16_t forward(Entry index, std::uint16_t missing, Args... args)
{
    if (!state().engine)
        return VMPLD_NO_ENGINE;
    auto function = entry<Function>(index);
    return function ? function(args...) : missing;
}

std::uint32_t low16(std::uint32_t value)
{
    return value & 0xFFFFu;
}

std::int32_t signed16(std::int32_t value)
{
    return static_cast<std::int16_t>(value & 0xFFFF);
}

std::int32_t signed8(std::int32_t value)
{
    return static_cast<std::int8_t>(value & 0xFF);
}

std::uint32_t unsigned8(std::uint32_t value)
{
    return value & 0xFFu;
}

using NoArgs = std::uint16_t (*)();
using OneValue = std::uint16_t (*)(std::uint32_t);
using TwoValues = std::uint16_t (*)(std::uint32_t, std::uint32_t);
using ThreeValues = std::uint16_t (*)(std::uint32_t, std::uint32_t, std::uint32_t);
using OneSigned = std::uint16_t (*)(std::int32_t);
using PositionOut = std::uint16_t (*)(std::uint32_t*);
using SignedOut = std::uint16_t (*)(std::int32_t*);
using Path = std::uint16_t (*)(const char*);

} // namespace
} // namespace kiro::midiload

using namespace kiro::midiload;

VMPLD_EXPORT uint16_t vmpldOpen(uint32_t window, uint32_t a2, uint32_t a3)
{
    LoaderState& s = state();
    if (s.open) {
        vmpldClose();
        return VMPLD_REOPENED;
    }
    if (!s.engine && !loadEngine()) {
        vmpldClose();
        return VMPLD_NO_ENGINE;
    }
    std::uint16_t result = VMPLD_NO_ENTRY;
    if (s.interfaceKind == 0) {
        if (auto open = entry<TwoValues>(Open))
            result = open(a2, a3);
    } else if (auto open = entry<ThreeValues>(Open)) {
        result = open(window, a2, a3);
    }
    if (result == 0) {
        s.open = true;
        return 0;
    }
    s.open = false;
    vmpldClose();
    return result;
}

VMPLD_EXPORT uint16_t vmpldClose(void)
{
    LoaderState& s = state();
    std::uint16_t result = 0;
    if (s.engine) {
        vmpldWaveClose();
        if (auto close = entry<NoArgs>(Close))
            result = close();
        using SetNotify = void (*)(VmpldNotifyProc, void*);
        // The engine may stay in the process after this handle goes.
        if (auto set = reinterpret_cast<SetNotify>(dlsym(s.engine, "vmpSetNotify")); set && s.notify)
            set(nullptr, nullptr);
        dlclose(s.engine);
        s.engine = nullptr;
        s.entries.fill(nullptr);
    }
    s.open = false;
    return result;
}

VMPLD_EXPORT uint16_t vmpldSetSong(const char* path)
{
    return forward<Path>(SetSong, 0, path);
}

VMPLD_EXPORT uint16_t vmpldStart(void)
{
    return forward<NoArgs>(Start, 0);
}

VMPLD_EXPORT uint16_t vmpldStop(void)
{
    return forward<NoArgs>(Stop, 0);
}

VMPLD_EXPORT uint16_t vmpldSetPlayMode(uint32_t mode)
{
    return forward<OneValue>(SetPlayMode, 0, low16(mode));
}

VMPLD_EXPORT uint16_t vmpldGetStatus(void)
{
    if (!state().engine)
        return 0;
    return forward<NoArgs>(GetStatus, 0);
}

VMPLD_EXPORT uint16_t vmpldSetPosition(uint32_t position)
{
    return forward<OneValue>(SetPosition, VMPLD_NO_ENTRY, position);
}

VMPLD_EXPORT uint16_t vmpldGetPosition(uint32_t* position)
{
    return forward<PositionOut>(GetPosition, VMPLD_NO_ENTRY, position);
}

VMPLD_EXPORT uint16_t vmpldSendReset(uint32_t kind)
{
    return forward<OneValue>(SendReset, VMPLD_NO_ENTRY, low16(kind));
}

VMPLD_EXPORT uint16_t vmpldSetRepeatPoint(uint32_t from, uint32_t to)
{
    return forward<TwoValues>(SetRepeatPoint, VMPLD_NO_ENTRY, from, to);
}

VMPLD_EXPORT uint16_t vmpldSetKeyShift(int32_t shift)
{
    return forward<OneSigned>(SetKeyShift, VMPLD_NO_ENTRY, signed8(shift));
}

VMPLD_EXPORT uint16_t vmpldGetKeyShift(int32_t* shift)
{
    return forward<SignedOut>(GetKeyShift, VMPLD_NO_ENTRY, shift);
}

VMPLD_EXPORT uint16_t vmpldSetTempo(int32_t tempo)
{
    return forward<OneSigned>(SetTempo, VMPLD_NO_ENTRY, signed16(tempo));
}

VMPLD_EXPORT uint16_t vmpldGetTempo(int32_t* tempo)
{
    return forward<SignedOut>(GetTempo, VMPLD_NO_ENTRY, tempo);
}

VMPLD_EXPORT uint16_t vmpldSetVolume(uint32_t part, int32_t volume)
{
    using SetVolumeEntry = std::uint16_t (*)(std::uint32_t, std::int32_t);
    return forward<SetVolumeEntry>(SetVolume, VMPLD_NO_ENTRY, unsigned8(part), signed16(volume));
}

VMPLD_EXPORT uint16_t vmpldGetVolume(uint32_t part, int32_t* volume)
{
    using GetVolumeEntry = std::uint16_t (*)(std::uint32_t, std::int32_t*);
    return forward<GetVolumeEntry>(GetVolume, VMPLD_NO_ENTRY, unsigned8(part), volume);
}

VMPLD_EXPORT uint16_t vmpldSetSeekMode(uint32_t mode)
{
    return forward<OneValue>(SetSeekMode, VMPLD_NO_ENTRY, low16(mode));
}

VMPLD_EXPORT uint16_t vmpldSetPositionByMS(uint32_t ms)
{
    return forward<OneValue>(SetPositionByMS, VMPLD_NO_ENTRY, ms);
}

VMPLD_EXPORT uint16_t vmpldGetPositionByMS(uint32_t* ms)
{
    return forward<PositionOut>(GetPositionByMS, VMPLD_NO_ENTRY, ms);
}

VMPLD_EXPORT uint16_t vmpldSetClkMsg(uint32_t window, uint32_t message, uint32_t interval)
{
    return forward<ThreeValues>(SetClkMsg, VMPLD_NO_ENTRY, window, message, interval);
}

VMPLD_EXPORT uint16_t vmpldSetDataEndMsg(uint32_t window, uint32_t message)
{
    return forward<TwoValues>(SetDataEndMsg, VMPLD_NO_ENTRY, window, message);
}

VMPLD_EXPORT uint16_t vmpldGetCaps(VmpCaps* caps)
{
    if (state().engine && state().interfaceKind == 0)
        return VMPLD_NOT_WITH_INTERFACE_0;
    using GetCapsEntry = std::uint16_t (*)(VmpCaps*);
    return forward<GetCapsEntry>(GetCaps, VMPLD_NO_ENTRY, caps);
}

VMPLD_EXPORT uint16_t vmpldSetCaps(VmpCaps caps)
{
    if (state().engine && state().interfaceKind == 0)
        return VMPLD_NOT_WITH_INTERFACE_0;
    using SetCapsEntry = std::uint16_t (*)(VmpCaps);
    return forward<SetCapsEntry>(SetCaps, VMPLD_NO_ENTRY, caps);
}

VMPLD_EXPORT uint16_t vmpldMute(uint32_t mute)
{
    if (state().engine && state().interfaceKind == 0)
        return 0;
    return forward<OneValue>(Mute, 0, mute);
}

VMPLD_EXPORT uint32_t vmpldWavePlay(const char* path)
{
    LoaderState& s = state();
    if (!s.engine)
        return 0;
    if (s.interfaceKind == 0)
        return s.wave.play(path);
    using WavePlayEntry = std::uint32_t (*)(const char*);
    auto play = entry<WavePlayEntry>(DsWavePlay);
    return play ? play(path) : 0;
}

VMPLD_EXPORT uint32_t vmpldWaveClose(void)
{
    LoaderState& s = state();
    if (s.interfaceKind == 0)
        return s.wave.stop();
    using WaveCloseEntry = std::uint32_t (*)();
    auto close = s.engine ? entry<WaveCloseEntry>(DsWaveClose) : nullptr;
    return close ? close() : 1;
}

VMPLD_EXPORT uint32_t vmpldWaveSetVol(uint32_t volume)
{
    LoaderState& s = state();
    if (!s.engine)
        return 0;
    if (s.interfaceKind == 0) {
        const std::uint32_t half = volume & 0xFFFF;
        s.wave.setVolume(half | (half << 16));
        return 1;
    }
    using WaveSetVolEntry = std::uint32_t (*)(std::uint32_t);
    auto set = entry<WaveSetVolEntry>(DsWaveSetVol);
    return set ? set(volume) : 0;
}

VMPLD_EXPORT void vmpldSetNotify(VmpldNotifyProc proc, void* context)
{
    LoaderState& s = state();
    s.notify = proc;
    s.notifyContext = context;
    passNotify();
}
