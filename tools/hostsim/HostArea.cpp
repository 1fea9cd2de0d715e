#include "tools/hostsim/HostArea.h"

#include "tools/hostsim/HostConfig.h"
#include "tools/hostsim/KaraokeArea.h"
#include "tools/hostsim/MailArea.h"

#include <cctype>

namespace kiro::hostsim {

std::string normaliseCommand(const std::string &text)
{
    std::string out;
    bool space = false;
    for (unsigned char c : text) {
        if (c == ' ' || c == '\t') {
            space = !out.empty();
            continue;
        }
        if (space)
            out.push_back(' ');
        space = false;
        out.push_back(static_cast<char>(std::toupper(c)));
    }
    return out;
}

std::unique_ptr<HostArea> openArea(const std::string &command, const HostConfig &config, const std::string &memberId)
{
    if (command == "GO KIROKARA")
        return std::make_unique<KaraokeArea>(config);
    if (command == "GO MAIL")
        return std::make_unique<MailArea>(config, memberId);
    return nullptr;
}

bool leavesArea(const std::string &command)
{
    return command.rfind("GO ", 0) == 0 || command == "TOP" || command == "BYE" || command == "OFF";
}

} // namespace kiro::hostsim
