#include "midiload/EngineLibrary.h"

#include "common/FileNames.h"
#include "common/Registry.h"

#include <dlfcn.h>

namespace kiro::midiload {

const std::array<const char*, kEntryCount> kEntryNames = {
    "vmpOpen", "vmpClose", "vmpSetSong", "vmpStart", "vmpStop", "vmpSetPlayMode", "vmpGetStatus",
    "vmpSetPosition", "vmpGetPosition", "vmpSendReset", "vmpSetRepeatPoint", "vmpSetKeyShift",
    "vmpGetKeyShift", "vmpSetTempo", "vmpGetTempo", "vmpSetVolume", "vmpGetVolume", "vmpSetSeekMode",
    "vmpSetPositionByMS", "vmpGetPositionByMS", "vmpSetClkMsg", "vmpSetDataEndMsg", "vmpGetCaps",
    "vmpSetCaps", "vmpdsWaveSetVol", "vmpdsWavePlay", "vmpdsWaveClose", "vmpMute",
    "@@@@@@@vsswaveOutOpen", "vsswaveOutWrite", "vsswaveOutSetVolume", "vsswaveOutGetVolume",
    "vsswaveOutReset", "vsswaveOutPrepareHeader", "vsswaveOutUnprepareHeader", "vsswaveOutClose",
};

EngineChoice readEngineChoice()
{
    EngineChoice choice;
    kiro::Registry registry;
    if (!registry.keyExists(kEngineKey))
        return choice;
    if (auto name = registry.readString(kEngineKey, "engine"); name && name->size() < kEngineNameBuffer)
        choice.name = *name;
    if (auto kind = registry.readDword(kEngineKey, "interface"))
        choice.interfaceKind = *kind;
    choice.ok = choice.interfaceKind < 2;
    return choice;
}

std::string sharedLibraryName(const std::string& engineName)
{
    std::string base = engineName;
    if (base.size() > 4 && kiro::filenames::sameNameIgnoringCase(base.substr(base.size() - 4), ".dll"))
        base.resize(base.size() - 4);
    return "lib" + base + ".so";
}

std::filesystem::path loaderFolder()
{
    Dl_info info {};
    if (dladdr(reinterpret_cast<void*>(&loaderFolder), &info) == 0 || !info.dli_fname)
        return {};
    return std::filesystem::path(info.dli_fname).parent_path();
}

void* openEngineLibrary(const std::string& engineName, const std::filesystem::path& folder)
{
    // The registry names a file, never a path to some other place.
    if (engineName.empty() || engineName.find('/') != std::string::npos)
        return nullptr;
    const std::string file = sharedLibraryName(engineName);
    if (!folder.empty()) {
        if (auto found = kiro::filenames::findInFolder(folder, file)) {
            if (void* handle = dlopen(found->c_str(), RTLD_NOW | RTLD_LOCAL))
                return handle;
        }
    }
    return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

} // namespace kiro::midiload
