#include "KrdWriter.h"

#include <fstream>
#include <iterator>
#include <unistd.h>

namespace kiro::player::test {

KrdWriter::KrdWriter(std::int8_t versionHundreds, std::int8_t versionUnits)
    : m_bytes(54, 0)
{
    m_bytes[0] = '8';
    m_bytes[1] = 'J';
    m_bytes[2] = 'S';
    m_bytes[3] = 'Y';
    m_bytes[8] = static_cast<std::uint8_t>(versionHundreds);
    m_bytes[9] = static_cast<std::uint8_t>(versionUnits);
    for (std::size_t i = 10; i < 54; ++i)
        m_bytes[i] = static_cast<std::uint8_t>(0xA0 + i); // bytes nobody reads
}

KrdWriter& KrdWriter::command(std::uint8_t code, const Bytes& payload)
{
    const std::uint32_t head = m_nextHead++;
    m_lastHead = {static_cast<std::uint8_t>(head), static_cast<std::uint8_t>(head >> 8),
                  static_cast<std::uint8_t>(head >> 16), static_cast<std::uint8_t>(head >> 24), code};
    m_bytes.insert(m_bytes.end(), m_lastHead.begin(), m_lastHead.end());
    m_bytes.insert(m_bytes.end(), payload.begin(), payload.end());
    return *this;
}

KrdWriter& KrdWriter::pictureByNumber(const Seven& attributes, std::uint8_t number, std::uint8_t code)
{
    Bytes payload(attributes.begin(), attributes.end());
    payload.push_back(number);
    payload.insert(payload.end(), {9, 9, 9, 9, 9, 9, 9, 'x', 'y', 'z'});
    return command(code, payload);
}

KrdWriter& KrdWriter::pictureByAttributes(const Seven& attributes, const Seven& priorities,
                                          const std::string& extension, std::uint8_t code)
{
    Bytes payload(attributes.begin(), attributes.end());
    payload.push_back(0xFF);
    payload.insert(payload.end(), priorities.begin(), priorities.end());
    for (std::size_t i = 0; i < 3; ++i)
        payload.push_back(i < extension.size() ? static_cast<std::uint8_t>(extension[i]) : 0);
    return command(code, payload);
}

KrdWriter& KrdWriter::namedPicture(const std::string& name, std::uint8_t first)
{
    Bytes payload{first};
    payload.insert(payload.end(), name.begin(), name.end());
    payload.push_back(0);
    return command(7, payload);
}

KrdWriter& KrdWriter::text(const std::string& text)
{
    Bytes payload{1, 2, 3, 4, 5, 6, 7};
    payload.insert(payload.end(), text.begin(), text.end());
    payload.push_back(0);
    return command(2, payload);
}

KrdWriter& KrdWriter::itemList(std::uint8_t code, int plainItems)
{
    Bytes payload;
    for (int i = 0; i < plainItems; ++i) {
        for (int b = 0; b < 9; ++b)
            payload.push_back(static_cast<std::uint8_t>(i * 16 + b)); // never 0xFF first
    }
    payload.push_back(0xFF);
    payload.insert(payload.end(), 8, 0xEE);
    return command(code, payload);
}

void KrdWriter::save(const std::filesystem::path& path) const
{
    writeBytes(path, m_bytes);
}

Bytes readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::filesystem::path freshFolder(const std::string& name)
{
    auto folder = std::filesystem::temp_directory_path() / ("kiro-player-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

} // namespace kiro::player::test
