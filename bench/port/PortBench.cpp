// Throughput of the online link's TELNET path. The baseline is a plain
// loopback socket echoing the same bytes in the same block size, so the
// ratios say what the port, the reader thread and the virtual modem cost.
#include "client/online/CommPort.h"
#include "client/online/TelnetModemDevice.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace kiro::online;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::size_t kBytes = 4 * 1024 * 1024;
constexpr std::size_t kByteWrites = 256 * 1024;

// Echoes everything back, doubling nothing: the bench sends no 0xFF bytes,
// so Telnet and raw carry the same stream (negotiation is answered by
// swallowing it: the modem accepts silence as refusal of nothing).
class EchoHost {
public:
  EchoHost() {
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(m_listen, 8);
    socklen_t length = sizeof addr;
    ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &length);
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { serve(); });
  }
  ~EchoHost() {
    m_stop = true;
    m_thread.join();
    ::close(m_listen);
  }
  int port() const { return m_port; }

private:
  void serve() {
    while (!m_stop) {
      pollfd pfd{m_listen, POLLIN, 0};
      if (::poll(&pfd, 1, 20) <= 0) continue;
      const int client = ::accept(m_listen, nullptr, nullptr);
      int one = 1;
      ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      char buffer[16384];
      while (!m_stop) {
        pollfd c{client, POLLIN, 0};
        if (::poll(&c, 1, 20) <= 0) continue;
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        // Telnet commands (IAC ...) from the modem are not echoed.
        std::size_t out = 0;
        for (ssize_t i = 0; i < n; ++i) {
          if (static_cast<unsigned char>(buffer[i]) == 255 && i + 2 < n) {
            i += 2;
            continue;
          }
          buffer[out++] = buffer[i];
        }
        for (std::size_t sent = 0; sent < out;) {
          const ssize_t s = ::send(client, buffer + sent, out - sent, MSG_NOSIGNAL);
          if (s <= 0) break;
          sent += static_cast<std::size_t>(s);
        }
      }
      ::close(client);
    }
  }
  int m_listen = -1;
  int m_port = 0;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

class Counter final : public ReceiveHandler {
public:
  bool matchArmed() const override { return false; }
  void matchByte(unsigned char) override {}
  void watchByte(unsigned char) override { m_count.fetch_add(1, std::memory_order_relaxed); }
  void clearMatchBuffer() override {}
  bool waitFor(std::size_t n) {
    const auto end = Clock::now() + std::chrono::seconds(60);
    while (m_count.load(std::memory_order_relaxed) < n && Clock::now() < end) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return m_count.load(std::memory_order_relaxed) >= n;
  }
  std::atomic<std::size_t> m_count{0};
};

double seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double baseline(int port, std::size_t block) {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  ::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  int one = 1;
  ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  std::string data(block, 'k');
  std::atomic<std::size_t> got{0};
  const auto start = Clock::now();
  std::thread reader([&] {
    char buffer[16384];
    while (got < kBytes) {
      const ssize_t n = ::recv(s, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
  });
  for (std::size_t sent = 0; sent < kBytes; sent += block) {
    ::send(s, data.data(), block, MSG_NOSIGNAL);
  }
  reader.join();
  const double t = seconds(start);
  ::close(s);
  return t;
}

std::unique_ptr<CommPort> openPort(int hostPort, Counter& counter) {
  const std::string entry = "127.0.0.1:" + std::to_string(hostPort);
  auto port = std::make_unique<CommPort>(
      [entry](std::uint8_t) -> std::unique_ptr<PortDevice> {
        TelnetModemOptions options;
        options.phoneBook = [entry](const std::string&) { return std::optional<std::string>(entry); };
        return std::make_unique<TelnetModemDevice>(options);
      },
      std::filesystem::temp_directory_path());
  port->Init(&counter, 5, 57600);
  port->Open();
  port->Write("ATDT1\r");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  return port;
}

} // namespace

int main() {
  EchoHost host;
  const double base = baseline(host.port(), CommPort::kReadBlock);

  Counter counter;
  auto port = openPort(host.port(), counter);
  std::size_t start = counter.m_count;
  std::string block(CommPort::kReadBlock, 'k');
  auto t0 = Clock::now();
  for (std::size_t sent = 0; sent < kBytes; sent += block.size()) port->Write(block);
  const bool blocksDone = counter.waitFor(start + kBytes);
  const double blocks = seconds(t0);

  start = counter.m_count;
  t0 = Clock::now();
  for (std::size_t i = 0; i < kByteWrites; ++i) port->WriteByte('b');
  const bool bytesDone = counter.waitFor(start + kByteWrites);
  const double bytes = seconds(t0);
  port->Close();
  std::remove((std::filesystem::temp_directory_path() / "Kiro.sys").c_str());

  const double mb = static_cast<double>(kBytes) / (1024 * 1024);
  std::printf("baseline  loopback socket, 80-byte blocks : %8.1f MB/s\n", mb / base);
  std::printf("CommPort  TELNET modem, 80-byte Write     : %8.1f MB/s  (%.2f x baseline time)%s\n", mb / blocks,
              blocks / base, blocksDone ? "" : "  INCOMPLETE");
  std::printf("CommPort  TELNET modem, WriteByte         : %8.1f KB/s  (%.0f x a 57600 bps line)%s\n",
              static_cast<double>(kByteWrites) / 1024 / bytes, static_cast<double>(kByteWrites) / bytes / 5760.0,
              bytesDone ? "" : "  INCOMPLETE");
  return blocksDone && bytesDone ? 0 : 1;
}
