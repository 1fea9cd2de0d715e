#include "client/catalogue/PlayerCommand.h"

#include "client/app/AppFolders.h"
#include "client/app/ClientSettings.h"
#include "client/catalogue/ProductFiles.h"

#include <cstdio>

namespace kiro::catalogue {

PlayerCommand playerCommand(const kiro::app::AppFolders& folders, const kiro::app::ClientSettings& settings,
    int course, const std::string& base, std::uint32_t windowId)
{
    PlayerCommand command;
    auto files = karaokeFiles(folders.installFolder, base);
    // A product without a usable file name cannot be played: no program, so
    // the launch fails as for a missing player.
    if (files.empty())
        return command;
    command.program = folders.playerPath;
    command.arguments.push_back(files.front().string());
    int userPictures = course == 50 ? settings.UserBGVPiano : settings.UserBGV;
    if (userPictures != 0)
        command.arguments.push_back("-quser");
    char window[16];
    std::snprintf(window, sizeof window, "-H%08X", static_cast<unsigned>(windowId));
    command.arguments.push_back(window);
    return command;
}

} // namespace kiro::catalogue
