#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Builds KRD files command by command for the tests.
namespace kiro::player::test {

using Bytes = std::vector<std::uint8_t>;
using Seven = std::array<std::uint8_t, 7>;

class KrdWriter {
public:
    // A 54-byte header: "8JSY", then the version bytes at 8 and 9.
    explicit KrdWriter(std::int8_t versionHundreds = 0, std::int8_t versionUnits = 90);

    // Any command: a distinct head field (so copies can be told apart), the
    // code, the payload as given.
    KrdWriter& command(std::uint8_t code, const Bytes& payload = {});

    KrdWriter& pictureByNumber(const Seven& attributes, std::uint8_t number, std::uint8_t code = 1);
    KrdWriter& pictureByAttributes(const Seven& attributes, const Seven& priorities,
                                   const std::string& extension = "bmp", std::uint8_t code = 1);
    KrdWriter& namedPicture(const std::string& name, std::uint8_t first = 0x01);
    KrdWriter& pictureSlot() { return command(13); }
    KrdWriter& text(const std::string& text);               // code 2
    KrdWriter& itemList(std::uint8_t code, int plainItems); // code 10 or 12, then the 0xFF item
    KrdWriter& end() { return command(255, {1, 2, 3, 4}); }

    const Bytes& bytes() const { return m_bytes; }
    Bytes& bytes() { return m_bytes; }
    void save(const std::filesystem::path& path) const;

    // The head of the last command written (head field + code).
    Bytes lastHead() const { return m_lastHead; }

private:
    Bytes m_bytes;
    Bytes m_lastHead;
    std::uint32_t m_nextHead = 0x01020300;
};

Bytes readBytes(const std::filesystem::path& path);
void writeBytes(const std::filesystem::path& path, const Bytes& bytes);

// A fresh empty folder under the system's temporary folder.
std::filesystem::path freshFolder(const std::string& name);

} // namespace kiro::player::test
