#include "client/app/Settings.h"

#include "client/app/Scramble.h"
#include "common/Cp932.h"
#include "common/Profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>

namespace kiro::app {

namespace fs = std::filesystem;

namespace {

// atol as the 32-bit runtime has it: blanks, a sign, digits up to the first
// other character; an overflow gives the limit.
std::int32_t atol32(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<std::int64_t>(INT32_MAX) + 1)
            break;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

std::string unscrambledUtf8(const std::string& stored)
{
    auto bytes = cp932::tryFromUtf8(stored);
    if (!bytes)
        return stored;
    std::string plain;
    if (UnscrambleText(*bytes, plain) != 0)
        return stored;
    auto utf8 = cp932::tryToUtf8(plain);
    return utf8 ? *utf8 : stored;
}

// The text the file holds for a key, or nullopt when it has no CP932 form.
std::optional<std::string> storedText(const ClientSettings& settings, const SettingKey& key)
{
    std::string text = settingText(settings, key);
    if (key.kind != SettingKind::Scrambled)
        return text;
    auto bytes = cp932::tryFromUtf8(text);
    if (!bytes)
        return std::nullopt;
    return ScrambleText(*bytes);
}

std::string writeKey(profile::ProfileFile& ini, const ClientSettings& settings, const SettingKey& key)
{
    auto text = storedText(settings, key);
    if (!text || !ini.setString(key.section, key.name, *text))
        return std::string(key.name) + " has no code page 932 form; kept as stored";
    return {};
}

// Held around every read-modify-write of KIROL.INI, so the client and
// kiro-settings saving at the same time each merge into the other's result.
// The lock is on the Windows directory itself: the file is replaced by a
// rename at every save, so a lock on it would not be shared.
class IniLock {
public:
    explicit IniLock(const fs::path& folder) : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_fd >= 0)
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~IniLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    IniLock(const IniLock&) = delete;
    IniLock& operator=(const IniLock&) = delete;

private:
    int m_fd;
};

} // namespace

std::string LoadSettings(ClientSettings& settings, const fs::path& windowsDir)
{
    const ClientSettings defaults;
    settings = defaults;
    profile::ProfileFile ini(windowsDir / kClientIni);
    for (const SettingKey& key : settingKeys()) {
        if (!key.read)
            continue;
        switch (key.kind) {
        case SettingKind::Int: {
            auto field = std::get<std::int32_t ClientSettings::*>(key.field);
            settings.*field = ini.getInt(key.section, key.name, defaults.*field);
            break;
        }
        case SettingKind::DecimalText: {
            auto field = std::get<std::int32_t ClientSettings::*>(key.field);
            settings.*field = atol32(ini.getString(key.section, key.name, std::to_string(defaults.*field)));
            break;
        }
        case SettingKind::String: {
            auto field = std::get<std::string ClientSettings::*>(key.field);
            settings.*field = ini.getString(key.section, key.name, defaults.*field);
            break;
        }
        case SettingKind::Scrambled: {
            auto field = std::get<std::string ClientSettings::*>(key.field);
            settings.*field = unscrambledUtf8(ini.getString(key.section, key.name, defaults.*field));
            break;
        }
        }
    }
    settings.BgmOff = 1;
    settings.ManualModemTest = 0;
    settings.UserBGV = 1;
    settings.UserBGVPiano = 1;
    settings.OperatorUserId = ClientSettings::kOperatorUserId;
    return ini.error();
}

std::string SaveSettings(const ClientSettings& settings, const fs::path& windowsDir, const ClientSettings* asLoaded)
{
    IniLock lock(windowsDir);
    // Read again now: what another program wrote since our load is kept
    // for every key we did not change ourselves.
    profile::ProfileFile ini(windowsDir / kClientIni);
    if (!ini.error().empty())
        return ini.error() + "; settings not saved";
    std::string problems;
    for (const SettingKey& key : settingKeys()) {
        if (!key.writtenBack)
            continue;
        if (asLoaded && settingText(settings, key) == settingText(*asLoaded, key))
            continue;
        if (std::string error = writeKey(ini, settings, key); !error.empty())
            problems += (problems.empty() ? "" : "; ") + error;
    }
    if (!ini.save())
        return ini.error();
    return problems;
}

std::string settingText(const ClientSettings& settings, const SettingKey& key)
{
    if (auto field = std::get_if<std::int32_t ClientSettings::*>(&key.field))
        return std::to_string(settings.**field);
    return settings.*std::get<std::string ClientSettings::*>(key.field);
}

std::string setSettingFromText(ClientSettings& settings, const SettingKey& key, std::string_view text)
{
    if (auto field = std::get_if<std::int32_t ClientSettings::*>(&key.field)) {
        std::int32_t value = 0;
        const char* end = text.data() + text.size();
        auto [ptr, ec] = std::from_chars(text.data(), end, value);
        if (text.empty() || ec != std::errc() || ptr != end)
            return std::string(key.name) + " needs a whole number within 32 bits, not \"" + std::string(text) + "\"";
        settings.**field = value;
        return {};
    }
    if (text.find_first_of("\r\n") != std::string_view::npos)
        return std::string(key.name) + " cannot hold a line break";
    if (!cp932::tryFromUtf8(text))
        return std::string(key.name) + " has no code page 932 form: " + std::string(text);
    settings.*std::get<std::string ClientSettings::*>(key.field) = std::string(text);
    return {};
}

std::string writeSettingDirectly(const ClientSettings& settings, const SettingKey& key, const fs::path& windowsDir)
{
    IniLock lock(windowsDir);
    profile::ProfileFile ini(windowsDir / kClientIni);
    if (!ini.error().empty())
        return ini.error();
    if (std::string error = writeKey(ini, settings, key); !error.empty())
        return error;
    return ini.save() ? std::string() : ini.error();
}

} // namespace kiro::app
