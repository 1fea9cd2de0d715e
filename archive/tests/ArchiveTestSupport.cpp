#include "ArchiveTestSupport.h"

#include "archive/Crc16.h"

#include <cstdlib>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace kiro::test {

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    m_path = std::filesystem::temp_directory_path() /
             ("kiro-archive-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::vector<std::string> TempDir::fileNames() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_path)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::filesystem::path sharedLzhRoot()
{
    // The environment may point elsewhere (or nowhere, to try the skips).
    const char* overridden = std::getenv("KIRO_SHARED_DIR");
    return std::filesystem::path(overridden ? overridden : KIRO_SHARED_DIR) / "testdata" / "lzh";
}

std::filesystem::path sharedLzh(const std::string& relative)
{
    return sharedLzhRoot() / relative;
}

void SharedLzhTest::SetUp()
{
    std::error_code ec;
    if (!std::filesystem::is_directory(sharedLzhRoot(), ec))
        GTEST_SKIP() << "shared LZH test data not found at " << sharedLzhRoot().string();
}

std::vector<std::uint8_t> readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

CraftedMember crafted(std::string name, std::string data, int level, std::string method,
                      std::optional<std::string> extName, std::optional<std::uint32_t> originalSize)
{
    CraftedMember member;
    member.name = std::move(name);
    member.extName = std::move(extName);
    member.method = std::move(method);
    member.data = std::move(data);
    member.originalSize = originalSize;
    member.level = level;
    return member;
}

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void putText(std::vector<std::uint8_t>& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
}

std::uint16_t crcOf(const CraftedMember& m)
{
    if (m.crc) {
        return *m.crc;
    }
    lzh::Crc16 crc;
    crc.update(reinterpret_cast<const std::uint8_t*>(m.data.data()), m.data.size());
    return crc.value();
}

} // namespace

std::vector<std::uint8_t> craftArchive(const std::vector<CraftedMember>& members, std::size_t stub, bool terminator)
{
    std::vector<std::uint8_t> out;
    if (stub > 0) {
        out.push_back('M');
        out.push_back('Z');
        out.resize(stub, 0x90);
    }
    for (const CraftedMember& m : members) {
        std::vector<std::uint8_t> ext; // extended headers after the first size field
        if (m.extName) {
            ext.push_back(1);
            putText(ext, *m.extName);
        }
        const std::uint32_t extSize = m.extName ? static_cast<std::uint32_t>(m.extName->size() + 3) : 0;
        const std::uint32_t original = m.originalSize.value_or(static_cast<std::uint32_t>(m.data.size()));
        std::vector<std::uint8_t> h;
        if (m.level == 2) {
            std::uint32_t total = 26 + extSize;
            put16(h, total);
            putText(h, m.method);
            put32(h, static_cast<std::uint32_t>(m.data.size()));
            put32(h, original);
            put32(h, 0);
            h.push_back(0x20);
            h.push_back(2);
            put16(h, crcOf(m));
            h.push_back('U');
            put16(h, extSize);
            if (extSize) {
                h.insert(h.end(), ext.begin(), ext.end());
                put16(h, 0);
            }
        } else {
            std::uint32_t sizeByte = static_cast<std::uint32_t>((m.level == 0 ? 22 : 25) + m.name.size());
            h.push_back(std::uint8_t(sizeByte));
            h.push_back(0); // checksum, not read
            putText(h, m.method);
            put32(h, static_cast<std::uint32_t>(m.data.size() + (m.level == 1 ? extSize : 0)));
            put32(h, original);
            put32(h, 0);
            h.push_back(0x20);
            h.push_back(std::uint8_t(m.level));
            h.push_back(std::uint8_t(m.name.size()));
            putText(h, m.name);
            put16(h, crcOf(m));
            if (m.level == 1) {
                h.push_back('U');
                put16(h, extSize);
                if (extSize) {
                    h.insert(h.end(), ext.begin(), ext.end());
                    put16(h, 0);
                }
            }
        }
        out.insert(out.end(), h.begin(), h.end());
        putText(out, m.data);
    }
    if (terminator) {
        out.push_back(0);
    }
    return out;
}

} // namespace kiro::test
