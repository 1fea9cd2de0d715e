#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kiro::lzh {

// Result codes of the archive layer.
enum class LzhResult {
    Ok = 0,
    CannotOpen = 1,  // the archive file cannot be read
    Damaged = 2,     // no header found, a damaged header, or an unknown method
    EndOfArchive = 3,
    OutOfMemory = 4,
};

struct LzhMember {
    std::string name;        // file name as written (UTF-8); empty when refused
    std::string storedName;  // name text from the header (code page 932)
    std::string method;      // 5 characters, "-lh5-"
    std::uint32_t packedSize = 0;   // for level 1 without the extended headers
    std::uint32_t originalSize = 0;
    std::uint64_t headerOffset = 0;
    std::uint64_t dataOffset = 0;
    int level = 0;
    std::optional<std::uint16_t> crc; // CRC-16 of the uncompressed data, when the header has one
};

struct LzhListing {
    // Ok when the member list ended normally; CannotOpen or Damaged (with
    // the members read before the damage) otherwise.
    LzhResult result = LzhResult::Ok;
    std::string error; // why, when result is not Ok
    std::vector<LzhMember> members;
};

// Offset of the first header: the method text "-l?x-" (x = 'z' or 'h')
// must begin within file offsets 2 to 2,049, which skips a self-extractor
// stub of about 2 KB. -1 when there is none.
std::int64_t findFirstHeader(std::span<const std::uint8_t> archive);

// Reads every member header of an archive held in memory.
LzhListing listMembers(std::span<const std::uint8_t> archive);

// Reads a whole archive file into memory; false when it cannot be read.
bool readArchiveFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes);

} // namespace kiro::lzh
