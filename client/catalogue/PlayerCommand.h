#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kiro::app {
struct AppFolders;
struct ClientSettings;
}

namespace kiro::catalogue {

// How the karaoke player is started for one song: the player program of the
// install folder with the song file, the picture option and the window to
// report to, one argument each (paths may hold blanks).
struct PlayerCommand {
    std::filesystem::path program;
    std::vector<std::string> arguments;
};

// The command for base name `base` of a product of `course`: the song file
// "karaoke/<base>.KRD" (spelled as on the disk), "-quser" when UserBGV
// (UserBGVPiano for course 50) asks for the user's pictures, and "-H" with
// the window id as eight upper-case hexadecimal digits.
PlayerCommand playerCommand(const kiro::app::AppFolders& folders, const kiro::app::ClientSettings& settings,
    int course, const std::string& base, std::uint32_t windowId);

} // namespace kiro::catalogue
