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
        return Read::Byte;
    }
    void write(const std::uint8_t* bytes, std::size_t count) override
    {
        while (m_out >= 0 && count > 0) {
            const ssize_t n = ::write(m_out, bytes, count);
            if (n <= 0)
                return;
            bytes += n;
            count -= static_cast<std::size_t>(n);
        }
    }
    bool abortRequested() override { return false; }
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
    std::string transfer(std::vector<std::string> args, BPlusOutcome& outcome)
    {
        PeerProcess peer(std::move(args));
        BPlusTransfer client(peer, nullptr);
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
