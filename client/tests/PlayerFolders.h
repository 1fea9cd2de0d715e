#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace kiro::clienttest {

// An install folder made ready for the real player: songbox and songbox1 in
// karaoke/, and the Windows directory and temporary folder pointed inside
// the install folder for the fixture's life (the player's temporary files
// stay there too); both variables are restored afterwards.
class PlayerFolders {
public:
    explicit PlayerFolders(const std::filesystem::path& install)
        : m_windows(install / "windows")
    {
        namespace fs = std::filesystem;
        for (const char* folder : {"karaoke/Pict", "tmp", "windows"})
            fs::create_directories(install / folder);
        for (const char* program : {"songbox", "songbox1"})
            fs::copy_file(fs::path(KIRO_BIN_DIR) / program, install / "karaoke" / program);
        if (const char* previous = std::getenv("TMPDIR"))
            m_previousTmpdir = previous;
        ::setenv("TMPDIR", (install / "tmp").c_str(), 1);
        ::setenv("KIRO_WINDIR", m_windows.c_str(), 1);
    }
    ~PlayerFolders()
    {
        ::unsetenv("KIRO_WINDIR");
        if (m_previousTmpdir.empty())
            ::unsetenv("TMPDIR");
        else
            ::setenv("TMPDIR", m_previousTmpdir.c_str(), 1);
    }
    PlayerFolders(const PlayerFolders&) = delete;
    PlayerFolders& operator=(const PlayerFolders&) = delete;

    const std::filesystem::path& windows() const { return m_windows; }

private:
    std::filesystem::path m_windows;
    std::string m_previousTmpdir;
};

} // namespace kiro::clienttest
