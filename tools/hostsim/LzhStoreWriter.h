#pragma once
// Writes LZH archives whose members are stored as they are ("-lh0-", level
// 0 headers): enough for the demo host's song archives, which are a few
// hundred bytes each and gain nothing from compression, without depending
// on an outside archiver at demo time.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kiro::hostsim {

struct LzhMember {
    std::string name;               // stored name (ASCII or code page 932), at most 255 bytes
    std::vector<std::uint8_t> data;
};

// CRC-16 as LZH members carry it (polynomial 0xA001, reflected, start 0).
std::uint16_t lzhCrc16(const std::vector<std::uint8_t> &data);

// The archive's bytes; members whose name is empty or too long, or whose
// data exceeds 4 GiB, are refused with an empty result.
std::vector<std::uint8_t> makeStoredLzh(const std::vector<LzhMember> &members);

// Writes the archive; false when it cannot be written completely.
bool writeStoredLzh(const std::filesystem::path &file, const std::vector<LzhMember> &members);

} // namespace kiro::hostsim
