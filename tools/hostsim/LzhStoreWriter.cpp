#include "tools/hostsim/LzhStoreWriter.h"

#include <fstream>

namespace kiro::hostsim {

namespace {

void put16(std::vector<std::uint8_t> &out, unsigned value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void put32(std::vector<std::uint8_t> &out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// 1996-04-01 12:00:00 as an MS-DOS time stamp: archives are the same from run to run.
constexpr unsigned kDosTime = 12u << 11;
constexpr unsigned kDosDate = ((1996u - 1980u) << 9) | (4u << 5) | 1u;

} // namespace

std::uint16_t lzhCrc16(const std::vector<std::uint8_t> &data)
{
    unsigned crc = 0;
    for (std::uint8_t byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return static_cast<std::uint16_t>(crc);
}

std::vector<std::uint8_t> makeStoredLzh(const std::vector<LzhMember> &members)
{
    std::vector<std::uint8_t> out;
    for (const LzhMember &m : members) {
        // The header size byte counts from the method to the CRC: 22 + name.
        if (m.name.empty() || m.name.size() > 255 - 22 || m.data.size() > 0xFFFFFFFFu)
            return {};
        std::vector<std::uint8_t> header;
        for (char c : std::string("-lh0-"))
            header.push_back(static_cast<std::uint8_t>(c));
        put32(header, static_cast<std::uint32_t>(m.data.size()));
        put32(header, static_cast<std::uint32_t>(m.data.size()));
        put16(header, kDosTime);
        put16(header, kDosDate);
        header.push_back(0x20); // archive attribute
        header.push_back(0);    // header level
        header.push_back(static_cast<std::uint8_t>(m.name.size()));
        header.insert(header.end(), m.name.begin(), m.name.end());
        put16(header, lzhCrc16(m.data));
        unsigned sum = 0;
        for (std::uint8_t b : header)
            sum += b;
        out.push_back(static_cast<std::uint8_t>(header.size()));
        out.push_back(static_cast<std::uint8_t>(sum & 0xFF));
        out.insert(out.end(), header.begin(), header.end());
        out.insert(out.end(), m.data.begin(), m.data.end());
    }
    if (!out.empty())
        out.push_back(0); // end of the archive
    return out;
}

bool writeStoredLzh(const std::filesystem::path &file, const std::vector<LzhMember> &members)
{
    const std::vector<std::uint8_t> bytes = makeStoredLzh(members);
    if (bytes.empty())
        return false;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

} // namespace kiro::hostsim
