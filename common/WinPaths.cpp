#include "common/WinPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

namespace kiro::winpaths {

namespace fs = std::filesystem;

namespace {

fs::path fromEnv(const char* name)
{
    const char* value = std::getenv(name);
    if (value && *value)
        return fs::path(value);
    return {};
}

fs::path ensured(fs::path dir)
{
    std::error_code ec;
    fs::create_directories(dir, ec); // an unusable folder shows up at first use
    return dir;
}

} // namespace

fs::path windowsDirectory()
{
    if (auto dir = fromEnv("KIRO_WINDIR"); !dir.empty())
        return ensured(dir);
    fs::path config = fromEnv("XDG_CONFIG_HOME");
    if (config.empty()) {
        fs::path home = fromEnv("HOME");
        config = home.empty() ? fs::path("/tmp") : home / ".config";
    }
    return ensured(config / "kiro" / "windows");
}

fs::path systemDirectory()
{
    return ensured(windowsDirectory() / "system");
}

// A folder only this user can enter: made with mode 0700, or found as a
// real folder (not a link) owned by this user, whose mode is then narrowed.
// A name someone else holds in a shared folder is passed over for the next
// one ("name.1", ...), so nobody can make us write into their folder.
fs::path privateFolder(const fs::path& base, const std::string& name)
{
    for (int n = 0; n < 100; ++n) {
        fs::path candidate = base / (n == 0 ? name : name + "." + std::to_string(n));
        if (::mkdir(candidate.c_str(), 0700) == 0)
            return candidate;
        if (errno != EEXIST)
            return candidate; // the base is unusable: that shows up at first use
        struct stat info {};
        if (::lstat(candidate.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid()) {
            if ((info.st_mode & 077) != 0)
                ::chmod(candidate.c_str(), 0700);
            return candidate;
        }
    }
    return base / name;
}

fs::path temporaryDirectory()
{
    const std::string user = "kiro-" + std::to_string(::getuid());
    if (auto dir = fromEnv("TMPDIR"); !dir.empty())
        return privateFolder(dir, user);
    if (auto dir = fromEnv("XDG_RUNTIME_DIR"); !dir.empty())
        return privateFolder(dir, "kiro");
    return privateFolder("/tmp", user);
}

} // namespace kiro::winpaths
