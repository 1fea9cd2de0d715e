// songbox1 as songbox starts it: plays the song to its end and writes the
// words at their times (no display here, so they go to standard output).
#include "assets/music/SmfWriter.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;

void command(Bytes& out, std::uint32_t head, std::uint8_t code, const Bytes& payload)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(head >> (8 * i)));
    out.push_back(code);
    out.insert(out.end(), payload.begin(), payload.end());
}

Bytes text(const std::string& words, std::size_t skip = 0)
{
    Bytes payload(skip, 0x20);
    payload.insert(payload.end(), words.begin(), words.end());
    payload.push_back(0);
    return payload;
}

void save(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

TEST(Songbox1Program, SingsTheSongToItsEndWithTheWordsInTimeOrder)
{
    const auto folder = std::filesystem::path(testing::TempDir()) / "kiro-songbox1-sing";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    // A second and a half of music at 120 beats a minute.
    kiro::music::SmfWriter smf(96);
    const int track = smf.addTrack();
    smf.tempo(track, 0, 120);
    for (int beat = 0; beat < 3; ++beat)
        smf.note(track, static_cast<std::uint32_t>(beat * 96), 90, 0, 60 + beat * 2, 90);
    save(folder / "_@temp.mid", smf.bytes());

    Bytes krd;
    command(krd, 700, 15, text("\x82\xc6\x82\xa8\x82\xad")); // "とおく" in code page 932, at 0.7 s
    command(krd, 100, 2, text("first line", 7));
    command(krd, 60000, 15, text("after the end"));
    command(krd, 0, 255, {0, 0, 0, 0});
    save(folder / "_@tempkrd", krd);

    const std::string commandLine = "env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy KIRO_WINDIR='" + folder.string()
        + "' '" KIRO_BIN_DIR "/songbox1' '" + (folder / "_@tempkrd").string() + "' -H00001234 2>/dev/null";
    const auto started = std::chrono::steady_clock::now();
    FILE* pipe = popen(commandLine.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    std::array<char, 256> chunk;
    while (std::fgets(chunk.data(), chunk.size(), pipe))
        output += chunk.data();
    const int status = pclose(pipe);
    const auto took = std::chrono::steady_clock::now() - started;

    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(output, "first line\n\xe3\x81\xa8\xe3\x81\x8a\xe3\x81\x8f\n");
    EXPECT_GE(took, std::chrono::milliseconds(1200)) << "ended before the song was over";
    EXPECT_LT(took, std::chrono::seconds(10));
    std::filesystem::remove_all(folder);
}
