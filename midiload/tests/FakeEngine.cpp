// A stand-in player engine for the loader's tests: it records every call it
// receives and answers with results the test sets. It lacks "vmpSetTempo"
// on purpose (the loader must report the missing entry).
#include <cstdint>
#include <cstdio>
#include <string>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::string g_log;
std::uint16_t g_openResult = 0;
std::uint16_t g_status = 2;

void record(const char* name, long a = -1, long b = -1, long c = -1)
{
    char line[128];
    std::snprintf(line, sizeof line, "%s", name);
    g_log += line;
    for (long value : {a, b, c}) {
        if (value == -1)
            break;
        std::snprintf(line, sizeof line, " %ld", value);
        g_log += line;
    }
    g_log += ";";
}
} // namespace

FAKE_EXPORT const char* fakeEngineLog() { return g_log.c_str(); }
FAKE_EXPORT void fakeEngineReset(std::uint16_t openResult)
{
    g_log.clear();
    g_openResult = openResult;
}

FAKE_EXPORT std::uint16_t vmpOpen(std::uint32_t a, std::uint32_t b, std::uint32_t c)
{
    // An engine of interface 0 is called with two arguments; the third is not read then.
    (void)c;
    record("vmpOpen", a, b);
    return g_openResult;
}
FAKE_EXPORT std::uint16_t vmpClose() { record("vmpClose"); return 0; }
FAKE_EXPORT std::uint16_t vmpSetSong(const char* path) { record(path ? path : "vmpSetSong(null)"); return 0; }
FAKE_EXPORT std::uint16_t vmpStart() { record("vmpStart"); return 0; }
FAKE_EXPORT std::uint16_t vmpStop() { record("vmpStop"); return 0; }
FAKE_EXPORT std::uint16_t vmpSetPlayMode(std::uint32_t mode) { record("vmpSetPlayMode", mode); return 0; }
FAKE_EXPORT std::uint16_t vmpGetStatus() { return g_status; }
FAKE_EXPORT std::uint16_t vmpSetPosition(std::uint32_t tick) { record("vmpSetPosition", tick); return 0; }
FAKE_EXPORT std::uint16_t vmpSetRepeatPoint(std::uint32_t from, std::uint32_t to) { record("vmpSetRepeatPoint", from, to); return 0; }
FAKE_EXPORT std::uint16_t vmpSetKeyShift(std::int32_t shift) { record("vmpSetKeyShift", shift); return 0; }
FAKE_EXPORT std::uint16_t vmpSetVolume(std::uint32_t part, std::int32_t volume) { record("vmpSetVolume", part, volume); return 0; }
FAKE_EXPORT std::uint16_t vmpSetPositionByMS(std::uint32_t ms) { record("vmpSetPositionByMS", ms); return 42; }
FAKE_EXPORT std::uint16_t vmpGetCaps(std::uint32_t* caps) { caps[12] = 0xCAFE; record("vmpGetCaps"); return 0; }
struct Caps {
    std::uint32_t word[13];
};
FAKE_EXPORT std::uint16_t vmpSetCaps(Caps caps)
{
    record("vmpSetCaps", caps.word[0], caps.word[1], caps.word[12]);
    return 0;
}
FAKE_EXPORT std::uint16_t vmpMute(std::uint32_t on) { record("vmpMute", on); return 0; }
using Notify = void (*)(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, void*);
FAKE_EXPORT void vmpSetNotify(Notify proc, void* context)
{
    record(proc ? "vmpSetNotify" : "vmpSetNotify(null)");
    if (proc)
        proc(1, 2, 3, 4, context); // as the engine's thread would, later
}
FAKE_EXPORT std::uint32_t vmpdsWavePlay(const char*) { record("vmpdsWavePlay"); return 7; }
FAKE_EXPORT std::uint32_t vmpdsWaveClose() { record("vmpdsWaveClose"); return 8; }
