#include "archive/LzhArchive.h"

#include "archive/LzhName.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kiro::lzh {
namespace {

constexpr std::uint64_t kScanStart = 2;
constexpr std::uint64_t kScanLength = 2048;
constexpr std::size_t kMaxBaseName = 100;   // name in a level 0/1 header
constexpr std::size_t kMaxNameHeader = 103; // extended header of type 1

std::uint32_t le16(const std::uint8_t* p)
{
    return p[0] | (p[1] << 8);
}

std::uint32_t le32(const std::uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

class HeaderReader {
public:
    HeaderReader(std::span<const std::uint8_t> archive, std::string& error) : m_archive(archive), m_error(error) {}

    // Reads the header at offset into member; EndOfArchive at a 0 size byte
    // or at the end of the file.
    LzhResult read(std::uint64_t offset, LzhMember& member);

private:
    bool has(std::uint64_t offset, std::uint64_t count) const
    {
        return offset <= m_archive.size() && count <= m_archive.size() - offset;
    }

    LzhResult damaged(std::string why)
    {
        m_error = std::move(why);
        return LzhResult::Damaged;
    }

    LzhResult readExtendedHeaders(std::uint64_t offset, LzhMember& member, std::uint64_t& total);

    std::span<const std::uint8_t> m_archive;
    std::string& m_error;
};

LzhResult HeaderReader::read(std::uint64_t h, LzhMember& member)
{
    if (!has(h, 1) || m_archive[h] == 0) {
        return LzhResult::EndOfArchive;
    }
    const std::uint8_t* p = m_archive.data();
    if (!has(h, 21)) {
        return damaged("header cut short at offset " + std::to_string(h));
    }
    const std::uint32_t sizeByte = p[h];
    member.headerOffset = h;
    member.method.assign(reinterpret_cast<const char*>(p + h + 2), 5);
    member.packedSize = le32(p + h + 7);
    member.originalSize = le32(p + h + 11);
    member.level = p[h + 20];

    std::uint64_t extendedTotal = 0;
    switch (member.level) {
    case 0:
    case 1: {
        if (!has(h + 21, 1)) {
            return damaged("header cut short at offset " + std::to_string(h));
        }
        std::size_t length = p[h + 21];
        if (length > kMaxBaseName) {
            return damaged("name longer than 100 characters at offset " + std::to_string(h));
        }
        if (!has(h + 22, length)) {
            return damaged("name cut short at offset " + std::to_string(h));
        }
        member.storedName.assign(reinterpret_cast<const char*>(p + h + 22), length);
        // The oldest level 0 headers end with the name and carry no CRC.
        if (sizeByte >= 22 + length && has(h + 22 + length, 2)) {
            member.crc = static_cast<std::uint16_t>(le16(p + h + 22 + length));
        }
        if (member.level == 0) {
            member.dataOffset = h + sizeByte + 2;
            break;
        }
        if (LzhResult r = readExtendedHeaders(h + sizeByte, member, extendedTotal); r != LzhResult::Ok) {
            return r;
        }
        if (extendedTotal > member.packedSize) {
            return damaged("extended headers larger than the packed size at offset " + std::to_string(h));
        }
        member.packedSize -= static_cast<std::uint32_t>(extendedTotal);
        member.dataOffset = h + sizeByte + 2 + extendedTotal;
        break;
    }
    case 2: {
        // The first two bytes are the whole header's length, extended
        // headers included: the data starts right after it.
        if (LzhResult r = readExtendedHeaders(h + 24, member, extendedTotal); r != LzhResult::Ok) {
            return r;
        }
        member.crc = static_cast<std::uint16_t>(le16(p + h + 21));
        member.dataOffset = h + le16(p + h);
        break;
    }
    default:
        return damaged("unknown header level " + std::to_string(member.level) + " at offset " + std::to_string(h));
    }
    member.name = memberFileName(member.storedName);
    return LzhResult::Ok;
}

// Extended headers: a 16-bit size, then per header its type, its data and
// the size of the next one (0 ends them). Type 1 holds the file name.
LzhResult HeaderReader::readExtendedHeaders(std::uint64_t offset, LzhMember& member, std::uint64_t& total)
{
    const std::uint8_t* p = m_archive.data();
    if (!has(offset, 2)) {
        return damaged("extended header cut short at offset " + std::to_string(offset));
    }
    std::uint32_t size = le16(p + offset);
    offset += 2;
    while (size != 0) {
        if (size < 3 || !has(offset, size)) {
            return damaged("damaged extended header at offset " + std::to_string(offset));
        }
        if (p[offset] == 1) {
            if (size > kMaxNameHeader) {
                return damaged("name header longer than 103 bytes at offset " + std::to_string(offset));
            }
            member.storedName.assign(reinterpret_cast<const char*>(p + offset + 1), size - 3);
        }
        total += size;
        std::uint32_t next = le16(p + offset + size - 2);
        offset += size;
        size = next;
    }
    return LzhResult::Ok;
}

} // namespace

std::int64_t findFirstHeader(std::span<const std::uint8_t> archive)
{
    for (std::uint64_t at = kScanStart; at < kScanStart + kScanLength; ++at) {
        if (at + 5 > archive.size()) {
            return -1;
        }
        const std::uint8_t* m = archive.data() + at;
        if (m[0] == '-' && m[1] == 'l' && (m[2] == 'z' || m[2] == 'h') && m[4] == '-') {
            return static_cast<std::int64_t>(at - 2);
        }
    }
    return -1;
}

LzhListing listMembers(std::span<const std::uint8_t> archive)
{
    LzhListing listing;
    std::int64_t first = findFirstHeader(archive);
    if (first < 0) {
        listing.result = LzhResult::Damaged;
        listing.error = "no LZH header within the first 2,048 bytes";
        return listing;
    }
    HeaderReader reader(archive, listing.error);
    std::uint64_t offset = static_cast<std::uint64_t>(first);
    for (;;) {
        LzhMember member;
        LzhResult r = reader.read(offset, member);
        if (r == LzhResult::EndOfArchive) {
            break;
        }
        if (r != LzhResult::Ok) {
            listing.result = r;
            break;
        }
        offset = member.dataOffset + member.packedSize;
        listing.members.push_back(std::move(member));
    }
    return listing;
}

bool readArchiveFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (ok) {
        bytes.resize(static_cast<std::size_t>(info.st_size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        bytes.resize(done); // a file that shrank while being read is taken as it is
    }
    ::close(fd);
    return ok;
}

} // namespace kiro::lzh
