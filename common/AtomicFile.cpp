#include "common/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace kiro {

namespace fs = std::filesystem;

namespace {

std::string failure(const char* what, const fs::path& file)
{
    return std::string(what) + " " + file.string() + ": " + std::strerror(errno);
}

} // namespace

std::string writeFileAtomically(const fs::path& file, std::string_view bytes, int mode)
{
    fs::path dir = file.parent_path();
    std::string pattern = (dir.empty() ? fs::path(".") : dir).string() + "/." + file.filename().string() + ".XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return failure("cannot create a temporary file for", file);

    // Keep the permissions of the file being replaced (mkstemp makes 0600).
    struct stat st {};
    if (mode >= 0)
        ::fchmod(fd, static_cast<mode_t>(mode & 07777));
    else
        ::fchmod(fd, ::stat(file.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);

    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            std::string message = failure("cannot write", file);
            ::close(fd);
            ::unlink(pattern.c_str());
            return message;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        std::string message = failure("cannot flush", file);
        ::unlink(pattern.c_str());
        return message;
    }
    if (::rename(pattern.c_str(), file.c_str()) != 0) {
        std::string message = failure("cannot replace", file);
        ::unlink(pattern.c_str());
        return message;
    }
    return {};
}

bool readWholeFile(const fs::path& file, std::string& bytes)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad())
        return false;
    bytes = std::move(buffer).str();
    return true;
}

} // namespace kiro
