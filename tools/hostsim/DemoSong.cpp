#include "tools/hostsim/DemoSong.h"

#include "common/Cp932.h"

#include <array>

namespace kiro::hostsim {

namespace {

void append(std::vector<std::uint8_t> &out, const std::string &bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

void command(std::vector<std::uint8_t> &out, std::uint8_t code)
{
    out.insert(out.end(), {0, 0, 0, 0, code});
}

void variableLength(std::vector<std::uint8_t> &out, std::uint32_t value)
{
    std::uint8_t bytes[4];
    int n = 0;
    do {
        bytes[n++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0 && n < 4);
    while (n-- > 0)
        out.push_back(static_cast<std::uint8_t>(bytes[n] | (n > 0 ? 0x80 : 0)));
}

void big32(std::vector<std::uint8_t> &out, std::uint32_t v)
{
    out.insert(out.end(), {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                           static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
}

} // namespace

std::vector<std::uint8_t> makeDemoKrd(const std::string &title, const std::string &words)
{
    std::vector<std::uint8_t> out(54, 0);
    out[0] = '8';
    out[1] = 'J';
    out[2] = 'S';
    out[3] = 'Y';
    out[8] = 0;
    out[9] = 90;
    command(out, 15);
    append(out, cp932::fromUtf8(title));
    out.push_back(0);
    // One picture: the player shows one of the user's own bitmaps for it
    // (-quser), or else the named archive of its Pict folder.
    command(out, 7);
    out.push_back(0);
    append(out, kDemoPictureArchive);
    out.push_back(0);
    command(out, 2);
    out.insert(out.end(), 7, 0);
    append(out, cp932::fromUtf8(words));
    out.push_back(0);
    command(out, 255);
    out.insert(out.end(), 4, 0);
    return out;
}

std::vector<std::uint8_t> makeDemoMidi(std::uint32_t seed)
{
    static constexpr std::array<int, 8> kScale = {60, 62, 64, 65, 67, 69, 71, 72};
    std::vector<std::uint8_t> track;
    // Tempo 500,000 us a quarter note (120 bpm); a voice from the piano to the organs.
    track.insert(track.end(), {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
    track.insert(track.end(), {0x00, 0xC0, static_cast<std::uint8_t>(seed % 24)});
    std::uint32_t state = seed * 2654435761u + 1;
    for (int i = 0; i < 16; ++i) {
        state = state * 1103515245u + 12345u;
        const auto note = static_cast<std::uint8_t>(kScale[(state >> 16) % kScale.size()]);
        track.insert(track.end(), {0x00, 0x90, note, 0x60});
        variableLength(track, 240);
        track.insert(track.end(), {0x80, note, 0x40});
    }
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});

    std::vector<std::uint8_t> out;
    append(out, "MThd");
    big32(out, 6);
    out.insert(out.end(), {0x00, 0x00, 0x00, 0x01, 0x01, 0xE0}); // format 0, one track, 480 ticks a quarter
    append(out, "MTrk");
    big32(out, static_cast<std::uint32_t>(track.size()));
    out.insert(out.end(), track.begin(), track.end());
    return out;
}

} // namespace kiro::hostsim
