// The client's engine against a B Plus host written separately, in Python,
// from the protocol's published definition (tools/bplus-peer): a fault our
// own host shares with the client cannot hide here. Real time, real pipes.
#include "client/online/BPlusTransfer.h"
#include "client/online/tests/BPlusPipeFixture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kiro::testing::bplus;
using std::chrono::milliseconds;

namespace {

// The Python host on the far end of two pipes.
class PeerProcess : public BPlusLine {
public:
    explicit PeerProcess(std::vector<std::string> args)
    {
        int toPeer[2], fromPeer[2], errors[2];
        if (::pipe(toPeer) != 0 || ::pipe(fromPeer) != 0 || ::pipe(errors) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(toPeer[0], 0);
            ::dup2(fromPeer[1], 1);
            ::dup2(errors[1], 2);
            ::close(toPeer[1]);
            ::close(fromPeer[0]);
            ::close(errors[0]);
            args.insert(args.begin(), {"python3", KIRO_PEER_SCRIPT});
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execvp("python3", argv.data());
            ::_exit(127);
        }
        ::close(toPeer[0]);
        ::close(fromPeer[1]);
        ::close(errors[1]);
        m_in = fromPeer[0];
        m_out = toPeer[1];
        m_errors = errors[0];
    }
    ~PeerProcess() override
    {
        finish();
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    // Closes our ends and returns the host's result line ("complete N" or "failed ...").
    std::string finish()
    {
        if (m_out >= 0)
            ::close(m_out);
        m_out = -1;
        std::string text;
        char buffer[256];
        ssize_t n;
        while (m_errors >= 0 && (n = ::read(m_errors, buffer, sizeof buffer)) > 0)
            text.append(buffer, static_cast<std::size_t>(n));
        if (m_errors >= 0)
            ::close(m_errors);
        m_errors = -1;
        if (m_in >= 0)
            ::close(m_in);
        m_in = -1;
        if (!text.empty())
            m_result = text;
        return m_result;
    }

    Read readByte(std::uint8_t& byte, milliseconds timeout, bool) override
    {
        pollfd p{m_in, POLLIN, 0};
        if (m_in < 0 || ::poll(&p, 1, static_cast<int>(timeout.count())) <= 0)
            return m_in < 0 ? Read::Interrupted : Read::TimedOut;
        if (::read(m_in, &byte, 1) != 1) {
            m_ended = true;
            return Read::Interrupted;
        }
        ++m_moved;
        return Read::Byte;
    }
    void write(const std::uint8_t* bytes, std::size_t count) override
    {
        m_moved += static_cast<std::int64_t>(count);
        while (m_out >= 0 && count > 0) {
            const ssize_t n = ::write(m_out, bytes, count);
            if (n <= 0)
                return;
            bytes += n;
            count -= static_cast<std::size_t>(n);
        }
    }
    // The user's cancel once this many bytes have crossed the line (-1: never).
    void abortAfter(std::int64_t bytes) { m_abortAfter = bytes; }
    bool abortRequested() override { return m_abortAfter >= 0 && m_moved > m_abortAfter; }
    bool transferModeEnded() override { return m_ended; }
    void endTransferMode() override { m_ended = true; }
    milliseconds now() override
    {
        return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
    }

private:
    pid_t m_pid = -1;
    int m_in = -1, m_out = -1, m_errors = -1;
    bool m_ended = false;
    std::string m_result;
    std::int64_t m_moved = 0;
    std::int64_t m_abortAfter = -1;
};

class BPlusIndependentPeer : public BPlusTransferTest {
protected:
    void SetUp() override
    {
        BPlusTransferTest::SetUp();
        if (std::system("python3 -c '' 2>/dev/null") != 0)
            GTEST_SKIP() << "python3 is not installed: no independent B Plus host";
    }
    // Runs one transfer; returns the host's result line.
    std::string transfer(std::vector<std::string> args, BPlusOutcome& outcome, std::int64_t abortAfter = -1,
                         BPlusReportSink* sink = nullptr)
    {
        PeerProcess peer(std::move(args));
        peer.abortAfter(abortAfter);
        BPlusTransfer client(peer, sink);
        outcome = client.run(clientFolder());
        return peer.finish();
    }
};

} // namespace

TEST_F(BPlusIndependentPeer, TransferMatrixBothWays)
{
    for (const std::size_t size : {0u, 1u, 1024u, 1025u, 30001u}) {
        for (const char* window : {"0", "1"}) {
            for (const char* check : {"0", "1"}) {
                SCOPED_TRACE(std::to_string(size) + " window " + window + " check " + check);
                const std::string content = allByteValues(1) + randomBytes(size, static_cast<unsigned>(size));
                writeFile(hostFile("D.BIN"), content);
                fs::remove(clientFile("D.BIN"));
                BPlusOutcome outcome;
                std::string host = transfer({"send", hostFile("D.BIN").string(), "D.BIN", "--window", window,
                                             "--check", check, "--block", "4"},
                                            outcome);
                EXPECT_TRUE(outcome.success) << outcome.message << " / " << host;
                EXPECT_EQ(host, "complete " + std::to_string(content.size()) + "\n");
                EXPECT_EQ(readFile(clientFile("D.BIN")), content);

                writeFile(clientFile("U.BIN"), content);
                host = transfer({"receive", hostFile("U.BIN").string(), "U.BIN", "--window", window, "--check", check},
                                outcome);
                EXPECT_TRUE(outcome.success) << outcome.message << " / " << host;
                EXPECT_EQ(readFile(hostFile("U.BIN")), content);
            }
        }
    }
}

TEST_F(BPlusIndependentPeer, ResumeAndALostFinalAcknowledgement)
{
    const std::string content = randomBytes(50000, 3);
    writeFile(hostFile("R.LZH"), content);
    writeFile(clientFile("R.LZH"), content.substr(0, 12345));
    BPlusOutcome outcome;
    std::string host = transfer({"send", hostFile("R.LZH").string(), "R.LZH"}, outcome);
    ASSERT_TRUE(outcome.success) << outcome.message << " / " << host;
    EXPECT_EQ(outcome.dataBytes, 50000 - 12345);
    EXPECT_EQ(readFile(clientFile("R.LZH")), content);

    // The host's resynchronisation after a lost final acknowledgement is
    // answered: both ends report success. The host's wait is shortened.
    fs::remove(clientFile("R.LZH"));
    host = transfer({"send", hostFile("R.LZH").string(), "R.LZH", "--lose-final-ack", "--timeout", "1"}, outcome);
    EXPECT_TRUE(outcome.success) << outcome.message;
    EXPECT_EQ(host, "complete 50000\n");
}

// Type A moves the bytes as they are and says "ASCII". The host's quote set
// is honoured whether it comes as Q1-Q8 or, without them, as a quoting level:
// the host fails the upload on any byte of its set that arrives unquoted.
TEST_F(BPlusIndependentPeer, TextFilesAndTheHostsQuoteSets)
{
    const std::string text = "KIRO\r\n\x1a" + allByteValues(1);
    writeFile(hostFile("T.TXT"), text);
    BPlusOutcome outcome;
    RecordingSink sink;
    std::string host = transfer({"send", hostFile("T.TXT").string(), "T.TXT", "--type", "A"}, outcome, -1, &sink);
    EXPECT_TRUE(outcome.success) << outcome.message << " / " << host;
    EXPECT_EQ(readFile(clientFile("T.TXT")), text);
    const auto type = sink.last(BPlusReportCode::FileType);
    ASSERT_TRUE(type);
    EXPECT_EQ(type->text, "ASCII");

    const std::string content = allByteValues(4) + randomBytes(5000, 9);
    writeFile(clientFile("Q.BIN"), content);
    const std::vector<std::vector<std::string>> quoting{
        {"--quotes", "FFFFFFFFFFFFFFFF"}, {"--quotes", "0000000000005000"}, {"--short-params", "3"},
        {"--short-params", "2"}, {"--short-params", "1"}};
    for (const auto& q : quoting) {
        SCOPED_TRACE(q[0] + " " + q[1]);
        fs::remove(hostFile("Q.BIN"));
        std::vector<std::string> args{"receive", hostFile("Q.BIN").string(), "Q.BIN", "--type", "A"};
        args.insert(args.end(), q.begin(), q.end());
        host = transfer(args, outcome);
        EXPECT_TRUE(outcome.success) << outcome.message << " / " << host;
        EXPECT_EQ(host, "complete " + std::to_string(content.size()) + "\n");
        EXPECT_EQ(readFile(hostFile("Q.BIN")), content);
    }
}

// Either side gives up in the middle: the other side hears of it through a
// failure packet, and the client keeps the part it has.
TEST_F(BPlusIndependentPeer, AbortsFromEitherSide)
{
    const std::string content = randomBytes(40000, 21);
    writeFile(hostFile("A.BIN"), content);
    writeFile(clientFile("U.BIN"), content);
    BPlusOutcome outcome;

    std::string host = transfer({"send", hostFile("A.BIN").string(), "A.BIN", "--abort-after", "8000"}, outcome);
    EXPECT_FALSE(outcome.success);
    EXPECT_EQ(outcome.message, "Failure Packet received...aborting");
    EXPECT_EQ(host, "failed aborted by the host\n");
    EXPECT_GE(fs::file_size(clientFile("A.BIN")), 7000u) << "the partial file is kept";

    host = transfer({"receive", hostFile("U.BIN").string(), "U.BIN", "--abort-after", "8000"}, outcome);
    EXPECT_FALSE(outcome.success);
    EXPECT_EQ(outcome.message, "Failure Packet received...aborting");
    EXPECT_EQ(host, "failed aborted by the host\n");

    fs::remove(clientFile("A.BIN"));
    host = transfer({"send", hostFile("A.BIN").string(), "A.BIN"}, outcome, 10000);
    EXPECT_FALSE(outcome.success);
    EXPECT_EQ(outcome.message, "Aborting download per your request");
    EXPECT_EQ(host, "failed failure packet: AAborted by user\n");

    host = transfer({"receive", hostFile("U.BIN").string(), "U.BIN"}, outcome, 10000);
    EXPECT_FALSE(outcome.success);
    EXPECT_EQ(outcome.message, "Aborting the upload per your request");
    EXPECT_EQ(host, "failed failure packet: AAborted by user\n");
}

// Noise on both directions with the host's own time-outs: damaged packets
// are recovered by NAK, so a short transfer takes seconds, not time-outs.
TEST_F(BPlusIndependentPeer, NoisyLineWithRealTimeOuts)
{
    const std::string content = randomBytes(60000, 31);
    writeFile(hostFile("N.BIN"), content);
    writeFile(clientFile("M.BIN"), content);
    for (const char* seed : {"11", "12"}) {
        SCOPED_TRACE(seed);
        const std::vector<std::string> noise{"--corrupt", "0.0003", "--loss", "0.00003", "--seed", seed};
        fs::remove(clientFile("N.BIN"));
        std::vector<std::string> args{"send", hostFile("N.BIN").string(), "N.BIN"};
        args.insert(args.end(), noise.begin(), noise.end());
        BPlusOutcome outcome;
        std::string host = transfer(args, outcome);
        EXPECT_TRUE(outcome.success) << outcome.message << " / " << host;
        EXPECT_TRUE(readFile(clientFile("N.BIN")) == content) << "download not bit-exact";
        EXPECT_LT(outcome.elapsedMs, 20000) << "download";
        EXPECT_GT(outcome.counters.receiveErrors, 0) << "the noise never reached the client";

        args = {"receive", hostFile("M.BIN").string(), "M.BIN"};
        args.insert(args.end(), noise.begin(), noise.end());
        host = transfer(args, outcome);
        EXPECT_TRUE(outcome.success) << outcome.message << " / " << host;
        EXPECT_TRUE(readFile(hostFile("M.BIN")) == content) << "upload not bit-exact";
        EXPECT_LT(outcome.elapsedMs, 20000) << "upload";
        EXPECT_GT(outcome.counters.sendErrors, 0) << "the noise never reached the host";
    }
}
