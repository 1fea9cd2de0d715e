#include "assets/music/DemoSong.h"

#include "assets/music/BackgroundSongs.h"
#include "common/Cp932.h"

#include <fstream>

namespace kiro::music {

namespace {

constexpr double kTempo = 100; // beats per minute
constexpr std::uint32_t kBar = 4 * kTicksPerQuarter;

// Our own words, one line every two bars after a bar of introduction.
const char* const kWords[] = {
    "よるの まちに ひかりが ともる",
    "ちいさな うたを いっしょに うたおう",
    "ほしの したで こえを あわせて",
    "あしたへ つづく みちを あるこう",
};

std::uint32_t tickToMs(std::uint32_t tick)
{
    return static_cast<std::uint32_t>(tick * 60000.0 / (kTempo * kTicksPerQuarter));
}

void command(std::vector<std::uint8_t>& out, std::uint32_t head, std::uint8_t code, const std::string& payload)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(head >> (8 * i)));
    out.push_back(code);
    out.insert(out.end(), payload.begin(), payload.end());
}

} // namespace

DemoSong composeDemoSong()
{
    const std::uint32_t lines = std::size(kWords);
    // Pick-up beat, one bar of introduction, two bars a line, one bar to close.
    const std::uint32_t end = kTicksPerQuarter + kBar * (1 + 2 * lines + 1);
    const SongPlan plan {"KIRODEMO.MID", false, end, kTempo, 67, 0, 48, 1996};
    DemoSong song;
    song.midi = composeSong(plan);

    // Header: the magic, four bytes, version 0 * 100 + 90, then reserved bytes.
    song.krd = {'8', 'J', 'S', 'Y', 0, 0, 0, 0, 0, 90};
    song.krd.resize(54, 0);
    for (std::uint32_t line = 0; line < lines; ++line) {
        const std::uint32_t tick = kTicksPerQuarter + kBar * (1 + 2 * line);
        command(song.krd, tickToMs(tick), 15, kiro::cp932::fromUtf8(kWords[line]) + '\0');
    }
    command(song.krd, tickToMs(end), 255, std::string(4, '\0'));
    return song;
}

bool writeDemoSong(const std::filesystem::path& folder, const std::string& base)
{
    const DemoSong song = composeDemoSong();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    bool ok = true;
    for (const auto& [name, bytes] : {std::pair {base + ".MID", &song.midi}, std::pair {base + ".KRD", &song.krd}}) {
        std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
        ok = ok && static_cast<bool>(out);
    }
    return ok;
}

} // namespace kiro::music
