#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Picture archive names: eight base-32 digits (extended-hex alphabet) that
// carry the seven picture attributes and a picture number.
namespace kiro::player {

using PictureAttributes = std::array<std::uint8_t, 7>;

inline constexpr char kArchiveAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
// Bit widths of a0..a6 inside a name.
inline constexpr std::array<int, 7> kAttributeWidths = {4, 4, 5, 5, 3, 5, 5};

// The eight-digit name of the archive with these attributes and picture
// number. The 40 bits are a0..a6, one 0 bit, then the number; attribute
// values are cut to their widths.
std::string exactArchiveName(const PictureAttributes& attributes, std::uint8_t pictureNumber);

// Reads a0..a6 back from the first eight characters of a file name (case
// folded); nullopt when the name does not begin with eight digits.
std::optional<PictureAttributes> decodeArchiveAttributes(std::string_view fileName);

} // namespace kiro::player
