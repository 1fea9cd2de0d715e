#include "client/app/SettingsTool.h"

#include "client/app/Settings.h"

#include <optional>
#include <ostream>
#include <utility>

namespace kiro::app {

namespace fs = std::filesystem;

namespace {

constexpr int kOk = 0;
constexpr int kWriteFailed = 1;
constexpr int kUsage = 2;

void usage(std::ostream& err)
{
    err << "usage: kiro-settings [--windir DIR] show [KEY...]\n"
           "       kiro-settings [--windir DIR] set KEY=VALUE...\n"
           "Shows or changes the client's settings in KIROL.INI in the Windows directory\n"
           "($KIRO_WINDIR unless --windir is given).\n";
}

// Values the client cannot work with, refused before anything is written.
std::string outOfRange(const SettingKey& key, const ClientSettings& probe)
{
    const std::string_view name = key.name;
    if (name == "ComPort" && (probe.ComPort < 1 || probe.ComPort > 5))
        return "ComPort must be 1 to 4 (COM1 to COM4) or 5 (the TELNET modem)";
    if (name == "BaudRate" || name == "BaudRate2") {
        const std::int32_t rate = name == "BaudRate" ? probe.BaudRate : probe.BaudRate2;
        if (rate != 9600 && rate != 19200 && rate != 38400 && rate != 57600)
            return std::string(name) + " must be 9600, 19200, 38400 or 57600";
    }
    return {};
}

int show(const std::vector<std::string>& keys, const fs::path& windowsDir, std::ostream& out, std::ostream& err)
{
    std::vector<const SettingKey*> wanted;
    for (const std::string& name : keys) {
        const SettingKey* key = findSettingKey(name);
        if (!key) {
            err << "kiro-settings: unknown key " << name << "\n";
            return kUsage;
        }
        wanted.push_back(key);
    }
    if (keys.empty())
        for (const SettingKey& key : settingKeys())
            wanted.push_back(&key);

    ClientSettings settings;
    if (std::string error = LoadSettings(settings, windowsDir); !error.empty())
        err << "kiro-settings: " << error << "\n";
    for (const SettingKey* key : wanted)
        out << key->name << "=" << settingText(settings, *key) << "\n";
    return kOk;
}

int set(const std::vector<std::string>& assignments, const fs::path& windowsDir, std::ostream& err)
{
    if (assignments.empty()) {
        usage(err);
        return kUsage;
    }
    // Check every assignment before touching the file.
    ClientSettings probe;
    std::vector<std::pair<const SettingKey*, std::string>> changes;
    for (const std::string& arg : assignments) {
        std::size_t eq = arg.find('=');
        if (eq == std::string::npos || eq == 0) {
            err << "kiro-settings: expected KEY=VALUE, got " << arg << "\n";
            return kUsage;
        }
        const SettingKey* key = findSettingKey(std::string_view(arg).substr(0, eq));
        if (!key) {
            err << "kiro-settings: unknown key " << arg.substr(0, eq) << "\n";
            return kUsage;
        }
        std::string value = arg.substr(eq + 1);
        if (std::string error = setSettingFromText(probe, *key, value); !error.empty()) {
            err << "kiro-settings: " << error << "\n";
            return kUsage;
        }
        if (std::string error = outOfRange(*key, probe); !error.empty()) {
            err << "kiro-settings: " << error << "; nothing changed\n";
            return kUsage;
        }
        changes.emplace_back(key, std::move(value));
    }

    ClientSettings settings;
    if (std::string error = LoadSettings(settings, windowsDir); !error.empty()) {
        err << "kiro-settings: " << error << "; nothing changed\n";
        return kWriteFailed;
    }
    const ClientSettings asLoaded = settings;
    for (const auto& [key, value] : changes)
        setSettingFromText(settings, *key, value);
    // Only the keys named here are written: values the client forces at
    // every start (BgmOff, ...) stay as the file has them.
    if (std::string error = SaveSettings(settings, windowsDir, &asLoaded); !error.empty()) {
        err << "kiro-settings: " << error << "\n";
        return kWriteFailed;
    }
    // Keys the client never writes back still belong to the user.
    for (const auto& [key, value] : changes) {
        if (key->writtenBack)
            continue;
        if (std::string error = writeSettingDirectly(settings, *key, windowsDir); !error.empty()) {
            err << "kiro-settings: " << error << "\n";
            return kWriteFailed;
        }
    }
    return kOk;
}

} // namespace

int runSettingsTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::optional<fs::path> windowsDir;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            usage(out);
            return kOk;
        }
        if (arg == "--windir") {
            if (i + 1 >= args.size()) {
                usage(err);
                return kUsage;
            }
            windowsDir = args[++i];
        } else if (arg.rfind("--windir=", 0) == 0) {
            windowsDir = arg.substr(9);
        } else {
            break;
        }
    }
    if (i >= args.size()) {
        usage(err);
        return kUsage;
    }
    const std::string& command = args[i];
    std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());

    fs::path dir;
    if (windowsDir) {
        std::error_code ec;
        if (command == "show" && !fs::is_directory(*windowsDir, ec)) {
            err << "kiro-settings: the Windows directory " << windowsDir->string() << " does not exist\n";
            return kWriteFailed;
        }
        fs::create_directories(*windowsDir, ec);
        dir = *windowsDir;
    } else {
        dir = winpaths::windowsDirectory();
    }
    if (command == "show")
        return show(rest, dir, out, err);
    if (command == "set")
        return set(rest, dir, err);
    err << "kiro-settings: unknown command " << command << "\n";
    usage(err);
    return kUsage;
}

} // namespace kiro::app
