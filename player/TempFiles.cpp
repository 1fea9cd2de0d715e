#include "player/TempFiles.h"

#include "player/TempKrd.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace kiro::player {

namespace {

bool equalIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

} // namespace

LoadedKrd loadKrdFile(const std::filesystem::path& path)
{
    LoadedKrd loaded;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        loaded.error = path.string() + " file not found";
        return loaded;
    }
    std::vector<std::uint8_t> buffer;
    try {
        buffer.resize(kLoadGrowth);
    } catch (const std::bad_alloc&) {
        std::fclose(file);
        loaded.error = kMsgMallocFailed;
        return loaded;
    }
    std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file);
    // Keep at least 32 spare bytes after the data, as the header check once
    // relied on; grow and read again from the start until they are there.
    while (got > buffer.size() - 32) {
        try {
            buffer.resize(buffer.size() + kLoadGrowth);
        } catch (const std::bad_alloc&) {
            std::fclose(file);
            loaded.error = kMsgReallocFailed;
            return loaded;
        }
        std::rewind(file);
        got = std::fread(buffer.data(), 1, buffer.size(), file);
    }
    std::fclose(file);
    loaded.bufferSize = buffer.size();
    buffer.resize(got);
    loaded.bytes = std::move(buffer);
    return loaded;
}

std::optional<std::filesystem::path> findFileIgnoringCase(const std::filesystem::path& folder, const std::string& name)
{
    std::error_code ec;
    if (std::filesystem::exists(folder / name, ec))
        return folder / name;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (equalIgnoringCase(it->path().filename().string(), name))
            return it->path();
    }
    return std::nullopt;
}

bool copyFileOver(const std::filesystem::path& from, const std::filesystem::path& to)
{
    std::error_code ec;
    if (from.empty() || !std::filesystem::is_regular_file(from, ec))
        return false;
    return std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, ec) && !ec;
}

TempDeletion deleteTempFiles(const std::filesystem::path& folder)
{
    TempDeletion result;
    std::vector<std::filesystem::path> victims;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError))
            continue;
        if (it->path().filename().string().starts_with(kTempPrefix))
            victims.push_back(it->path());
    }
    std::sort(victims.begin(), victims.end());
    for (const auto& victim : victims) {
        if (::unlink(victim.c_str()) == 0 || errno == ENOENT)
            continue;
        if (::chmod(victim.c_str(), S_IRUSR | S_IWUSR) != 0) {
            result.ok = false;
            result.message = "chmod error : " + victim.string();
            return result;
        }
        if (::unlink(victim.c_str()) != 0) {
            result.ok = false;
            result.message = victim.string() + " file delete error";
            return result;
        }
    }
    return result;
}

} // namespace kiro::player
