// kiro-bgm FOLDER: writes the client's eleven background songs into FOLDER.
#include "assets/music/BackgroundSongs.h"

#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: kiro-bgm FOLDER\n";
        return 2;
    }
    const auto failed = kiro::music::writeBackgroundSongs(argv[1]);
    for (const std::string& name : failed)
        std::cerr << "kiro-bgm: cannot write " << name << " in " << argv[1] << '\n';
    return failed.empty() ? 0 : 1;
}
