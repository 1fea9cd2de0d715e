#pragma once

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace kiro::online::test {

using namespace std::chrono_literals;

// A loopback host written for these tests, independent of the device's own
// Telnet code: it agrees to BINARY and SGA, refuses nothing else it is not
// asked, and either echoes, greets and hangs up, or just listens.
class LoopbackHost {
public:
  enum class Behaviour { Echo, GreetThenEcho, HangUpAfterGreeting, NeverRead, FloodOptions };

  explicit LoopbackHost(Behaviour behaviour, bool telnet = true) : m_behaviour(behaviour), m_telnet(telnet) {
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    if (behaviour == Behaviour::NeverRead || behaviour == Behaviour::FloodOptions) {
      const int small = 4096;
      ::setsockopt(m_listen, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(m_listen, 4);
    socklen_t length = sizeof addr;
    ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &length);
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { serve(); });
  }
  ~LoopbackHost() {
    m_stop = true;
    m_thread.join();
    ::close(m_listen);
  }
  std::string entry() const { return std::string(m_telnet ? "" : "raw:") + "127.0.0.1:" + std::to_string(m_port); }
  bool waitClosed(int timeoutMs = 5000) {
    for (int i = 0; i < timeoutMs / 10 && !m_closed; ++i) std::this_thread::sleep_for(10ms);
    return m_closed;
  }
  std::size_t flooded() const { return m_flooded; }
  std::string received() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_data;
  }

private:
  void serve() {
    int client = -1;
    while (!m_stop && client < 0) {
      pollfd pfd{m_listen, POLLIN, 0};
      if (::poll(&pfd, 1, 20) > 0) client = ::accept(m_listen, nullptr, nullptr);
    }
    if (client < 0) return;
    if (m_behaviour == Behaviour::FloodOptions) {
      // Option requests as fast as the line takes them; the answers are
      // never read.
      std::string flood;
      for (int i = 0; i < 4096; ++i) flood += std::string{char(255), char(253), char(24 + i % 8)};
      while (!m_stop) {
        pollfd pfd{client, POLLOUT, 0};
        if (::poll(&pfd, 1, 20) > 0 && ::send(client, flood.data(), flood.size(), MSG_NOSIGNAL | MSG_DONTWAIT) > 0)
          m_flooded += flood.size();
      }
      ::close(client);
      return;
    }
    if (m_behaviour == Behaviour::NeverRead) {
      while (!m_stop) std::this_thread::sleep_for(10ms);
      ::close(client);
      return;
    }
    if (m_behaviour == Behaviour::HangUpAfterGreeting) {
      const char greeting[] = "HOST NAME?\r\n*";
      ::send(client, greeting, sizeof greeting - 1, MSG_NOSIGNAL);
      std::this_thread::sleep_for(100ms);
      ::close(client);
      m_closed = true;
      return;
    }
    if (m_behaviour == Behaviour::GreetThenEcho) {
      const char greeting[] = "HOST NAME?\r\n*";
      ::send(client, greeting, sizeof greeting - 1, MSG_NOSIGNAL);
    }
    int state = 0; // 0 data, 1 after IAC, 2 option verb
    unsigned char verb = 0;
    while (!m_stop) {
      pollfd pfd{client, POLLIN, 0};
      if (::poll(&pfd, 1, 20) <= 0) continue;
      unsigned char buffer[512];
      const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      std::string out;
      for (ssize_t i = 0; i < n; ++i) {
        const unsigned char b = buffer[i];
        if (!m_telnet) {
          record(b, out);
        } else if (state == 0 && b == 255) {
          state = 1;
        } else if (state == 0) {
          record(b, out);
        } else if (state == 1 && b == 255) {
          record(b, out);
          state = 0;
        } else if (state == 1 && b >= 251) {
          verb = b;
          state = 2;
        } else if (state == 1) {
          state = 0;
        } else {
          // DO x -> WILL x, WILL x -> DO x for BINARY/SGA, once each.
          if ((b == 0 || b == 3) && (verb == 253 || verb == 251) && !m_agreed[b][verb == 253]) {
            m_agreed[b][verb == 253] = true;
            out += std::string{char(255), char(verb == 253 ? 251 : 253), char(b)};
          }
          state = 0;
        }
      }
      if (!out.empty()) ::send(client, out.data(), out.size(), MSG_NOSIGNAL);
    }
    ::close(client);
    m_closed = true;
  }
  void record(unsigned char b, std::string& out) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_data.push_back(char(b));
    }
    out.push_back(char(b));
    if (m_telnet && b == 255) out.push_back(char(255));
  }

  Behaviour m_behaviour;
  bool m_telnet;
  int m_listen = -1;
  int m_port = 0;
  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_closed{false};
  std::atomic<std::size_t> m_flooded{0};
  bool m_agreed[4][2] = {};
  std::mutex m_mutex;
  std::string m_data;
};

// A loopback port nobody listens on.
inline int refusedPort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t length = sizeof addr;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &length);
  ::close(s);
  return ntohs(addr.sin_port);
}

} // namespace kiro::online::test
