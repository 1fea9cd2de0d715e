#include "archive/LarcCodec.h"

namespace kiro::lzh {

std::vector<std::uint8_t> LarcCodec::initialDictionary(Variant variant)
{
    if (variant == Variant::Lzs) {
        return std::vector<std::uint8_t>(2048, 0x20);
    }
    std::vector<std::uint8_t> pattern;
    pattern.reserve(4096);
    for (int value = 0; value < 256; ++value) {
        pattern.insert(pattern.end(), 13, static_cast<std::uint8_t>(value));
    }
    for (int value = 0; value < 256; ++value) {
        pattern.push_back(static_cast<std::uint8_t>(value));
    }
    for (int value = 255; value >= 0; --value) {
        pattern.push_back(static_cast<std::uint8_t>(value));
    }
    pattern.insert(pattern.end(), 128, 0);
    pattern.insert(pattern.end(), 110, 0x20);
    pattern.insert(pattern.end(), 18, 0);

    // LArc writes its first byte at 4096 - 18; we write ours at 0.
    std::vector<std::uint8_t> dictionary(4096);
    for (std::uint32_t i = 0; i < 4096; ++i) {
        dictionary[i] = pattern[(i + 4096 - 18) & 0xFFF];
    }
    return dictionary;
}

} // namespace kiro::lzh
