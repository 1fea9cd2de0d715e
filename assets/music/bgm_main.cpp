// kiro-bgm FOLDER: writes the client's eleven background songs and the demo
// karaoke song (KIRODEMO.MID, KIRODEMO.KRD) into FOLDER.
#include "assets/music/BackgroundSongs.h"
#include "assets/music/DemoSong.h"

#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: kiro-bgm FOLDER\n";
        return 2;
    }
    auto failed = kiro::music::writeBackgroundSongs(argv[1]);
    if (!kiro::music::writeDemoSong(argv[1]))
        failed.push_back("KIRODEMO.MID/KRD");
    for (const std::string& name : failed)
        std::cerr << "kiro-bgm: cannot write " << name << " in " << argv[1] << '\n';
    return failed.empty() ? 0 : 1;
}
