#include "client/online/CommPort.h"
#include "client/online/SerialDevice.h"
#include "client/online/tests/PortTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace kiro::online;
using kiro::online::test::CollectingHandler;
using namespace std::chrono_literals;

namespace {

std::filesystem::path makeTempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kiro-port-XXXXXX").string();
  return mkdtemp(pattern.data());
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A pseudo-terminal pair: the port opens the slave by name, the test plays
// the modem on the master.
class PtyPair {
public:
  PtyPair() {
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) == 0) {
      m_name = name;
      termios tio{};
      ::tcgetattr(m_slave, &tio);
      ::cfmakeraw(&tio);
      ::tcsetattr(m_slave, TCSANOW, &tio);
    }
  }
  ~PtyPair() {
    closeMaster();
    if (m_slave >= 0) ::close(m_slave);
  }
  bool ok() const { return !m_name.empty(); }
  const std::string& name() const { return m_name; }
  int slave() const { return m_slave; }
  void send(const std::string& text) { ASSERT_EQ(::write(m_master, text.data(), text.size()), ssize_t(text.size())); }
  // Reads what the port wrote until `size` bytes came or a second passed.
  std::string receive(std::size_t size) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + 2s;
    while (got.size() < size && std::chrono::steady_clock::now() < end) {
      char buffer[256];
      pollfd pfd{m_master, POLLIN, 0};
      if (::poll(&pfd, 1, 50) > 0) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) got.append(buffer, std::size_t(n));
      }
    }
    return got;
  }
  void closeMaster() {
    if (m_master >= 0) {
      ::close(m_master);
      m_master = -1;
    }
  }

private:
  int m_master = -1, m_slave = -1;
  std::string m_name;
};

class CommPortTest : public ::testing::Test {
protected:
  void SetUp() override { m_folder = makeTempFolder(); }
  void TearDown() override { std::filesystem::remove_all(m_folder); }

  PortDeviceFactory serialFactory(const std::string& path) {
    return [path](std::uint8_t port) -> std::unique_ptr<PortDevice> {
      return port <= 4 ? std::make_unique<SerialDevice>(path) : nullptr;
    };
  }

  std::filesystem::path m_folder;
  CollectingHandler m_handler;
};

} // namespace

TEST_F(CommPortTest, NothingWorksBeforeInit) {
  CommPort port(defaultPortDeviceFactory(), m_folder);
  unsigned char byte = 0;
  EXPECT_FALSE(port.Open());
  EXPECT_FALSE(port.Write("AT\r"));
  EXPECT_FALSE(port.WriteByte('A'));
  EXPECT_FALSE(port.ReadQueuedByte(byte));
  port.Close();
  EXPECT_FALSE(std::filesystem::exists(m_folder / "Kiro.sys"));
}

TEST_F(CommPortTest, SerialOpenTalkCloseAndReopen) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  std::ofstream(m_folder / "Kiro.sys") << "old session";
  CommPort port(serialFactory(pty.name()), m_folder);
  ASSERT_TRUE(port.Init(&m_handler, 1, 9600));
  EXPECT_EQ(readFile(m_folder / "Kiro.sys"), ""); // created anew
  EXPECT_EQ(m_handler.clears, 1);

  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(port.Open()) << round;
    EXPECT_TRUE(port.IsConnected());
    EXPECT_TRUE(port.Write("AT&F\r"));
    EXPECT_EQ(pty.receive(5), "AT&F\r");
    const std::size_t before = m_handler.size();
    pty.send("\r\nOK\r\n");
    EXPECT_TRUE(m_handler.waitFor("\r\nOK\r\n", 5000, before));
    // No byte arrives: Close still ends the reader at once.
    const auto start = std::chrono::steady_clock::now();
    port.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_FALSE(port.IsConnected());
    port.Close(); // a second Close does nothing
    EXPECT_FALSE(port.Write("AT\r"));
  }
  EXPECT_EQ(readFile(m_folder / "Kiro.sys"), "\r\nOK\r\n\r\nOK\r\n");
}

TEST_F(CommPortTest, CaptureHoldsHostTextButNotTransferBytes) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CommPort port(serialFactory(pty.name()), m_folder);
  ASSERT_TRUE(port.Init(&m_handler, 2, 19200));
  ASSERT_TRUE(port.Open());
  pty.send("Login:");
  ASSERT_TRUE(m_handler.waitFor("Login:"));

  port.BeginTransferMode();
  const std::string packet("\x10" "B\x00\x01\xff\x03", 6);
  pty.send(packet);
  std::string got;
  for (auto end = std::chrono::steady_clock::now() + 3s; got.size() < packet.size() && std::chrono::steady_clock::now() < end;) {
    unsigned char byte;
    if (port.ReadQueuedByte(byte)) got.push_back(char(byte));
    else std::this_thread::sleep_for(1ms);
  }
  EXPECT_EQ(got, packet);
  EXPECT_FALSE(port.TransferModeEnded());
  port.EndTransferMode();
  EXPECT_TRUE(port.TransferModeEnded());
  pty.send("> ");
  ASSERT_TRUE(m_handler.waitFor("Login:> "));
  EXPECT_EQ(m_handler.text(), "Login:> "); // the handler never saw the packet
  port.Close();
  EXPECT_EQ(readFile(m_folder / "Kiro.sys"), "Login:> ");

  // Reconfigure starts a new capture.
  ASSERT_TRUE(port.Reconfigure(3, 9600));
  EXPECT_EQ(port.port(), 3);
  EXPECT_EQ(readFile(m_folder / "Kiro.sys"), "");
}

TEST_F(CommPortTest, CaptureFileIsRotatedAtItsLimit) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CommPort port(serialFactory(pty.name()), m_folder);
  ASSERT_TRUE(port.Init(&m_handler, 1, 9600));
  port.setCaptureLimit(100);
  ASSERT_TRUE(port.Open());
  std::string all;
  for (int i = 0; i < 30; ++i) {
    const std::string line = "line " + std::to_string(i) + "\r\n";
    all += line;
    pty.send(line);
    ASSERT_TRUE(m_handler.waitFor(line, 5000, m_handler.size() - std::min(m_handler.size(), line.size())));
  }
  ASSERT_TRUE(m_handler.waitForSize(all.size()));
  port.Close();
  const std::string current = readFile(m_folder / "Kiro.sys");
  const std::string previous = readFile(m_folder / "Kiro.sys.1");
  EXPECT_LE(current.size(), 100u);
  EXPECT_LE(previous.size(), 100u);
  EXPECT_FALSE(previous.empty());
  // Nothing is lost at the seam: the newest text follows the previous file.
  EXPECT_EQ(all.substr(all.size() - current.size()), current);
  EXPECT_EQ(all.substr(all.size() - current.size() - previous.size(), previous.size()), previous);
}

TEST_F(CommPortTest, WriteTimeOutBecomesErrorText) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CommPort port(serialFactory(pty.name()), m_folder);
  ASSERT_TRUE(port.Init(&m_handler, 1, 9600));
  ASSERT_TRUE(port.Open());
  // A stopped line takes nothing, like a modem holding CTS down.
  ASSERT_EQ(::tcflow(pty.slave(), TCOOFF), 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(port.Write("ATH0\r")); // the write started, so it counts as done
  EXPECT_GE(std::chrono::steady_clock::now() - start, 900ms);
  EXPECT_TRUE(m_handler.waitFor("<CE-" + std::to_string(ETIMEDOUT) + ">"));
  ::tcflow(pty.slave(), TCOON);
  port.Close();
  // Injected error text is not host text: the capture stays empty.
  EXPECT_EQ(readFile(m_folder / "Kiro.sys"), "");
}

TEST_F(CommPortTest, ReadErrorBecomesErrorTextAndCloseStillWorks) {
  auto pty = std::make_unique<PtyPair>();
  ASSERT_TRUE(pty->ok());
  CommPort port(serialFactory(pty->name()), m_folder);
  ASSERT_TRUE(port.Init(&m_handler, 1, 9600));
  ASSERT_TRUE(port.Open());
  pty->closeMaster(); // the line goes away under the port
  EXPECT_TRUE(m_handler.waitFor("<CE-" + std::to_string(EIO) + ">"));
  const auto start = std::chrono::steady_clock::now();
  port.Close();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST_F(CommPortTest, SecondOpenOfTheSameLineIsRefused) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  SerialDevice first(pty.name());
  ASSERT_TRUE(first.open(LineSettings{}));
  SerialDevice second(pty.name());
  EXPECT_FALSE(second.open(LineSettings{}));
  EXPECT_NE(second.lastError().find("in use"), std::string::npos);
  first.close();
  EXPECT_TRUE(second.open(LineSettings{}));
}

TEST_F(CommPortTest, OpenFailsForMissingDevice) {
  CommPort port(serialFactory((m_folder / "no-such-tty").string()), m_folder);
  ASSERT_TRUE(port.Init(&m_handler, 1, 9600));
  EXPECT_FALSE(port.Open());
  EXPECT_FALSE(port.IsConnected());
  port.Close();
}

TEST_F(CommPortTest, DispatcherOrderAndRingLimit) {
  CommPort port([](std::uint8_t) { return nullptr; }, m_folder);
  ASSERT_TRUE(port.Init(&m_handler, 1, 9600));
  const unsigned char a[] = {'a', 'b'};
  port.dispatch(a, 1);
  m_handler.armed = true;
  port.dispatch(a + 1, 1);
  EXPECT_EQ(m_handler.text(), "ab");
  EXPECT_EQ(m_handler.matched(), "b");

  port.BeginTransferMode();
  std::vector<unsigned char> bytes(TransferRing::kCapacity + 1);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7);
  port.dispatch(bytes.data(), bytes.size());
  EXPECT_EQ(port.queuedTransferBytes(), TransferRing::kCapacity); // the 64,001st byte is dropped
  EXPECT_EQ(m_handler.text(), "ab");
  unsigned char byte = 0;
  std::size_t n = 0;
  bool inOrder = true;
  while (port.ReadQueuedByte(byte)) {
    inOrder = inOrder && byte == bytes[n];
    ++n;
  }
  EXPECT_EQ(n, TransferRing::kCapacity);
  EXPECT_TRUE(inOrder);
  // After a wrap the ring still keeps order.
  port.dispatch(bytes.data(), 100);
  for (std::size_t i = 0; i < 100; ++i) {
    ASSERT_TRUE(port.ReadQueuedByte(byte));
    EXPECT_EQ(byte, bytes[i]);
  }
  EXPECT_FALSE(port.ReadQueuedByte(byte));

  EXPECT_FALSE(port.TransferAbortRequested());
  port.RequestTransferAbort();
  EXPECT_TRUE(port.TransferAbortRequested());
  const int clears = m_handler.clears;
  port.EndTransferMode();
  EXPECT_EQ(m_handler.clears, clears + 1);
  port.BeginTransferMode(); // a new transfer starts unaborted and empty
  EXPECT_FALSE(port.TransferAbortRequested());
  EXPECT_EQ(port.queuedTransferBytes(), 0u);
}

TEST_F(CommPortTest, RingBetweenTwoThreadsKeepsEveryByte) {
  CommPort port([](std::uint8_t) { return nullptr; }, m_folder);
  ASSERT_TRUE(port.Init(&m_handler, 1, 9600));
  port.BeginTransferMode();
  constexpr std::size_t kTotal = 300000;
  std::thread producer([&] {
    unsigned char block[80];
    for (std::size_t sent = 0; sent < kTotal;) {
      if (port.queuedTransferBytes() > TransferRing::kCapacity - sizeof block) {
        std::this_thread::yield();
        continue;
      }
      for (std::size_t i = 0; i < sizeof block; ++i) block[i] = static_cast<unsigned char>((sent + i) % 251);
      const std::size_t n = std::min(sizeof block, kTotal - sent);
      port.dispatch(block, n);
      sent += n;
    }
  });
  std::size_t received = 0;
  bool inOrder = true;
  const auto end = std::chrono::steady_clock::now() + 20s;
  while (received < kTotal && std::chrono::steady_clock::now() < end) {
    unsigned char byte;
    if (port.ReadQueuedByte(byte)) {
      inOrder = inOrder && byte == received % 251;
      ++received;
    }
  }
  producer.join();
  EXPECT_EQ(received, kTotal);
  EXPECT_TRUE(inOrder);
}
