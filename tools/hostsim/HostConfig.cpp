#include "tools/hostsim/HostConfig.h"

#include "tools/hostsim/ForumService.h"
#include "client/db/CatalogueDb.h"
#include "tools/hostsim/KaraokeCatalogue.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>

namespace kiro::hostsim {

namespace {

std::string trim(const std::string &s)
{
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

std::string upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

std::optional<std::string> parseSeconds(const std::string &text, std::chrono::milliseconds &out)
{
    try {
        std::size_t used = 0;
        const double seconds = std::stod(text, &used);
        if (used != text.size() || !std::isfinite(seconds) || seconds < 0 || seconds > 86400.0 * 365)
            throw std::invalid_argument(text);
        out = std::chrono::milliseconds(static_cast<long long>(std::llround(seconds * 1000)));
        return std::nullopt;
    } catch (const std::exception &) {
        return "not a number of seconds: " + text;
    }
}

std::optional<std::string> parseInt(const std::string &text, int low, int high, int &out)
{
    int value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || value < low || value > high)
        return "not a number from " + std::to_string(low) + " to " + std::to_string(high) + ": " + text;
    out = value;
    return std::nullopt;
}

std::optional<std::string> apply(const std::string &key, const std::string &value, HostConfig &config)
{
    if (key == "port")
        return parseInt(value, 0, 65535, config.port);
    if (key == "road") {
        int road = 0;
        if (auto error = parseInt(value, 5, 7, road))
            return error;
        if (road != 5 && road != 7)
            return "road must be 5 or 7: " + value;
        config.road = road;
        return std::nullopt;
    }
    if (key == "member") {
        const auto colon = value.find(':');
        const std::string id = colon == std::string::npos ? std::string() : trim(value.substr(0, colon));
        if (id.empty())
            return "member must be ID:PASSWORD: " + value;
        config.members[upper(id)] = trim(value.substr(colon + 1));
        return std::nullopt;
    }
    if (key == "logged-in") {
        if (value.empty())
            return std::string("logged-in needs a user ID");
        config.loggedIn.insert(upper(value));
        return std::nullopt;
    }
    if (key == "idle-warn")
        return parseSeconds(value, config.idleWarn);
    if (key == "idle-drop")
        return parseSeconds(value, config.idleDrop);
    if (key == "content") {
        config.contentDir = value;
        return std::nullopt;
    }
    if (key == "catalogue") {
        config.cataloguePath = value;
        return std::nullopt;
    }
    if (key == "db-password") {
        config.dbPassword = value;
        return std::nullopt;
    }
    if (key == "karaoke-refuse") {
        if (value != "card" && value != "registering" && value != "none")
            return "karaoke-refuse must be card, registering or none: " + value;
        config.karaokeRefuse = value == "none" ? std::string() : value;
        return std::nullopt;
    }
    if (key == "unapproved") {
        if (value.empty())
            return std::string("unapproved needs a user ID");
        config.unapproved.insert(upper(value));
        return std::nullopt;
    }
    bool known = false;
    if (auto error = applyTransferSetting(key, value, config.transfer, known); known)
        return error;
    if (auto error = applyForumSetting(key, value, config.forumDir, known); known)
        return error;
    return "unknown setting: " + key;
}

} // namespace

std::optional<std::string> loadConfigFile(const std::string &path, HostConfig &config)
{
    std::ifstream in(path);
    if (!in)
        return "cannot read the configuration file " + path;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        line = trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            return path + ":" + std::to_string(number) + ": expected key = value";
        if (auto error = apply(trim(line.substr(0, eq)), trim(line.substr(eq + 1)), config))
            return path + ":" + std::to_string(number) + ": " + *error;
    }
    return std::nullopt;
}

std::optional<std::string> parseArguments(const std::vector<std::string> &args, HostConfig &config)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg.rfind("--", 0) != 0)
            return "unexpected argument: " + arg;
        std::string key = arg.substr(2);
        std::string value;
        if (const auto eq = key.find('='); eq != std::string::npos) {
            value = key.substr(eq + 1);
            key = key.substr(0, eq);
        } else {
            if (i + 1 >= args.size())
                return "option " + arg + " needs a value";
            value = args[++i];
        }
        if (key == "config") {
            if (auto error = loadConfigFile(value, config))
                return error;
            continue;
        }
        if (auto error = apply(key, value, config))
            return error;
    }
    return std::nullopt;
}

std::optional<std::string> loadKaraoke(HostConfig &config)
{
    if (config.cataloguePath.empty())
        return std::nullopt;
    std::string error;
    auto catalogue = KaraokeCatalogue::load(
        config.cataloguePath, config.dbPassword.empty() ? std::string(db::CatalogueDb::kPassword) : config.dbPassword,
        error);
    if (!catalogue)
        return error;
    config.karaoke = std::make_shared<const KaraokeCatalogue>(std::move(*catalogue));
    return std::nullopt;
}

std::string usage()
{
    return "usage: kiro-hostsim [--port N] [--road 5|7] [--member ID:PASSWORD]...\n"
           "                    [--logged-in ID]... [--idle-warn SECONDS] [--idle-drop SECONDS]\n"
           "                    [--content DIR] [--forum DIR] [--config FILE]\n"
           "                    [--catalogue KIRODB.MDB] [--db-password PW] [--karaoke-refuse card|registering]\n"
           "                    [--unapproved ID]...\n" +
           transferUsage();
}

} // namespace kiro::hostsim
