#include "assets/music/BackgroundSongs.h"
#include "common/Registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

TEST(LoaderFromC, AProgramThatOnlyKnowsTheHeaderPlaysASong)
{
    if (!std::filesystem::exists("/usr/share/sounds/sf2/default-GM.sf2"))
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    const auto folder = std::filesystem::path(testing::TempDir()) / "kiro-loader-c";
    std::filesystem::create_directories(folder);
    kiro::Registry registry(folder / "registry.reg");
    ASSERT_TRUE(registry.writeString("SOFTWARE\\Orvel\\ＫＩＲＯ\\smfplayer", "engine", "orvelmp.dll"));
    ASSERT_TRUE(registry.writeDword("SOFTWARE\\Orvel\\ＫＩＲＯ\\smfplayer", "interface", 0));
    const auto song = kiro::music::composeSong(kiro::music::backgroundSongPlans()[0]);
    std::ofstream(folder / "F1004216.mid", std::ios::binary).write(reinterpret_cast<const char*>(song.data()), static_cast<std::streamsize>(song.size()));

    const std::string command = "SDL_AUDIODRIVER=dummy KIRO_WINDIR='" + folder.string() + "' '" KIRO_BIN_DIR "/loader_from_c' '"
        KIRO_LIB_DIR "/liborvelmpl.so' '" + (folder / "F1004216.mid").string() + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::filesystem::remove_all(folder);
}
