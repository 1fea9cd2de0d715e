// Decode speed of -lh5-: a 32 MiB input, half text-like and half binary, is
// packed once with jlha; then, several times each in the same run, our
// LzhExtractAll and `lhasa x` extract it into an empty folder. Reports the
// median MB/s of output and our ratio to lhasa (goal: >= 1.0).
#include "archive/LzhArchive.h"
#include "archive/LzhExtract.h"
#include "archive/LzhMethods.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::size_t kInputSize = 32u << 20;
constexpr int kRepetitions = 5;

std::vector<std::uint8_t> mixedInput()
{
    std::mt19937 random(1995);
    std::vector<std::uint8_t> out;
    out.reserve(kInputSize);
    static const char* words[] = {"karaoke", "song",  "lyrics", "MIDI", "track", "tempo",  "verse", "chorus",
                                  "ending",  "intro", "singer", "key",  "part",  "melody", "title", "NIFTY"};
    // Text-like half: lines of words and numbers.
    while (out.size() < kInputSize / 2) {
        std::string line;
        int count = 3 + static_cast<int>(random() % 9);
        for (int i = 0; i < count; ++i) {
            line += words[random() % 16];
            line += (random() % 5 == 0) ? " " + std::to_string(random() % 10000) + " " : " ";
        }
        line += "\r\n";
        out.insert(out.end(), line.begin(), line.end());
    }
    // Binary half: MIDI-like events (delta, status, two data bytes) with
    // repeated phrases and some noise.
    while (out.size() < kInputSize) {
        if (random() % 3 == 0 && out.size() > kInputSize / 2 + 4096) {
            std::size_t back = 16 + random() % 4000;
            std::size_t length = 8 + random() % 120;
            for (std::size_t i = 0; i < length; ++i) {
                out.push_back(out[out.size() - back]);
            }
        } else {
            out.push_back(static_cast<std::uint8_t>(random() % 32));
            out.push_back(static_cast<std::uint8_t>(0x90 | (random() % 4)));
            out.push_back(static_cast<std::uint8_t>(36 + random() % 48));
            out.push_back(static_cast<std::uint8_t>(random() % 128));
        }
    }
    out.resize(kInputSize);
    return out;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double megabytesPerSecond(double seconds)
{
    return static_cast<double>(kInputSize) / 1e6 / seconds;
}

bool sameFile(const fs::path& a, const std::vector<std::uint8_t>& expected)
{
    std::ifstream in(a, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return bytes == expected;
}

} // namespace

int main()
{
    if (std::system("command -v jlha >/dev/null && command -v lhasa >/dev/null") != 0) {
        std::puts("bench-lzh: needs jlha and lhasa (Debian jlha-utils, lhasa)");
        return 1;
    }
    const fs::path work = fs::temp_directory_path() / ("kiro-bench-lzh-" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work);
    const std::vector<std::uint8_t> input = mixedInput();
    {
        std::ofstream out(work / "mixed.bin", std::ios::binary);
        out.write(reinterpret_cast<const char*>(input.data()), static_cast<std::streamsize>(input.size()));
    }
    std::string pack = "cd '" + work.string() + "' && jlha c0q mixed.lzh mixed.bin >/dev/null 2>&1";
    if (std::system(pack.c_str()) != 0) {
        std::puts("bench-lzh: jlha failed");
        return 1;
    }
    const fs::path archive = work / "mixed.lzh";
    std::vector<std::uint8_t> archiveBytes;
    kiro::lzh::readArchiveFile(archive, archiveBytes);
    auto listing = kiro::lzh::listMembers(archiveBytes);
    if (listing.members.size() != 1 || listing.members[0].method != "-lh5-") {
        std::puts("bench-lzh: jlha did not make one -lh5- member");
        return 1;
    }
    std::printf("input %zu bytes, archive %ju bytes (-lh5-), %d repetitions each\n", input.size(),
                static_cast<std::uintmax_t>(fs::file_size(archive)), kRepetitions);

    std::vector<double> ours, lhasa, decodeOnly;
    bool correct = true;
    std::vector<std::uint8_t> sink(4096);
    for (int i = 0; i < kRepetitions; ++i) {
        // Ours: whole path, reading the archive and writing the file.
        const fs::path outOurs = work / "ours";
        fs::remove_all(outOurs);
        fs::create_directories(outOurs);
        auto start = Clock::now();
        int result = kiro::LzhExtractAll(archive, outOurs);
        ours.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        correct = correct && result == 0 && sameFile(outOurs / "MIXED.BIN", input);

        // lhasa, the same work.
        const fs::path outLhasa = work / "lhasa";
        fs::remove_all(outLhasa);
        fs::create_directories(outLhasa);
        std::string command = "cd '" + outLhasa.string() + "' && lhasa xq '" + archive.string() + "' >/dev/null 2>&1";
        start = Clock::now();
        int lhasaResult = std::system(command.c_str());
        lhasa.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        correct = correct && lhasaResult == 0 && sameFile(outLhasa / "mixed.bin", input);

        // Decoder alone, in memory, for where the time goes.
        const auto& member = listing.members[0];
        auto decoder = kiro::lzh::makeDecoder(*kiro::lzh::findMethod("-lh5-"),
                                              std::span<const std::uint8_t>(archiveBytes).subspan(member.dataOffset));
        start = Clock::now();
        for (std::size_t done = 0; done < member.originalSize; done += sink.size()) {
            decoder->read(sink.data(), std::min<std::size_t>(sink.size(), member.originalSize - done));
        }
        decodeOnly.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    fs::remove_all(work);

    double oursRate = megabytesPerSecond(median(ours));
    double lhasaRate = megabytesPerSecond(median(lhasa));
    std::printf("kiro LzhExtractAll : %8.1f MB/s (median)\n", oursRate);
    std::printf("lhasa x            : %8.1f MB/s (median)\n", lhasaRate);
    std::printf("kiro decoder only  : %8.1f MB/s (median, in memory)\n", megabytesPerSecond(median(decodeOnly)));
    std::printf("ratio kiro/lhasa   : %8.2f (goal >= 1.0)\n", oursRate / lhasaRate);
    std::printf("output check       : %s\n", correct ? "identical to the input" : "MISMATCH");
    return correct ? 0 : 1;
}
