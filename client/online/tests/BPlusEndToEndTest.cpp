// kiro-link runs a job whose kind-4 step transfers a file with kiro-hostsim
// over the TELNET virtual modem.
#include "tools/hostsim/tests/HostSimProcess.h"
#include "tools/kiro-link/tests/LinkFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>

using kiro::testing::HostSimProcess;
using kiro::testing::LinkFixture;
using kiro::testing::LinkResult;
namespace fs = std::filesystem;

namespace {

std::string randomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (char& c : s)
        c = static_cast<char>(rng() & 0xFF);
    return s;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The byte count of kiro-link's "[transfer] ..." line, or -1.
long long transferredBytes(const std::string& output)
{
    const auto line = output.find("[transfer] ");
    const auto colon = line == std::string::npos ? line : output.find(": ", line);
    return colon == std::string::npos ? -1 : std::atoll(output.c_str() + colon + 2);
}

// Sends the command, waits for the host's start line, then transfers into
// or out of folder and waits for the main prompt that follows.
std::string job(const std::string& command, const std::string& started, const fs::path& folder)
{
    return R"({"steps":[
 {"kind":0,"timeout":true,"send":")" + command + R"(\r","outcomes":[
   {"prompt":"@@TIMEOUT@@","verdict":1,"status":"no answer"},
   {"prompt":"ファイルが見つかりません。","verdict":1,"status":"no such file"},
   {"prompt":")" + started + R"(\r\n","verdict":0,"status":"transfer"}]},
 {"kind":4,"atOnce":true,"send":")" + folder.string() + R"(/","outcomes":[
   {"prompt":"＞","verdict":0,"status":"transfer over"}]}]})";
}

class BPlusEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(m_link.path("content"));
        fs::create_directories(m_link.path("local"));
        m_link.phoneBook("Default", 0);
    }

    // linkOptions go before kiro-link's command; the host's log is kept in
    // hostLog().
    LinkResult run(const std::string& command, const std::string& started, std::vector<std::string> hostArgs,
                   const std::string& linkOptions = {}, int tickMs = 80)
    {
        std::vector<std::string> args{"--member", "ABC01234:secret", "--content", m_link.path("content").string(),
                                      "--upload", m_link.path("uploaded").string(), "--bp-timeout", "3"};
        args.insert(args.end(), hostArgs.begin(), hostArgs.end());
        HostSimProcess host(args, m_link.path("host.log").string());
        m_link.phoneBook("Default", host.port());
        m_link.writeFile("job.json", job(command, started, m_link.path("local")));
        return m_link.run(linkOptions + " run '" + m_link.path("job.json").string() + "' --logout", tickMs);
    }
    std::string hostLog() const { return readFile(m_link.path("host.log")); }

    void put(const fs::path& path, const std::string& content)
    {
        std::ofstream(path, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
    }

    LinkFixture m_link;
};

} // namespace

TEST_F(BPlusEndToEnd, DownloadsAFileWithEveryByteValue)
{
    std::string content = randomBytes(200000, 1);
    for (int c = 0; c < 256; ++c)
        content.push_back(static_cast<char>(c));
    put(m_link.path("content") / "SONG.LZH", content);
    const LinkResult r = run("DOWN SONG.LZH PROT:BPL", "－ダウンロード開始－", {});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.has("[transfer] download SONG.LZH: 200256 bytes")) << r.output;
    EXPECT_TRUE(r.has("*** Transfer Complete ***"));
    EXPECT_TRUE(r.has("ログアウト完了。"));
    EXPECT_EQ(readFile(m_link.path("local") / "SONG.LZH"), content);
}

TEST_F(BPlusEndToEnd, UploadsWithTheHostsOwnParameters)
{
    const std::string content = randomBytes(70001, 2);
    put(m_link.path("local") / "MAIL.TXT", content);
    const LinkResult r =
        run("UPL MAIL.TXT PROT:BPL", "－アップロード開始－", {"--bp-window", "0", "--bp-check", "0", "--bp-block", "2"});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.has("[transfer] upload MAIL.TXT: 70001 bytes")) << r.output;
    EXPECT_EQ(readFile(m_link.path("uploaded") / "MAIL.TXT"), content);

    put(m_link.path("local") / "EMPTY.TXT", "");
    const LinkResult empty = run("UPL EMPTY.TXT PROT:BPL", "－アップロード開始－", {});
    EXPECT_EQ(empty.exitCode, 0) << empty.output;
    EXPECT_TRUE(fs::exists(m_link.path("uploaded") / "EMPTY.TXT"));
    EXPECT_EQ(fs::file_size(m_link.path("uploaded") / "EMPTY.TXT"), 0u);
}

TEST_F(BPlusEndToEnd, ResumesAPartialDownload)
{
    const std::string content = randomBytes(150000, 3);
    put(m_link.path("content") / "PART.LZH", content);
    put(m_link.path("local") / "PART.LZH", content.substr(0, 60000));
    const LinkResult r = run("DOWN PART.LZH PROT:BPL", "－ダウンロード開始－", {});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(readFile(m_link.path("local") / "PART.LZH"), content);
}

TEST_F(BPlusEndToEnd, OneMebibyteThroughANoisyLine)
{
    // 0.01% of the bytes changed and 0.001% lost in each direction, with
    // the host's own time-outs: every damaged packet, resent ones included,
    // is recovered by NAK, not by a time-out.
    const std::string content = randomBytes(1 << 20, 4);
    put(m_link.path("content") / "NOISE.LZH", content);
    const auto started = std::chrono::steady_clock::now();
    const LinkResult r = run("DOWN NOISE.LZH PROT:BPL", "－ダウンロード開始－",
                             {"--corrupt", "0.0001", "--loss", "0.00001", "--seed", "11", "--bp-timeout", "15"});
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(readFile(m_link.path("local") / "NOISE.LZH"), content);
}

TEST_F(BPlusEndToEnd, DownloadsSizesAroundTheBlockAndSurvivesAStall)
{
    for (std::size_t size : {0u, 1u, 1023u, 1024u, 1025u}) {
        SCOPED_TRACE(size);
        const std::string content = randomBytes(size, static_cast<unsigned>(size) + 10);
        put(m_link.path("content") / "S.BIN", content);
        fs::remove(m_link.path("local") / "S.BIN");
        const LinkResult r = run("DOWN S.BIN PROT:BPL", "－ダウンロード開始－", {});
        EXPECT_EQ(r.exitCode, 0) << r.output;
        EXPECT_TRUE(r.has("[transfer] download S.BIN: " + std::to_string(size) + " bytes")) << r.output;
        EXPECT_EQ(readFile(m_link.path("local") / "S.BIN"), content);
    }
    // The host stops sending for 1.5 s in the middle; the client waits.
    const std::string content = randomBytes(60000, 20);
    put(m_link.path("content") / "STALL.BIN", content);
    const LinkResult r = run("DOWN STALL.BIN PROT:BPL", "－ダウンロード開始－", {"--stall", "20000", "--stall-ms", "1500"});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(readFile(m_link.path("local") / "STALL.BIN"), content);
}

TEST_F(BPlusEndToEnd, HostFailureAndRefusedTransferPackets)
{
    const std::string content = randomBytes(50000, 30);
    put(m_link.path("content") / "F.BIN", content);
    LinkResult r = run("DOWN F.BIN PROT:BPL", "－ダウンロード開始－", {"--bp-fail-after", "10240"});
    // The failed transfer fails its step with its own words, whatever
    // prompt the host sends next, and the job hangs up.
    EXPECT_TRUE(r.has("[message] Failure Packet received...aborting")) << r.output;
    EXPECT_FALSE(r.has("transfer over")) << r.output;
    EXPECT_EQ(r.exitCode, 1) << r.output;
    // The partial file is kept.
    const auto kept = fs::file_size(m_link.path("local") / "F.BIN");
    EXPECT_GE(kept, 10240u);
    EXPECT_LT(kept, content.size());

    r = run("DOWN F.BIN PROT:BPL", "－ダウンロード開始－", {"--bp-direction", "X"});
    EXPECT_TRUE(r.has("Unimplemented Transfer Function")) << r.output;
    EXPECT_TRUE(r.has("[transfer] before the file was named: 0 bytes")) << r.output;
    r = run("DOWN F.BIN PROT:BPL", "－ダウンロード開始－", {"--bp-type", "Z"});
    EXPECT_TRUE(r.has("Unimplemented File Type")) << r.output;
}

TEST_F(BPlusEndToEnd, UserAbortsADownloadAndTheHostHearsIt)
{
    // 200,000 bytes at 100,000 bps take 20 s; the button is pressed when the
    // progress window first shows received bytes.
    const std::string content = randomBytes(200000, 40);
    put(m_link.path("content") / "ABORT.LZH", content);
    const LinkResult r = run("DOWN ABORT.LZH PROT:BPL", "－ダウンロード開始－", {"--bps", "100000"},
                             "--press-when 'Read Byte:'");
    EXPECT_TRUE(r.has("[press]")) << r.output;
    EXPECT_TRUE(r.has("中断処理中...")) << r.output;
    EXPECT_TRUE(r.has("Aborting download per your request")) << r.output;
    // The session hangs up after a cancelled transfer: the run has failed.
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_TRUE(r.has("[transfer] download ABORT.LZH: ")) << r.output;
    // The partial file is kept for a later resume.
    ASSERT_TRUE(fs::exists(m_link.path("local") / "ABORT.LZH"));
    const std::string kept = readFile(m_link.path("local") / "ABORT.LZH");
    EXPECT_GT(kept.size(), 0u);
    EXPECT_LT(kept.size(), content.size());
    EXPECT_EQ(kept, content.substr(0, kept.size()));
    EXPECT_EQ(transferredBytes(r.output), static_cast<long long>(kept.size())) << r.output;
    EXPECT_NE(hostLog().find("B Plus send ABORT.LZH: failed"), std::string::npos) << hostLog();
    EXPECT_NE(hostLog().find("Aborted by user"), std::string::npos) << hostLog();
}

TEST_F(BPlusEndToEnd, UserAbortsAnUpload)
{
    // The host's acknowledgements are paced (200 bps, 5 ms a byte), which
    // holds the 2-packet window back; the press comes with the first
    // progress the window shows.
    const std::string content = randomBytes(300000, 41);
    put(m_link.path("local") / "UP.TXT", content);
    const LinkResult r = run("UPL UP.TXT PROT:BPL", "－アップロード開始－", {"--bps", "200"},
                             "--press-when 'Send Byte:'");
    EXPECT_TRUE(r.has("[press]")) << r.output;
    EXPECT_TRUE(r.has("中断処理中...")) << r.output;
    EXPECT_TRUE(r.has("Aborting the upload per your request")) << r.output;
    EXPECT_GT(transferredBytes(r.output), 0) << r.output;
    EXPECT_LT(transferredBytes(r.output), static_cast<long long>(content.size())) << r.output;
    // The acknowledgements of the blocks given up still arrive; they are no errors.
    EXPECT_TRUE(r.has(" bytes, 0 errors, ")) << r.output;
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_NE(hostLog().find("B Plus receive UP.TXT: failed"), std::string::npos) << hostLog();
    EXPECT_NE(hostLog().find("Aborted by user"), std::string::npos) << hostLog();
    // The local file is left as it was.
    EXPECT_EQ(readFile(m_link.path("local") / "UP.TXT"), content);
}

TEST_F(BPlusEndToEnd, UploadsOneMebibyteThroughANoisyLine)
{
    // 0.01% of the bytes changed and 0.001% lost in each direction. A lost
    // acknowledgement, or a resent packet damaged again, is only noticed when
    // the client's wait runs out; the 5 ms tick shortens that wait from 120 s
    // to 1.2 s (about 20 of them here). The host waits longer than the
    // client, as it does with the real time-outs, or it would count several
    // of its own time-outs per resend and give up first.
    const std::string content = randomBytes(1 << 20, 5);
    put(m_link.path("local") / "NOISE.TXT", content);
    const LinkResult r = run("UPL NOISE.TXT PROT:BPL", "－アップロード開始－",
                             {"--corrupt", "0.0001", "--loss", "0.00001", "--seed", "12", "--bp-timeout", "2"}, {}, 5);
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.has("[transfer] upload NOISE.TXT: 1048576 bytes")) << r.output;
    EXPECT_EQ(readFile(m_link.path("uploaded") / "NOISE.TXT"), content);
}
