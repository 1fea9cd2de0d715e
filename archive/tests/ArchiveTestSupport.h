#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kiro::test {

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::vector<std::string> fileNames() const; // sorted, this folder only

private:
    std::filesystem::path m_path;
};

// The shared LZH test set (testdata/lzh of the shared folder).
std::filesystem::path sharedLzhRoot();
std::filesystem::path sharedLzh(const std::string& relative);

// Tests on the shared test set: skipped, with one line naming the missing
// folder, on a clone without it.
class SharedLzhTest : public ::testing::Test {
protected:
    void SetUp() override;
};
std::vector<std::uint8_t> readBytes(const std::filesystem::path& path);
void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// One member of a hand-made archive.
struct CraftedMember {
    std::string name;                   // name field of a level 0/1 header
    std::optional<std::string> extName; // type-1 extended header (levels 1, 2)
    std::string method = "-lh0-";
    std::string data;                   // packed data as written
    std::optional<std::uint32_t> originalSize; // default: data size
    int level = 0;
    std::optional<std::uint16_t> crc;   // default: CRC-16 of data
};

CraftedMember crafted(std::string name, std::string data, int level = 0, std::string method = "-lh0-",
                      std::optional<std::string> extName = std::nullopt,
                      std::optional<std::uint32_t> originalSize = std::nullopt);

// Builds an archive of the members after `stub` bytes of self-extractor
// look-alike, with the closing 0 byte unless told otherwise.
std::vector<std::uint8_t> craftArchive(const std::vector<CraftedMember>& members, std::size_t stub = 0,
                                       bool terminator = true);

} // namespace kiro::test
