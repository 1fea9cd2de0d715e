#pragma once
// Runs the client's B Plus engine against the host's role over the in-memory
// line (virtual clock, optional faults with fixed seeds).
#include "client/online/BPlusHost.h"
#include "client/online/BPlusMemoryPipe.h"
#include "client/online/BPlusTransfer.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

namespace kiro::testing::bplus {

using namespace kiro::online;
namespace fs = std::filesystem;


inline std::string randomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (char& c : s)
        c = static_cast<char>(rng() & 0xFF);
    return s;
}

inline std::string allByteValues(int repeats)
{
    std::string s;
    for (int r = 0; r < repeats; ++r)
        for (int c = 0; c < 256; ++c)
            s.push_back(static_cast<char>(c));
    return s;
}

inline void writeFile(const fs::path& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

inline std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class RecordingSink : public BPlusReportSink {
public:
    void report(const BPlusReport& r) override
    {
        std::lock_guard lock(m_mutex);
        m_reports.push_back(r);
    }
    std::vector<BPlusReport> all()
    {
        std::lock_guard lock(m_mutex);
        return m_reports;
    }
    std::optional<BPlusReport> last(BPlusReportCode code)
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_reports.rbegin(); it != m_reports.rend(); ++it)
            if (it->code == code)
                return *it;
        return std::nullopt;
    }

private:
    std::mutex m_mutex;
    std::vector<BPlusReport> m_reports;
};

struct Result {
    BPlusOutcome client;
    BPlusHostResult host;
};

class BPlusTransferTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_root = fs::temp_directory_path() / (std::string("kiro-bplus-") + info->test_suite_name() + "-" + info->name());
        fs::remove_all(m_root);
        fs::create_directories(m_root / "host");
        fs::create_directories(m_root / "client");
    }
    void TearDown() override { fs::remove_all(m_root); }

    fs::path hostFile(const std::string& name) const { return m_root / "host" / name; }
    fs::path clientFile(const std::string& name) const { return m_root / "client" / name; }
    std::string clientFolder() const { return (m_root / "client").string() + "\\"; }

    // prepare runs with the pipe before the engines start.
    template <typename HostCall>
    Result run(HostCall hostCall, LineFaults toClient = {}, LineFaults toHost = {},
               std::function<void(BPlusMemoryPipe&)> prepare = {})
    {
        BPlusMemoryPipe pipe(toClient, toHost);
        if (prepare)
            prepare(pipe);
        Result result;
        std::thread host([&] {
            result.host = hostCall(pipe.end(BPlusMemoryPipe::Host));
            pipe.finish(BPlusMemoryPipe::Host);
        });
        BPlusTransfer transfer(pipe.end(BPlusMemoryPipe::Client), &m_sink, m_clientOptions);
        result.client = transfer.run(clientFolder());
        pipe.finish(BPlusMemoryPipe::Client);
        host.join();
        m_lineBytes = pipe.bytesWritten(BPlusMemoryPipe::Client) + pipe.bytesWritten(BPlusMemoryPipe::Host);
        m_virtualMs = pipe.virtualMs();
        return result;
    }

    Result download(const std::string& content, const std::string& name, BPlusHostOptions options = {},
                    LineFaults toClient = {}, LineFaults toHost = {},
                    std::function<void(BPlusMemoryPipe&)> prepare = {})
    {
        writeFile(hostFile(name), content);
        return run(
            [&](BPlusLine& line) { return BPlusHost(line, options).sendFile(hostFile(name), name); },
            toClient, toHost, prepare);
    }

    Result upload(const std::string& content, const std::string& name, BPlusHostOptions options = {},
                  LineFaults toClient = {}, LineFaults toHost = {},
                  std::function<void(BPlusMemoryPipe&)> prepare = {})
    {
        writeFile(clientFile(name), content);
        return run(
            [&](BPlusLine& line) { return BPlusHost(line, options).receiveFile(hostFile(name), name); },
            toClient, toHost, prepare);
    }

    fs::path m_root;
    RecordingSink m_sink;
    BPlusTransferOptions m_clientOptions;
    std::int64_t m_lineBytes = 0;
    std::int64_t m_virtualMs = 0;  // line time the last run took
};

inline BPlusHostOptions hostWith(int window, int check, int block = 8, int resume = 2)
{
    BPlusHostOptions o;
    o.parameters.windowSend = static_cast<std::uint8_t>(window);
    o.parameters.windowReceive = static_cast<std::uint8_t>(window);
    o.parameters.checkMethod = static_cast<std::uint8_t>(check);
    o.parameters.blockSize = static_cast<std::uint8_t>(block);
    o.parameters.downloadResume = static_cast<std::uint8_t>(resume);
    return o;
}


} // namespace kiro::testing::bplus
