#include "player/TempFiles.h"

#include "player/TempKrd.h"

#include "common/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <new>
#include <fcntl.h>
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
    // A device or a pipe would be read forever.
    struct stat info {};
    if (::fstat(::fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fclose(file);
        loaded.error = path.string() + " is not a regular file";
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
    // relied on. The buffer doubles, and only the new part is read, so a
    // large file costs one pass.
    while (got > buffer.size() - 32) {
        try {
            buffer.resize(buffer.size() * 2);
        } catch (const std::bad_alloc&) {
            std::fclose(file);
            loaded.error = kMsgReallocFailed;
            return loaded;
        }
        got += std::fread(buffer.data() + got, 1, buffer.size() - got, file);
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

bool writeFileFresh(const std::filesystem::path& to, std::span<const std::uint8_t> bytes)
{
    // Whatever stands under the name (a link planted to redirect the write
    // included) is removed, and the file is created anew: never followed,
    // never shared with an entry someone else made.
    if (::unlink(to.c_str()) != 0 && errno != ENOENT)
        return false;
    const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    const bool ok = ::close(fd) == 0 && done == bytes.size();
    if (!ok)
        ::unlink(to.c_str());
    return ok;
}

bool copyFileOver(const std::filesystem::path& from, const std::filesystem::path& to)
{
    std::error_code ec;
    if (from.empty() || !std::filesystem::is_regular_file(from, ec))
        return false;
    std::string bytes;
    if (!kiro::readWholeFile(from, bytes))
        return false;
    return writeFileFresh(to, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
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
