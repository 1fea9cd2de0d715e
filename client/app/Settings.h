#pragma once

#include "client/app/ClientSettings.h"
#include "client/app/SettingsKeys.h"
#include "common/WinPaths.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace kiro::app {

// The client's own settings file and the file it shares with the player,
// both in the Windows directory.
inline constexpr const char* kClientIni = "KIROL.INI";
inline constexpr const char* kSharedIni = "KIRO.INI";

// Fills the record from KIROL.INI: every read key in table order (a missing
// file or key gives the default), the three scrambled keys unscrambled, then
// BgmOff = 1, ManualModemTest = 0, UserBGV = 1 and UserBGVPiano = 1;
// ReDialTimes (3) and MailX (0) are never read. Returns "" or a message when
// the file exists but could not be read (the defaults are then in place).
std::string LoadSettings(ClientSettings& settings,
                         const std::filesystem::path& windowsDir = winpaths::windowsDirectory());

// Writes every key whose written-back flag is set, the scrambled keys
// scrambled again, in one atomic rewrite of KIROL.INI that keeps every other
// section and key. With `asLoaded` (the settings as they were read), only
// the keys whose value differs from it are written: the file is read again
// under a lock, so what another program wrote since is kept. Returns "" or a
// message; a value without a code page 932 form is left as the file had it
// and named in the message.
std::string SaveSettings(const ClientSettings& settings,
                         const std::filesystem::path& windowsDir = winpaths::windowsDirectory(),
                         const ClientSettings* asLoaded = nullptr);

// The value of one key as text (scrambled keys in plain text).
std::string settingText(const ClientSettings& settings, const SettingKey& key);

// Sets one field from text: integers must be whole decimal numbers within 32
// bits. Returns "" or a message (the field is then unchanged).
std::string setSettingFromText(ClientSettings& settings, const SettingKey& key, std::string_view text);

// Writes one key straight to KIROL.INI in its stored form, for keys that
// SaveSettings does not write back. Returns "" or a message.
std::string writeSettingDirectly(const ClientSettings& settings, const SettingKey& key,
                                 const std::filesystem::path& windowsDir = winpaths::windowsDirectory());

} // namespace kiro::app
