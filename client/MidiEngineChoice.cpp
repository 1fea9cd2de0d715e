#include "client/MidiEngineChoice.h"

#include "common/Registry.h"

namespace kiro::client {

bool selectMidiEngine(int kind, const std::filesystem::path& registryFile)
{
    if (kind != 0 && kind != 1)
        return false;
    Registry registry(registryFile);
    const bool keyReady = registry.keyExists(kSmfPlayerKey) || registry.createKey(kSmfPlayerKey).has_value();
    const bool written = keyReady
        && registry.writeString(kSmfPlayerKey, "engine", kind == 0 ? "orvelmp.dll" : "orvelsmp.dll")
        && registry.writeDword(kSmfPlayerKey, "interface", kind == 0 ? 0u : 1u);
    if (!written) {
        // Half a choice would make the loader open the wrong engine.
        registry.deleteValue(kSmfPlayerKey, "engine");
        registry.deleteValue(kSmfPlayerKey, "interface");
    }
    return written;
}

} // namespace kiro::client
