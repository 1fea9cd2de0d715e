// Feeds arbitrary bytes through the extractor as a file on disk: header
// search, listing, every decoder and the file writing. Aborts when anything
// appears outside the destination folder or is not a plain file.
#include "archive/LzhArchive.h"
#include "archive/LzhExtract.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// Members may claim up to 4 GB of output; keep each run small so the fuzzer
// explores instead of writing.
constexpr std::uint64_t kMaxOutput = 256u << 10;

const fs::path& sandbox()
{
    static const fs::path path = [] {
        fs::path p = fs::temp_directory_path() / ("kiro-fuzz-lzh-" + std::to_string(::getpid()));
        fs::remove_all(p);
        fs::create_directories(p / "out");
        return p;
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kiro::lzh::LzhListing listing = kiro::lzh::listMembers({data, size});
    std::uint64_t total = 0;
    for (const auto& member : listing.members) {
        total += member.originalSize;
    }
    if (total > kMaxOutput) {
        return 0;
    }
    const fs::path archive = sandbox() / "input.lzh";
    const fs::path out = sandbox() / "out";
    {
        std::ofstream file(archive, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    int result = kiro::LzhExtractAll(archive, out);
    if (result < 0 || result > 2) {
        std::abort();
    }
    for (const auto& entry : fs::directory_iterator(sandbox())) {
        if (entry.path() != archive && entry.path() != out) {
            std::fprintf(stderr, "written outside the destination: %s\n", entry.path().c_str());
            std::abort();
        }
    }
    for (const auto& entry : fs::directory_iterator(out)) {
        if (!entry.is_regular_file() || entry.is_symlink()) {
            std::fprintf(stderr, "not a plain file: %s\n", entry.path().c_str());
            std::abort();
        }
        fs::remove(entry.path());
    }
    return 0;
}
