#include "archive/LzhExtract.h"

#include "archive/LzhArchive.h"
#include "archive/LzhMethods.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
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

// Decodes one member into its file. A member that cannot be completed is
// removed again, so no half-written file is left looking like a good one.
int writeMember(const lzh::LzhMember& member, const lzh::LzhMethod& method, std::span<const std::uint8_t> archive,
                const std::filesystem::path& destinationFolder, std::uint8_t* piece)
{
    if (member.name.empty()) {
        return 1; // nothing safe to call the file
    }
    const std::filesystem::path target = destinationFolder / member.name;
    // O_NOFOLLOW: a link already standing under that name is not followed
    // out of the folder.
    int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        return 1;
    }
    std::size_t start = static_cast<std::size_t>(std::min<std::uint64_t>(member.dataOffset, archive.size()));
    auto decoder = lzh::makeDecoder(method, archive.subspan(start));
    std::uint64_t remaining = member.originalSize;
    bool ok = true;
    while (ok && remaining > 0) {
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kPieceSize));
        std::size_t got = decoder->read(piece, want);
        ok = got == want && writeAll(fd, piece, got);
        remaining -= got;
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        std::error_code ignored;
        std::filesystem::remove(target, ignored);
        return 1;
    }
    return 0;
}

int extractAll(const std::filesystem::path& archivePath, const std::filesystem::path& destinationFolder)
{
    std::vector<std::uint8_t> archive;
    if (!lzh::readArchiveFile(archivePath, archive)) {
        return 1;
    }
    lzh::LzhListing listing = lzh::listMembers(archive);
    if (listing.members.empty()) {
        return 1;
    }
    std::array<std::uint8_t, kPieceSize> piece;
    for (const lzh::LzhMember& member : listing.members) {
        if (lzh::isDirectoryMethod(member.method)) {
            continue; // folders are not recreated: names keep their last component only
        }
        const lzh::LzhMethod* method = lzh::findMethod(member.method);
        if (method == nullptr) {
            return 2;
        }
        if (int result = writeMember(member, *method, archive, destinationFolder, piece.data()); result != 0) {
            return result;
        }
    }
    // A damaged header after good members: those are written, but the
    // archive was not read to its end, so the caller must not take it as
    // complete.
    return listing.result == lzh::LzhResult::Ok ? 0 : 2;
}

} // namespace

int LzhExtractAll(const std::filesystem::path& archive, const std::filesystem::path& destinationFolder)
{
    try {
        return extractAll(archive, destinationFolder);
    } catch (const std::bad_alloc&) {
        return 1;
    } catch (const std::filesystem::filesystem_error&) {
        return 1;
    }
}

} // namespace kiro
