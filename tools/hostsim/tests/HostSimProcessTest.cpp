#include "common/Cp932.h"
#include "tools/hostsim/tests/HostSimProcess.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

using kiro::testing::HostSimProcess;

namespace {

// A raw TCP caller that understands just enough Telnet to drop commands.
class RawCaller {
public:
    explicit RawCaller(int port)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<uint16_t>(port));
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    }
    ~RawCaller() { close(); }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    bool connected() const { return m_connected; }
    void send(const std::string &s) { ::send(m_fd, s.data(), s.size(), MSG_NOSIGNAL); }

    // Reads until the text ends with tail; returns what was read (Telnet
    // commands removed). Empty optional when the time runs out or the host hangs up.
    std::optional<std::string> readUntil(const std::string &tail, int ms = 3000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        std::string got;
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            char c;
            if (::recv(m_fd, &c, 1, 0) != 1)
                return std::nullopt;
            if (static_cast<unsigned char>(c) == 0xff && !m_iac) {
                m_iac = 1;
                continue;
            }
            if (m_iac == 1 && static_cast<unsigned char>(c) != 0xff) {
                m_iac = 2; // verb; the option byte follows
                continue;
            }
            if (m_iac == 2) {
                m_iac = 0;
                continue;
            }
            m_iac = 0;
            got.push_back(c);
            m_seen.push_back(c);
            if (got.size() >= tail.size() && got.compare(got.size() - tail.size(), tail.size(), tail) == 0)
                return got;
        }
        return std::nullopt;
    }
    bool hungUp(int ms = 3000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            char c;
            if (::recv(m_fd, &c, 1, 0) <= 0)
                return true;
        }
        return false;
    }

private:
    int m_fd = -1;
    bool m_connected = false;
    int m_iac = 0;
    std::string m_seen;
};

std::string sj(const char *utf8) { return kiro::cp932::fromUtf8(utf8); }

} // namespace

TEST(HostSimProcess, TwoCallersLogInAtOnceAndLogOut)
{
    HostSimProcess host({"--member", "ABC01234:secret", "--member", "DEF05678:pw"});
    ASSERT_GT(host.port(), 0);
    RawCaller a(host.port()), b(host.port());
    ASSERT_TRUE(a.connected() && b.connected());
    ASSERT_TRUE(a.readUntil("HOST NAME?\r\n*"));
    ASSERT_TRUE(b.readUntil("HOST NAME?\r\n*"));
    a.send("C NIF\r");
    b.send("C NIF\r");
    ASSERT_TRUE(a.readUntil("--->"));
    ASSERT_TRUE(b.readUntil("--->"));
    a.send("SVC/SJIS\rABC01234\r");
    ASSERT_TRUE(a.readUntil("Enter Password --->"));
    a.send("secret\r");
    ASSERT_TRUE(a.readUntil(sj("＞")));
    a.send("bye\r");
    ASSERT_TRUE(a.readUntil("HOST NAME?\r\n*"));
    a.send("off\r");
    EXPECT_TRUE(a.hungUp());
    // The other caller is still served.
    b.send("SVC/SJIS\rDEF05678\r");
    ASSERT_TRUE(b.readUntil("Enter Password --->"));
}

TEST(HostSimProcess, VanishingAndHostileCallersDoNotHurtTheService)
{
    HostSimProcess host({"--road", "7"});
    ASSERT_GT(host.port(), 0);
    for (int i = 0; i < 5; ++i) {
        RawCaller gone(host.port());
        gone.send(std::string("\xff\xfa\x01\x02", 4)); // unfinished sub-negotiation
        std::string junk;
        for (int k = 0; k < 20000; ++k)
            junk.push_back(static_cast<char>((k * 131) & 0xff));
        gone.send(junk);
        gone.close();
    }
    RawCaller c(host.port());
    ASSERT_TRUE(c.readUntil("Login:"));
    c.send("NIFTY\r");
    ASSERT_TRUE(c.readUntil("Password:"));
    c.send("\r");
    EXPECT_TRUE(c.readUntil("--->"));
    EXPECT_TRUE(host.alive());
}

TEST(HostSimProcess, IdleWarningAndDropOverTheWire)
{
    HostSimProcess host({"--member", "ABC01234:secret", "--idle-warn", "0.3", "--idle-drop", "0.3"});
    RawCaller c(host.port());
    ASSERT_TRUE(c.readUntil("*"));
    c.send("C NIF\rSVC/SJIS\rABC01234\r");
    ASSERT_TRUE(c.readUntil("Enter Password --->"));
    c.send("secret\r");
    ASSERT_TRUE(c.readUntil(sj("＞")));
    EXPECT_TRUE(c.readUntil(sj("◆あと 2分間入力がないと回線が切断されます◆") + "\r\n"));
    EXPECT_TRUE(c.readUntil("\r\nHOST NAME?\r\n*"));
}

TEST(HostSimProcess, BadOptionsAreRefused)
{
    HostSimProcess host({"--road", "9"});
    EXPECT_EQ(host.port(), 0);
}
