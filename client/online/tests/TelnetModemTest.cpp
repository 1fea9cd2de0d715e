#include "client/online/CommPort.h"
#include "client/online/TelnetModemDevice.h"
#include "client/online/tests/LoopbackHost.h"
#include "client/online/tests/PortTestSupport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace kiro::online;
using kiro::online::test::CollectingHandler;
using kiro::online::test::FakeRegistry;
using kiro::online::test::LoopbackHost;
using kiro::online::test::refusedPort;
using namespace std::chrono_literals;

namespace {

class TelnetModemTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "kiro-telnet-XXXXXX").string();
    m_folder = mkdtemp(pattern.data());
  }
  void TearDown() override {
    m_port.reset();
    std::filesystem::remove_all(m_folder);
  }

  // Port 5 is the TELNET device; every number dials `entry`.
  void makePort(std::string entry, std::uint32_t baud = 9600, bool pacing = false) {
    m_port = std::make_unique<CommPort>(
        [entry, pacing](std::uint8_t port) -> std::unique_ptr<PortDevice> {
          if (port <= 4) return nullptr;
          TelnetModemOptions options;
          options.phoneBook = [entry](const std::string&) -> std::optional<std::string> {
            if (entry.empty()) return std::nullopt;
            return entry;
          };
          options.pacing = pacing;
          return std::make_unique<TelnetModemDevice>(options);
        },
        m_folder);
    ASSERT_TRUE(m_port->Init(&m_handler, 5, baud));
    ASSERT_TRUE(m_port->Open());
  }
  // Sends a command and waits for `answer` after it.
  bool command(const std::string& text, const std::string& answer) {
    const std::size_t from = m_handler.size();
    return m_port->Write(text) && m_handler.waitFor(answer, 5000, from);
  }

  std::filesystem::path m_folder;
  CollectingHandler m_handler;
  std::unique_ptr<CommPort> m_port;
};

} // namespace

TEST_F(TelnetModemTest, AllByteValuesPassBothWays) {
  LoopbackHost host(LoopbackHost::Behaviour::Echo);
  makePort(host.entry(), 19200);
  ASSERT_TRUE(command("AT&F\r", "AT&F\r\r\nOK\r\n"));
  ASSERT_TRUE(command("ATE1Q0V1&C1&D2\r", "\r\nOK\r\n"));
  ASSERT_TRUE(command("ATDT0312345678\r", "ATDT0312345678\r\r\nCONNECT 19200\r\n"));
  const std::size_t start = m_handler.size();
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(char(i));
  for (int i = 255; i >= 0; --i) all.push_back(char(i));
  for (char c : all) ASSERT_TRUE(m_port->WriteByte(static_cast<unsigned char>(c)));
  ASSERT_TRUE(m_handler.waitForSize(start + all.size()));
  EXPECT_EQ(m_handler.text().substr(start), all);
  EXPECT_EQ(host.received(), all);
  m_port->Close();
  EXPECT_TRUE(host.waitClosed()); // DTR dropped (&D2): the call ends
}

TEST_F(TelnetModemTest, RawEntryCarriesPlainTcp) {
  LoopbackHost host(LoopbackHost::Behaviour::Echo, false);
  makePort(host.entry());
  ASSERT_TRUE(command("ATD1\r", "CONNECT 9600\r\n"));
  const std::size_t start = m_handler.size();
  const std::string data("\xff\xfd\x01\r\0x", 6);
  ASSERT_TRUE(m_port->Write(data));
  ASSERT_TRUE(m_handler.waitForSize(start + data.size()));
  EXPECT_EQ(m_handler.text().substr(start), data);
  EXPECT_EQ(host.received(), data);
}

TEST_F(TelnetModemTest, EscapeThenHangUp) {
  LoopbackHost host(LoopbackHost::Behaviour::Echo);
  makePort(host.entry());
  ASSERT_TRUE(command("ATS12=5\r", "OK\r\n")); // 100 ms guard time
  ASSERT_TRUE(command("ATDT1\r", "CONNECT 9600\r\n"));
  std::this_thread::sleep_for(250ms);
  ASSERT_TRUE(command("+++", "+++\r\nOK\r\n")); // the host echoed the pluses, then the modem spoke
  ASSERT_TRUE(command("AT\r", "AT\r\r\nOK\r\n")); // command mode with the call still up
  EXPECT_FALSE(host.waitClosed(200));
  ASSERT_TRUE(command("ATO\r", "CONNECT 9600\r\n"));
  ASSERT_TRUE(command("back", "back"));
  std::this_thread::sleep_for(250ms);
  ASSERT_TRUE(command("+++", "\r\nOK\r\n"));
  ASSERT_TRUE(command("ATH0\r", "ATH0\r\r\nOK\r\n"));
  EXPECT_TRUE(host.waitClosed());
  ASSERT_TRUE(command("ATO\r", "NO CARRIER"));
}

TEST_F(TelnetModemTest, PlusesInsideDataAreData) {
  LoopbackHost host(LoopbackHost::Behaviour::Echo);
  makePort(host.entry());
  ASSERT_TRUE(command("ATS12=5\r", "OK\r\n"));
  ASSERT_TRUE(command("ATD1\r", "CONNECT 9600\r\n"));
  std::this_thread::sleep_for(250ms);
  ASSERT_TRUE(command("+++more", "+++more"));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(m_handler.text().find("OK", m_handler.text().find("+++more")), std::string::npos);
  EXPECT_EQ(host.received(), "+++more");
}

TEST_F(TelnetModemTest, HostNotReadingTimesOutTheWrite) {
  LoopbackHost host(LoopbackHost::Behaviour::NeverRead);
  makePort(host.entry());
  ASSERT_TRUE(command("ATD1\r", "CONNECT 9600\r\n"));
  const std::string block(64 * 1024, 'x');
  const std::string timeOut = "<CE-" + std::to_string(ETIMEDOUT) + ">";
  bool seen = false;
  for (int i = 0; i < 256 && !seen; ++i) {
    EXPECT_TRUE(m_port->Write(block));
    seen = m_handler.text().find(timeOut) != std::string::npos;
  }
  EXPECT_TRUE(seen);
}

TEST_F(TelnetModemTest, RefusedPortIsBusy) {
  makePort("127.0.0.1:" + std::to_string(refusedPort()));
  ASSERT_TRUE(command("ATDT0312345678\r", "ATDT0312345678\r\r\nBUSY\r\n"));
  ASSERT_TRUE(command("AT\r", "\r\nOK\r\n")); // still in command mode
}

TEST_F(TelnetModemTest, NoEntryOrBadEntryIsNoCarrier) {
  makePort("");
  ASSERT_TRUE(command("ATDT999\r", "\r\nNO CARRIER\r\n"));
  m_port.reset();
  makePort("not an address");
  ASSERT_TRUE(command("ATDT999\r", "\r\nNO CARRIER\r\n"));
}

TEST_F(TelnetModemTest, HostHangingUpGivesNoCarrier) {
  LoopbackHost host(LoopbackHost::Behaviour::HangUpAfterGreeting);
  makePort(host.entry());
  ASSERT_TRUE(command("ATDT1\r", "HOST NAME?\r\n*"));
  const std::size_t from = m_handler.size();
  ASSERT_TRUE(m_handler.waitFor("\r\nNO CARRIER\r\n", 5000, from));
  ASSERT_TRUE(command("AT\r", "AT\r\r\nOK\r\n"));
}

TEST_F(TelnetModemTest, ReopenAfterCloseStartsInCommandMode) {
  LoopbackHost host(LoopbackHost::Behaviour::Echo);
  makePort(host.entry());
  ASSERT_TRUE(command("ATD1\r", "CONNECT 9600\r\n"));
  m_port->Close();
  m_port->Close();
  EXPECT_TRUE(host.waitClosed());
  ASSERT_TRUE(m_port->Open());
  ASSERT_TRUE(command("AT\r", "AT\r\r\nOK\r\n"));
}

TEST_F(TelnetModemTest, PacingHoldsTheLineSpeed) {
  LoopbackHost host(LoopbackHost::Behaviour::Echo);
  makePort(host.entry(), 9600, true);
  ASSERT_TRUE(command("ATD1\r", "CONNECT 9600\r\n"));
  const std::size_t start = m_handler.size();
  const auto begin = std::chrono::steady_clock::now();
  ASSERT_TRUE(m_port->Write(std::string(480, 'k')));
  ASSERT_TRUE(m_handler.waitForSize(start + 480));
  // 480 bytes at 960 bytes a second take about half a second.
  EXPECT_GE(std::chrono::steady_clock::now() - begin, 400ms);
}

TEST(TelnetPhoneBook, EntriesAndDevicePaths) {
  FakeRegistry registry;
  EXPECT_EQ(serialDevicePath(registry, 1), "/dev/ttyS0");
  EXPECT_EQ(serialDevicePath(registry, 4), "/dev/ttyS3");
  EXPECT_FALSE(telnetPhoneBookEntry(registry, "0312345678"));
  registry.setString(kPortsKey, "COM2", "/dev/ttyUSB0");
  registry.setString(kTelnetKey, "Default", "localhost:2323");
  registry.setString(kTelnetKey, "0312345678", "raw:127.0.0.1:6000");
  EXPECT_EQ(serialDevicePath(registry, 2), "/dev/ttyUSB0");
  EXPECT_EQ(telnetPhoneBookEntry(registry, "0312345678"), "raw:127.0.0.1:6000");
  EXPECT_EQ(telnetPhoneBookEntry(registry, "0111"), "localhost:2323");
  EXPECT_EQ(telnetPhoneBookEntry(registry, ""), "localhost:2323");
  EXPECT_FALSE(telnetLinePacing(registry));
  registry.setDword(kTelnetKey, "LineSpeed", 1);
  EXPECT_TRUE(telnetLinePacing(registry));

  auto target = parseTelnetTarget("raw:127.0.0.1:6000");
  ASSERT_TRUE(target);
  EXPECT_FALSE(target->telnet);
  EXPECT_EQ(target->host, "127.0.0.1");
  EXPECT_EQ(target->port, "6000");
  target = parseTelnetTarget(" [::1]:23 ");
  ASSERT_TRUE(target);
  EXPECT_TRUE(target->telnet);
  EXPECT_EQ(target->host, "::1");
  EXPECT_FALSE(parseTelnetTarget("localhost"));
  EXPECT_FALSE(parseTelnetTarget("localhost:telnet"));
  EXPECT_FALSE(parseTelnetTarget(":23"));
}

TEST(TelnetModemFlood, OptionRequestsFromAPeerThatNeverReadsStayBounded) {
  LoopbackHost host(LoopbackHost::Behaviour::FloodOptions);
  TelnetModemOptions options;
  const std::string entry = host.entry();
  options.phoneBook = [entry](const std::string&) -> std::optional<std::string> { return entry; };
  TelnetModemDevice device(options);
  ASSERT_TRUE(device.open(LineSettings{}));
  const std::string dial = "ATD1\r";
  device.write(reinterpret_cast<const unsigned char*>(dial.data()), dial.size(), 1000);
  for (int i = 0; i < 500 && !device.online(); ++i) std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(device.online());
  std::size_t most = 0;
  for (int i = 0; i < 100; ++i) {
    std::this_thread::sleep_for(10ms);
    most = std::max(most, device.queuedForNet());
  }
  // Our answers wait for the peer to read them; its requests wait in the
  // socket meanwhile.
  EXPECT_LT(most, 80000u);
  EXPECT_GT(host.flooded(), 0u);
  device.close();
}
