#pragma once

#include "client/app/ClientSettings.h"
#include "common/WinPaths.h"

#include <filesystem>
#include <string>

namespace kiro::app {

// The folder and program names every feature derives its file names from,
// filled at start. Windows' "\" separators are "/" here; folder and file
// names keep their letter case.
struct AppFolders {
    static constexpr const char* kPlayerProgramName = "songbox"; // SONGBOX.EXE of the original

    std::string installFolder;                      // current directory + "/"
    std::string systemFolder;                       // install folder + "sysfile/"
    std::string playerProgramName = kPlayerProgramName;
    std::string playerPath;                         // install folder + "karaoke/songbox"
    std::string currentYear4 = "1996";              // strftime "%Y" of the local time
    std::string currentYear2 = "96";                // strftime "%y"

    // From a folder (with or without a trailing "/").
    static AppFolders fromInstallFolder(const std::string& folder);
    // From the current directory, as at start.
    static AppFolders fromCurrentDirectory();

    // Records the year strings from the local time.
    void recordCurrentYear();

    // The install folder without its trailing "/", as KIRO.INI holds it.
    std::string installFolderWithoutSlash() const;
};

// The folders filled at start, for code that has no AppFolders at hand;
// until setGlobalFolders is called they come from the current directory.
const AppFolders& globalFolders();
void setGlobalFolders(AppFolders folders);

// The default folder of a picture or video setting: 0 the program's own
// pictures (karaoke/Pict), 1 and 3 the videos on the CD-ROM ("//CDROM/KiroAvi"),
// 2 the user's pictures (karaoke/User); "" for any other kind.
std::string DefaultFolder(const AppFolders& folders, int kind);

// For each of the four pictures/videos pairs whose use flag is 0, sets the
// path to DefaultFolder of its kind.
void FillPictureDefaults(ClientSettings& settings, const AppFolders& folders);

// Writes KiroDirectry (section KiroIF of KIRO.INI) for the player program.
// Returns "" or a message.
std::string WriteKiroDirectry(const AppFolders& folders,
                              const std::filesystem::path& windowsDir = winpaths::windowsDirectory());

} // namespace kiro::app
