#include "archive/LzhExtract.h"

#include "archive/Crc16.h"
#include "archive/LzhArchive.h"
#include "archive/LzhMethods.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

namespace kiro {
namespace {

constexpr std::size_t kPieceSize = 4096;

bool writeAll(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string hex16(std::uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

// Decodes one member into its file. A member that cannot be completed is
// removed again, so no half-written or damaged file is left looking like a
// good one.
int writeMember(const lzh::LzhMember& member, const lzh::LzhMethod& method, std::span<const std::uint8_t> archive,
                const std::filesystem::path& destinationFolder, std::uint8_t* piece, std::string& why)
{
    if (member.name.empty()) {
        why = "unsafe name, refused";
        return 1;
    }
    // A download cut short ends inside the packed data: nothing decoded from
    // it can be trusted to be whole.
    if (member.dataOffset > archive.size() || member.packedSize > archive.size() - member.dataOffset) {
        why = "packed data cut short by the end of the archive";
        return 1;
    }
    const std::filesystem::path target = destinationFolder / member.name;
    // O_NOFOLLOW: a link already standing under that name is not followed
    // out of the folder.
    int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        why = std::string("cannot create the file: ") + std::strerror(errno);
        return 1;
    }
    auto decoder = lzh::makeDecoder(method, archive.subspan(member.dataOffset, member.packedSize));
    lzh::Crc16 crc;
    std::uint64_t remaining = member.originalSize;
    while (why.empty() && remaining > 0) {
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kPieceSize));
        std::size_t got = decoder->read(piece, want);
        // Checked every piece, so a damaged size field cannot make us write
        // gigabytes from a few packed bytes.
        if (got != want || decoder->overran()) {
            why = "packed data ends before the member does";
        } else if (!writeAll(fd, piece, got)) {
            why = std::string("cannot write the file: ") + std::strerror(errno);
        }
        crc.update(piece, got);
        remaining -= got;
    }
    if (::close(fd) != 0 && why.empty()) {
        why = std::string("cannot write the file: ") + std::strerror(errno);
    }
    if (why.empty() && member.crc && *member.crc != crc.value()) {
        why = "CRC-16 mismatch (stored " + hex16(*member.crc) + ", data gives " + hex16(crc.value()) + ")";
    }
    if (!why.empty()) {
        std::error_code ignored;
        std::filesystem::remove(target, ignored);
        return 1;
    }
    return 0;
}

int extractAll(const std::filesystem::path& archivePath, const std::filesystem::path& destinationFolder,
               std::string& why)
{
    std::vector<std::uint8_t> archive;
    if (!lzh::readArchiveFile(archivePath, archive)) {
        why = "cannot read the archive";
        return 1;
    }
    lzh::LzhListing listing = lzh::listMembers(archive);
    if (listing.members.empty()) {
        why = listing.error.empty() ? "the archive has no members" : listing.error;
        return 1;
    }
    std::array<std::uint8_t, kPieceSize> piece;
    for (const lzh::LzhMember& member : listing.members) {
        if (lzh::isDirectoryMethod(member.method)) {
            continue; // folders are not recreated: names keep their last component only
        }
        const lzh::LzhMethod* method = lzh::findMethod(member.method);
        if (method == nullptr) {
            why = member.name + ": unknown method " + member.method;
            return 2;
        }
        std::string reason;
        if (int result = writeMember(member, *method, archive, destinationFolder, piece.data(), reason);
            result != 0) {
            why = (member.name.empty() ? member.storedName : member.name) + ": " + reason;
            return result;
        }
    }
    // A damaged header after good members: those are written, but the
    // archive was not read to its end, so the caller must not take it as
    // complete.
    if (listing.result != lzh::LzhResult::Ok) {
        why = listing.error;
        return 2;
    }
    return 0;
}

} // namespace

int LzhExtractAll(const std::filesystem::path& archive, const std::filesystem::path& destinationFolder,
                  std::string& why)
{
    why.clear();
    try {
        return extractAll(archive, destinationFolder, why);
    } catch (const std::bad_alloc&) {
        why = "out of memory";
        return 1;
    } catch (const std::filesystem::filesystem_error& e) {
        why = e.what();
        return 1;
    }
}

int LzhExtractAll(const std::filesystem::path& archive, const std::filesystem::path& destinationFolder)
{
    std::string ignored;
    return LzhExtractAll(archive, destinationFolder, ignored);
}

} // namespace kiro
