// songbox1: the playback engine. It checks that the files the command file
// names are there, plays _@temp.mid through the MIDI engine until the song
// ends, and shows the pictures and the words (each at its command's time) in
// its window, or writes the words to standard output without a display.
// Environment: SONGBOX1_NO_WAIT=1 ends after the checks; SONGBOX1_LYRICS=FILE
// appends the words to FILE as they fall due.
#include "player/TempKrd.h"
#include "tools/songbox1/PictureWindow.h"
#include "tools/songbox1/SmfLength.h"
#include "tools/songbox1/SongClock.h"
#include "tools/songbox1/SongCues.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <vector>

namespace {

std::vector<std::uint8_t> readFile(const std::filesystem::path& path, bool& ok)
{
    std::ifstream in(path, std::ios::binary);
    ok = static_cast<bool>(in);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool noWaitRequested(const std::vector<std::string>& arguments)
{
    const char* env = std::getenv("SONGBOX1_NO_WAIT");
    if (env && std::strcmp(env, "1") == 0)
        return true;
    for (const std::string& argument : arguments) {
        if (argument == "--no-wait")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::vector<std::string> positional;
    for (const std::string& argument : arguments) {
        if (argument != "--no-wait")
            positional.push_back(argument);
    }
    if (positional.empty()) {
        std::cerr << "usage: songbox1 TEMPKRD [-H<window>] [--no-wait]\n";
        return 2;
    }
    const std::filesystem::path tempKrd = positional[0];
    const std::filesystem::path folder = tempKrd.parent_path();

    bool ok = false;
    const auto commands = readFile(tempKrd, ok);
    if (!ok) {
        std::cerr << "songbox1: cannot read " << tempKrd.string() << '\n';
        return 1;
    }
    const auto pictures = kiro::player::readTempKrdPictures(commands);
    if (!pictures.end.complete())
        std::cerr << "songbox1: " << pictures.end.message() << '\n';

    int missing = 0;
    const std::filesystem::path midiPath = folder / "_@temp.mid";
    const auto midi = readFile(midiPath, ok);
    if (!ok) {
        std::cerr << "songbox1: missing " << midiPath.string() << '\n';
        ++missing;
    }
    std::set<std::string> seen;
    std::vector<std::filesystem::path> shown; // in order, every picture command once
    for (const std::string& name : pictures.tempNames) {
        const std::filesystem::path bitmap = folder / (name + ".bmp");
        shown.push_back(bitmap);
        if (!seen.insert(name).second)
            continue;
        if (!std::filesystem::exists(bitmap)) {
            std::cerr << "songbox1: missing " << bitmap.string() << '\n';
            ++missing;
        }
    }

    kiro::songbox1::SmfLength length;
    if (!midi.empty())
        length = kiro::songbox1::measureSmf(midi);
    if (!length.ok())
        std::cerr << "songbox1: " << midiPath.string() << ": " << length.error << '\n';
    std::cerr << "songbox1: " << pictures.tempNames.size() << " picture commands, " << seen.size()
              << " bitmaps, " << missing << " missing, length " << length.duration.count() / 1000 << " ms"
              << (positional.size() > 1 ? ", window " + positional[1] : std::string()) << '\n';

    if (noWaitRequested(arguments))
        return 0;
    const auto songMs = static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(length.duration).count());
    const kiro::songbox1::SongCues cues = kiro::songbox1::songCues(pictures, songMs);
    kiro::songbox1::SongClock clock(midiPath, length.duration);
    if (!clock.problem().empty())
        std::cerr << "songbox1: " << clock.problem() << '\n';
    // SONGBOX1_LYRICS=FILE also appends each line to FILE as it is shown, so
    // a caller in another process can tell that the words are on the screen.
    std::ofstream lyricsLog;
    if (const char* file = std::getenv("SONGBOX1_LYRICS"); file && *file)
        lyricsLog.open(file, std::ios::app);
    const kiro::songbox1::LyricSink printLine = [&lyricsLog](const kiro::songbox1::LyricLine& line) {
        std::cout << line.text << std::endl;
        if (lyricsLog.is_open())
            lyricsLog << line.text << std::endl;
    };
    if (kiro::songbox1::displayAvailable())
        kiro::songbox1::showSong(argc, argv, shown, cues, clock, printLine);
    else
        kiro::songbox1::followSong(cues, clock, printLine);
    return 0;
}
