#include "player/ArchiveName.h"

#include <cstring>

namespace kiro::player {

std::string exactArchiveName(const PictureAttributes& attributes, std::uint8_t pictureNumber)
{
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < attributes.size(); ++i) {
        const int width = kAttributeWidths[i];
        bits = (bits << width) | (attributes[i] & ((1u << width) - 1));
    }
    bits = (bits << 1);                 // the 0 bit
    bits = (bits << 8) | pictureNumber; // 40 bits in all
    std::string name(8, '0');
    for (int k = 0; k < 8; ++k)
        name[static_cast<std::size_t>(k)] = kArchiveAlphabet[(bits >> (35 - 5 * k)) & 0x1F];
    return name;
}

std::optional<PictureAttributes> decodeArchiveAttributes(std::string_view fileName)
{
    if (fileName.size() < 8)
        return std::nullopt;
    std::uint64_t bits = 0;
    for (std::size_t k = 0; k < 8; ++k) {
        char c = fileName[k];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        const char* found = c ? std::strchr(kArchiveAlphabet, c) : nullptr;
        if (!found)
            return std::nullopt;
        bits = (bits << 5) | static_cast<std::uint64_t>(found - kArchiveAlphabet);
    }
    // The attributes are the first 31 of the 40 bits.
    PictureAttributes attributes{};
    int shift = 40;
    for (std::size_t i = 0; i < attributes.size(); ++i) {
        shift -= kAttributeWidths[i];
        attributes[i] = static_cast<std::uint8_t>((bits >> shift) & ((1u << kAttributeWidths[i]) - 1));
    }
    return attributes;
}

} // namespace kiro::player
