// B Plus over the in-memory line: how fast, how much of the line is file
// data, how a paced line is used, and how much noise a transfer survives.
// Baseline: the same line carrying the file's raw bytes, read byte by byte.
#include "client/online/BPlusHost.h"
#include "client/online/BPlusMemoryPipe.h"
#include "client/online/BPlusTransfer.h"
#include "TelnetLoopback.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

using namespace kiro::online;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Run {
    bool ok = false;
    double seconds = 0;     // real time
    double virtualSeconds = 0;
    double efficiency = 0;  // file bytes / bytes on the line (both ways)
    std::int64_t errors = 0;
};

fs::path g_dir;

void makeFile(const fs::path& path, std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string data(size, '\0');
    for (char& c : data)
        c = static_cast<char>(rng() & 0xFF);
    std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
}

bool sameFile(const fs::path& a, const fs::path& b)
{
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(x), {}) == std::string(std::istreambuf_iterator<char>(y), {});
}

BPlusHostOptions hostOptions(int window, int check, int blockUnits)
{
    BPlusHostOptions o;
    o.parameters.windowSend = o.parameters.windowReceive = static_cast<std::uint8_t>(window);
    o.parameters.checkMethod = static_cast<std::uint8_t>(check);
    o.parameters.blockSize = static_cast<std::uint8_t>(blockUnits);
    o.parameters.downloadResume = 0;
    return o;
}

Run download(std::size_t size, const BPlusHostOptions& options, LineFaults toClient, LineFaults toHost)
{
    const fs::path source = g_dir / "host.bin";
    const fs::path target = g_dir / "client" / "host.bin";
    fs::create_directories(g_dir / "client");
    fs::remove(target);
    makeFile(source, size, 1);
    BPlusMemoryPipe pipe(toClient, toHost);
    BPlusHostResult hostResult;
    const auto start = Clock::now();
    std::thread host([&] {
        hostResult = BPlusHost(pipe.end(BPlusMemoryPipe::Host), options).sendFile(source, "host.bin");
        pipe.finish(BPlusMemoryPipe::Host);
    });
    BPlusTransfer transfer(pipe.end(BPlusMemoryPipe::Client), nullptr);
    const BPlusOutcome outcome = transfer.run((g_dir / "client").string());
    pipe.finish(BPlusMemoryPipe::Client);
    host.join();
    Run r;
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.virtualSeconds = static_cast<double>(outcome.elapsedMs) / 1000.0;
    r.ok = outcome.success && hostResult.success && sameFile(source, target);
    const auto line = pipe.bytesWritten(BPlusMemoryPipe::Client) + pipe.bytesWritten(BPlusMemoryPipe::Host);
    r.efficiency = line > 0 ? static_cast<double>(size) / static_cast<double>(line) : 0;
    r.errors = outcome.counters.receiveErrors + outcome.counters.sendErrors;
    return r;
}

// The line alone: raw bytes written in 1 KiB pieces, read one at a time.
double baselineSeconds(std::size_t size)
{
    BPlusMemoryPipe pipe;
    std::vector<std::uint8_t> block(1024, 0x55);
    const auto start = Clock::now();
    std::thread writer([&] {
        for (std::size_t sent = 0; sent < size; sent += block.size())
            pipe.end(BPlusMemoryPipe::Host).write(block.data(), block.size());
    });
    std::uint8_t b = 0;
    for (std::size_t got = 0; got < size; ++got)
        pipe.end(BPlusMemoryPipe::Client).readByte(b, std::chrono::milliseconds(120000), false);
    writer.join();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    const std::size_t mib = 1 << 20;
    g_dir = fs::temp_directory_path() / ("kiro-bench-bplus-" + std::to_string(::getpid()));
    fs::create_directories(g_dir);
    if (argc == 5 && std::string(argv[1]) == "noise") {
        // One noisy 1 MiB download: bench-bplus noise RATE BLOCK-UNITS SEED
        const double rate = std::atof(argv[2]);
        const auto seed = static_cast<std::uint32_t>(std::atoi(argv[4]));
        const Run r = download(mib, hostOptions(1, 1, std::atoi(argv[3])), {rate, rate / 10, seed * 7919},
                               {rate, rate / 10, seed * 104729});
        std::printf("%s errors %lld virtual %.0f s\n", r.ok ? "ok" : "FAILED", static_cast<long long>(r.errors),
                    r.virtualSeconds);
        fs::remove_all(g_dir);
        return r.ok ? 0 : 1;
    }
    const std::size_t size = (argc > 1 ? static_cast<std::size_t>(std::atoi(argv[1])) : 8) * mib;

    const double base = baselineSeconds(size);
    std::printf("baseline: %zu MiB raw through the in-memory line in %.3f s (%.1f MB/s)\n", size / mib, base,
                static_cast<double>(size) / base / 1e6);
    std::printf("\n%-8s %-9s %-6s %10s %10s %12s %10s\n", "window", "check", "block", "seconds", "MB/s",
                "vs baseline", "efficiency");
    for (int window : {0, 1})
        for (int check : {0, 1})
            for (int block : {8, 4}) {
                const Run r = download(size, hostOptions(window, check, block), {}, {});
                std::printf("%-8d %-9s %-6d %10.3f %10.2f %11.2fx %10.4f %s\n", window, check ? "CRC-16" : "checksum",
                            block * 128, r.seconds, static_cast<double>(size) / r.seconds / 1e6, base / r.seconds,
                            r.efficiency, r.ok ? "" : "FAILED");
            }

    // Loopback Telnet: the client on CommPort and the TELNET virtual modem,
    // the host on the stand-in's socket line, no pacing.
    std::printf("\nloopback Telnet, %zu MiB download:\n%-8s %-9s %10s %10s %12s\n", size / mib, "window", "check",
                "seconds", "MB/s", "vs baseline");
    makeFile(g_dir / "telnet.bin", size, 2);
    for (int window : {0, 1})
        for (int check : {0, 1}) {
            kiro::hostsim::TransferSettings settings;
            settings.bplus = hostOptions(window, check, 8);
            fs::create_directories(g_dir / "telnet-client");
            fs::remove(g_dir / "telnet-client" / "telnet.bin");
            const bench::TelnetRun r = bench::telnetDownload(g_dir, "telnet.bin", g_dir / "telnet-client", settings);
            const bool same = r.ok && sameFile(g_dir / "telnet.bin", g_dir / "telnet-client" / "telnet.bin");
            std::printf("%-8d %-9s %10.3f %10.2f %11.2fx %s\n", window, check ? "CRC-16" : "checksum", r.seconds,
                        static_cast<double>(size) / r.seconds / 1e6, base / r.seconds, same ? "" : "FAILED");
        }

    // A paced 57,600 bps line (virtual time): the share of the line's byte
    // rate that reaches the file.
    std::printf("\npaced 57,600 bps, 1 MiB (virtual time):\n%-8s %-9s %10s %12s\n", "window", "check", "seconds", "line share");
    for (int window : {0, 1})
        for (int check : {0, 1}) {
            LineFaults paced;
            paced.bitsPerSecond = 57600;
            const Run r = download(mib, hostOptions(window, check, 8), paced, paced);
            const double lineRate = 57600.0 / 10.0;
            std::printf("%-8d %-9s %10.1f %12.4f %s\n", window, check ? "CRC-16" : "checksum", r.virtualSeconds,
                        static_cast<double>(mib) / r.virtualSeconds / lineRate, r.ok ? "" : "FAILED");
        }

    // Noise: corruption at the rate, loss at a tenth of it, both directions;
    // three seeds each; the highest rate at which all three arrive intact.
    std::printf("\nnoise, 1 MiB download, window 1, CRC-16 (3 seeds per rate):\n%-6s %10s %6s %10s %10s\n", "block",
                "corrupt", "ok", "errors", "seconds");
    for (int block : {8, 2}) {
        double best = 0;
        bool intact = true;
        for (double rate : {1e-4, 2e-4, 3e-4, 4e-4, 5e-4, 7e-4, 1e-3, 2e-3}) {
            int ok = 0;
            std::int64_t errors = 0;
            double seconds = 0;
            for (std::uint32_t seed = 1; seed <= 3; ++seed) {
                const LineFaults noise{rate, rate / 10, seed * 7919};
                const LineFaults back{rate, rate / 10, seed * 104729};
                const Run r = download(mib, hostOptions(1, 1, block), noise, back);
                ok += r.ok ? 1 : 0;
                errors += r.errors;
                seconds += r.seconds;
            }
            std::printf("%-6d %10.4f%% %4d/3 %10lld %10.2f\n", block * 128, rate * 100, ok,
                        static_cast<long long>(errors / 3), seconds);
            intact = intact && ok == 3;
            if (intact)
                best = rate;
            if (ok == 0)
                break;
        }
        std::printf("highest rate with every seed intact, %d-byte blocks: %.4f%% corrupted, %.5f%% lost\n", block * 128,
                    best * 100, best * 10);
    }
    fs::remove_all(g_dir);
    return 0;
}
