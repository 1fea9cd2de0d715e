#pragma once

#include <cstdint>

// What stands behind the engine's exports. Each export converts its
// arguments (16-bit values cut to their low half, the millisecond position
// clamped) and forwards one call, addressed by the function's number, to the
// back end installed here; the back end's 16-bit result goes back unchanged.
namespace kiro::vmp {

enum class VmpFunction : std::uint8_t {
    SetDataEndMsg = 0,
    SetClkMsg = 1,
    GetPositionByMS = 2,
    SetPositionByMS = 3,
    SetSeekMode = 4,
    GetVolume = 5,
    SetVolume = 6,
    GetTempo = 7,
    SetTempo = 8,
    GetKeyShift = 9,
    SetKeyShift = 10,
    SetRepeatPoint = 11,
    SendReset = 12,
    GetPosition = 13,
    SetPosition = 14,
    GetStatus = 15,
    SetPlayMode = 16,
    Stop = 17,
    Start = 18,
    SetSong = 19,
    Close = 20,
    Open = 21,
};

// The arguments of one call, in the order of the function's table row.
struct VmpArgs {
    std::uint32_t value[3] = {0, 0, 0};
    std::uint32_t* position = nullptr; // positions and times
    std::int32_t* signedOut = nullptr; // key shift, tempo, volume
    const char* path = nullptr;
};

using NotifyProc = void (*)(std::uint32_t window, std::uint32_t message, std::uint32_t wparam,
    std::uint32_t lparam, void* context);

class VmpBackend {
public:
    virtual ~VmpBackend() = default;
    virtual std::uint16_t call(VmpFunction function, const VmpArgs& args) = 0;
    virtual void setNotify(NotifyProc proc, void* context) = 0;
};

// Replaces the back end (tests); null goes back to the FluidSynth one, made
// on the next call.
void installBackend(VmpBackend* backend);

// The largest millisecond position the engine accepts.
inline constexpr std::uint32_t kMaxPositionMs = 4294967;

} // namespace kiro::vmp
