#include "client/app/AppFolders.h"

#include "client/app/Settings.h"
#include "common/Profile.h"

#include <ctime>
#include <mutex>
#include <optional>

namespace kiro::app {

namespace fs = std::filesystem;

namespace {

std::mutex g_foldersMutex;
std::optional<AppFolders> g_folders;

} // namespace

AppFolders AppFolders::fromInstallFolder(const std::string& folder)
{
    AppFolders f;
    f.installFolder = folder;
    if (f.installFolder.empty() || f.installFolder.back() != '/')
        f.installFolder += '/';
    f.systemFolder = f.installFolder + "sysfile/";
    f.playerPath = f.installFolder + "karaoke/" + f.playerProgramName;
    return f;
}

AppFolders AppFolders::fromCurrentDirectory()
{
    std::error_code ec;
    fs::path cwd = fs::current_path(ec);
    return fromInstallFolder(ec ? std::string(".") : cwd.string());
}

void AppFolders::recordCurrentYear()
{
    std::time_t now = std::time(nullptr);
    std::tm local {};
    if (!localtime_r(&now, &local))
        return;
    char year4[5];
    char year2[3];
    if (std::strftime(year4, sizeof year4, "%Y", &local) == 4)
        currentYear4 = year4;
    if (std::strftime(year2, sizeof year2, "%y", &local) == 2)
        currentYear2 = year2;
}

std::string AppFolders::installFolderWithoutSlash() const
{
    std::string s = installFolder;
    if (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

const AppFolders& globalFolders()
{
    std::lock_guard lock(g_foldersMutex);
    if (!g_folders)
        g_folders = AppFolders::fromCurrentDirectory();
    return *g_folders;
}

void setGlobalFolders(AppFolders folders)
{
    std::lock_guard lock(g_foldersMutex);
    g_folders = std::move(folders);
}

std::string DefaultFolder(const AppFolders& folders, int kind)
{
    switch (kind) {
    case 0:
        return folders.installFolder + "karaoke/Pict";
    case 1:
    case 3:
        return "//CDROM/KiroAvi";
    case 2:
        return folders.installFolder + "karaoke/User";
    default:
        return {};
    }
}

void FillPictureDefaults(ClientSettings& settings, const AppFolders& folders)
{
    struct Pair {
        std::int32_t ClientSettings::*use;
        std::string ClientSettings::*path;
    };
    static constexpr Pair kPairs[] = {
        {&ClientSettings::UseKiroKaraCG, &ClientSettings::PathKiroKaraCG},
        {&ClientSettings::UseKiroKaraAVI, &ClientSettings::PathKiroKaraAVI},
        {&ClientSettings::UseMyCG, &ClientSettings::PathMyCG},
        {&ClientSettings::UseMyAVI, &ClientSettings::PathMyAVI},
    };
    for (int kind = 0; kind < 4; ++kind)
        if (settings.*kPairs[kind].use == 0)
            settings.*kPairs[kind].path = DefaultFolder(folders, kind);
}

std::string WriteKiroDirectry(const AppFolders& folders, const fs::path& windowsDir)
{
    profile::ProfileFile ini(windowsDir / kSharedIni);
    if (!ini.error().empty())
        return ini.error();
    if (!ini.setString("KiroIF", "KiroDirectry", folders.installFolderWithoutSlash()) || !ini.save())
        return ini.error();
    return {};
}

} // namespace kiro::app
