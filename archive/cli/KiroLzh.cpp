// kiro-lzh: lists or extracts an LZH archive with the extractor the client
// and the player use.
//   kiro-lzh l ARCHIVE          list members
//   kiro-lzh x ARCHIVE DESTDIR  extract; exit status is LzhExtractAll's result
//                               (DESTDIR is created when missing)

#include "archive/LzhArchive.h"
#include "archive/LzhExtract.h"
#include "archive/LzhMethods.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

constexpr const char* kUsage = "usage: kiro-lzh l ARCHIVE          list the members\n"
                               "       kiro-lzh x ARCHIVE DESTDIR  extract into DESTDIR (created when missing)\n"
                               "exit status: 0 done, 1 failed (unreadable archive, cut or damaged data, CRC\n"
                               "mismatch, file not writable), 2 unknown method or damaged header\n";

int usage()
{
    std::fputs(kUsage, stderr);
    return 64;
}

int extract(const char* archive, const char* destination)
{
    std::error_code error;
    std::filesystem::create_directories(destination, error);
    if (!std::filesystem::is_directory(destination)) {
        std::fprintf(stderr, "kiro-lzh: cannot create the folder %s: %s\n", destination, error.message().c_str());
        return 1;
    }
    std::string why;
    int result = kiro::LzhExtractAll(archive, destination, why);
    if (result != 0) {
        std::fprintf(stderr, "kiro-lzh: extraction of %s failed with %d: %s\n", archive, result, why.c_str());
    }
    return result;
}

std::string shownName(const kiro::lzh::LzhMember& member)
{
    if (kiro::lzh::isDirectoryMethod(member.method)) {
        return "(folder, skipped)";
    }
    return member.name.empty() ? "(unsafe name, refused)" : member.name;
}

int list(const char* path)
{
    std::vector<std::uint8_t> bytes;
    if (!kiro::lzh::readArchiveFile(path, bytes)) {
        std::fprintf(stderr, "kiro-lzh: cannot read %s\n", path);
        return 1;
    }
    kiro::lzh::LzhListing listing = kiro::lzh::listMembers(bytes);
    std::printf("%-18s %-6s %10s %10s %10s\n", "name", "method", "packed", "size", "offset");
    for (const auto& member : listing.members) {
        std::printf("%-18s %-6s %10u %10u %10llu\n", shownName(member).c_str(), member.method.c_str(),
                    member.packedSize, member.originalSize, static_cast<unsigned long long>(member.dataOffset));
    }
    std::printf("%zu member(s)\n", listing.members.size());
    if (listing.result != kiro::lzh::LzhResult::Ok) {
        std::fprintf(stderr, "kiro-lzh: %s: %s\n", path, listing.error.c_str());
        return listing.members.empty() ? 1 : 2;
    }
    return listing.members.empty() ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        return usage();
    }
    std::string command = argv[1];
    if (command == "--help" || command == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "l" && argc == 3) {
        return list(argv[2]);
    }
    if (command == "x" && argc == 4) {
        return extract(argv[2], argv[3]);
    }
    return usage();
}
