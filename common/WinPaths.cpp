#include "common/WinPaths.h"

#include <cstdlib>
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

fs::path temporaryDirectory()
{
    if (auto dir = fromEnv("TMPDIR"); !dir.empty())
        return dir;
    return "/tmp";
}

} // namespace kiro::winpaths
