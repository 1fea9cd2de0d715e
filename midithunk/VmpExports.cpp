// The engine's C exports: argument conversions, then one numbered call.
#include "midithunk/FluidBackend.h"
#include "midithunk/VmpBackend.h"
#include "midithunk/orvelmp.h"

#include <algorithm>
#include <memory>
#include <mutex>

#define VMP_EXPORT extern "C" __attribute__((visibility("default")))

namespace kiro::vmp {
namespace {

std::mutex g_backendMutex;
VmpBackend* g_installed = nullptr;
std::unique_ptr<VmpBackend> g_fluid;
bool g_unloading = false;

// Closes the synthesizer and ends its thread while the library is still whole.
struct Unloading {
    ~Unloading()
    {
        std::lock_guard lock(g_backendMutex);
        g_unloading = true;
        g_fluid.reset();
    }
} g_unloadingGuard;

// Null once the library is being unloaded: a loader that closes the engine
// from its own unloading may come after this library's.
VmpBackend* backend()
{
    std::lock_guard lock(g_backendMutex);
    if (g_installed)
        return g_installed;
    if (g_unloading)
        return nullptr;
    if (!g_fluid)
        g_fluid = std::make_unique<FluidBackend>();
    return g_fluid.get();
}

std::uint16_t forward(VmpFunction function, VmpArgs args = {})
{
    if (VmpBackend* engine = backend())
        return engine->call(function, args);
    return function == VmpFunction::GetStatus || function == VmpFunction::Close ? 0 : VMP_E_NOT_OPEN;
}

std::uint32_t low16(std::uint32_t value)
{
    return value & 0xFFFFu;
}

// A signed 16-bit argument travels as its low half, sign-extended again on
// the far side.
std::uint32_t signed16(std::int32_t value)
{
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<std::int16_t>(value & 0xFFFF)));
}

} // namespace

void installBackend(VmpBackend* replacement)
{
    std::lock_guard lock(g_backendMutex);
    g_installed = replacement;
}

} // namespace kiro::vmp

using kiro::vmp::forward;
using kiro::vmp::low16;
using kiro::vmp::signed16;
using kiro::vmp::VmpArgs;
using kiro::vmp::VmpFunction;

VMP_EXPORT uint16_t vmpSetDataEndMsg(uint32_t window, uint32_t message)
{
    return forward(VmpFunction::SetDataEndMsg, VmpArgs{{low16(window), message, 0}});
}

VMP_EXPORT uint16_t vmpSetClkMsg(uint32_t window, uint32_t message, uint32_t interval)
{
    return forward(VmpFunction::SetClkMsg, VmpArgs{{low16(window), message, interval}});
}

VMP_EXPORT uint16_t vmpGetPositionByMS(uint32_t* ms)
{
    VmpArgs args;
    args.position = ms;
    return forward(VmpFunction::GetPositionByMS, args);
}

VMP_EXPORT uint16_t vmpSetPositionByMS(uint32_t ms)
{
    return forward(VmpFunction::SetPositionByMS, VmpArgs{{std::min(ms, kiro::vmp::kMaxPositionMs), 0, 0}});
}

VMP_EXPORT uint16_t vmpSetSeekMode(uint32_t mode)
{
    return forward(VmpFunction::SetSeekMode, VmpArgs{{low16(mode), 0, 0}});
}

VMP_EXPORT uint16_t vmpGetVolume(uint32_t part, int32_t* volume)
{
    VmpArgs args{{low16(part), 0, 0}};
    args.signedOut = volume;
    return forward(VmpFunction::GetVolume, args);
}

VMP_EXPORT uint16_t vmpSetVolume(uint32_t part, int32_t volume)
{
    return forward(VmpFunction::SetVolume, VmpArgs{{low16(part), signed16(volume), 0}});
}

VMP_EXPORT uint16_t vmpGetTempo(int32_t* percent)
{
    VmpArgs args;
    args.signedOut = percent;
    return forward(VmpFunction::GetTempo, args);
}

VMP_EXPORT uint16_t vmpSetTempo(int32_t percent)
{
    return forward(VmpFunction::SetTempo, VmpArgs{{signed16(percent), 0, 0}});
}

VMP_EXPORT uint16_t vmpGetKeyShift(int32_t* shift)
{
    VmpArgs args;
    args.signedOut = shift;
    return forward(VmpFunction::GetKeyShift, args);
}

VMP_EXPORT uint16_t vmpSetKeyShift(int32_t shift)
{
    return forward(VmpFunction::SetKeyShift, VmpArgs{{signed16(shift), 0, 0}});
}

VMP_EXPORT uint16_t vmpSetRepeatPoint(uint32_t from, uint32_t to)
{
    return forward(VmpFunction::SetRepeatPoint, VmpArgs{{from, to, 0}});
}

VMP_EXPORT uint16_t vmpSendReset(uint32_t kind)
{
    return forward(VmpFunction::SendReset, VmpArgs{{low16(kind), 0, 0}});
}

VMP_EXPORT uint16_t vmpGetPosition(uint32_t* tick)
{
    VmpArgs args;
    args.position = tick;
    return forward(VmpFunction::GetPosition, args);
}

VMP_EXPORT uint16_t vmpSetPosition(uint32_t tick)
{
    return forward(VmpFunction::SetPosition, VmpArgs{{tick, 0, 0}});
}

VMP_EXPORT uint16_t vmpGetStatus(void)
{
    return forward(VmpFunction::GetStatus);
}

VMP_EXPORT uint16_t vmpSetPlayMode(uint32_t mode)
{
    return forward(VmpFunction::SetPlayMode, VmpArgs{{low16(mode), 0, 0}});
}

VMP_EXPORT uint16_t vmpStop(void)
{
    return forward(VmpFunction::Stop);
}

VMP_EXPORT uint16_t vmpStart(void)
{
    return forward(VmpFunction::Start);
}

VMP_EXPORT uint16_t vmpSetSong(const char* path)
{
    VmpArgs args;
    args.path = path;
    return forward(VmpFunction::SetSong, args);
}

VMP_EXPORT uint16_t vmpClose(void)
{
    return forward(VmpFunction::Close);
}

VMP_EXPORT uint16_t vmpOpen(uint32_t reserved1, uint32_t reserved2)
{
    return forward(VmpFunction::Open, VmpArgs{{reserved1, reserved2, 0}});
}

VMP_EXPORT void vmpSetNotify(VmpNotifyProc proc, void* context)
{
    if (kiro::vmp::VmpBackend* engine = kiro::vmp::backend())
        engine->setNotify(proc, context);
}
