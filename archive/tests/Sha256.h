#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace kiro::test {

// Lower-case hex SHA-256 of bytes / of a file ("" when it cannot be read).
std::string sha256Hex(std::span<const std::uint8_t> bytes);
std::string sha256OfFile(const std::filesystem::path& path);

} // namespace kiro::test
