#include "client/online/TelnetModemDevice.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace kiro::online {
namespace {

// Bytes the device holds for the port before it stops reading the socket
// (TCP then slows the host down instead of losing bytes).
constexpr std::size_t kPortQueueLimit = 16000;
constexpr std::size_t kNetQueueLimit = 64000;

void closeFd(int& fd) {
  if (fd >= 0) {
    ::close(fd);
    fd = -1;
  }
}

} // namespace

std::optional<TelnetTarget> parseTelnetTarget(const std::string& entry) {
  TelnetTarget target;
  std::string rest = entry;
  // Surrounding blanks are a typing slip in a phone book, not part of a name.
  rest.erase(0, rest.find_first_not_of(" \t"));
  rest.erase(rest.find_last_not_of(" \t") + 1);
  if (rest.size() > 4 && (rest.compare(0, 4, "raw:") == 0 || rest.compare(0, 4, "RAW:") == 0)) {
    target.telnet = false;
    rest.erase(0, 4);
  }
  std::size_t colon = rest.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 >= rest.size()) {
    return std::nullopt;
  }
  target.host = rest.substr(0, colon);
  target.port = rest.substr(colon + 1);
  if (target.host.size() > 2 && target.host.front() == '[' && target.host.back() == ']') {
    target.host = target.host.substr(1, target.host.size() - 2);
  }
  if (!std::all_of(target.port.begin(), target.port.end(), [](unsigned char c) { return std::isdigit(c); })) {
    return std::nullopt;
  }
  return target;
}

TelnetModemDevice::TelnetModemDevice(TelnetModemOptions options) : m_options(std::move(options)) {
  m_modem.setTimeScale(m_options.timeScale);
}

TelnetModemDevice::~TelnetModemDevice() { close(); }

std::int64_t TelnetModemDevice::nowMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool TelnetModemDevice::open(const LineSettings& settings) {
  std::unique_lock<std::mutex> lock(m_mutex);
  if (m_open) {
    m_error = "already open";
    return false;
  }
  if (::pipe2(m_wakePipe, O_NONBLOCK | O_CLOEXEC) != 0) {
    m_error = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  m_settings = settings;
  m_modem = HayesModem{};
  m_mode = Mode::Command;
  m_stop = false;
  m_interrupt = false;
  m_dtr = false;
  m_open = true;
  m_toPort.clear();
  m_paced.clear();
  m_toNet.clear();
  try {
    m_worker = std::thread(&TelnetModemDevice::worker, this);
  } catch (const std::system_error& e) {
    m_open = false;
    closeFd(m_wakePipe[0]);
    closeFd(m_wakePipe[1]);
    m_error = e.what();
    return false;
  }
  return true;
}

void TelnetModemDevice::close() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open) {
      return;
    }
    m_stop = true;
    wake();
  }
  if (m_worker.joinable()) {
    m_worker.join();
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  closeFd(m_socket);
  closeFd(m_wakePipe[0]);
  closeFd(m_wakePipe[1]);
  m_open = false;
  m_mode = Mode::Command;
  m_toPort.clear();
  m_paced.clear();
  m_toNet.clear();
  m_portReadable.notify_all();
  m_netWritable.notify_all();
}

bool TelnetModemDevice::isOpen() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_open;
}

bool TelnetModemDevice::online() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_mode == Mode::Online;
}

std::string TelnetModemDevice::lastError() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_error;
}

void TelnetModemDevice::wake() {
  if (m_wakePipe[1] >= 0) {
    const char one = 1;
    [[maybe_unused]] ssize_t r = ::write(m_wakePipe[1], &one, 1);
  }
}

bool TelnetModemDevice::waitForData() {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_portReadable.wait(lock, [this] { return !m_toPort.empty() || m_interrupt || !m_open; });
  if (m_interrupt) {
    m_interrupt = false;
    return false;
  }
  return !m_toPort.empty();
}

void TelnetModemDevice::interruptWait() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_interrupt = true;
  m_portReadable.notify_all();
}

std::size_t TelnetModemDevice::queuedBytes() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_toPort.size();
}

IoResult TelnetModemDevice::read(unsigned char* buffer, std::size_t size, int timeoutMs) {
  std::unique_lock<std::mutex> lock(m_mutex);
  if (!m_open) {
    return {0, EBADF};
  }
  if (m_toPort.empty() && timeoutMs > 0) {
    m_portReadable.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [this] { return !m_toPort.empty() || !m_open; });
  }
  const std::size_t n = std::min(size, m_toPort.size());
  std::copy_n(m_toPort.begin(), n, buffer);
  m_toPort.erase(m_toPort.begin(), m_toPort.begin() + static_cast<std::ptrdiff_t>(n));
  if (n > 0) {
    wake(); // the worker may have stopped reading the socket for lack of room
  }
  return {n, 0};
}

void TelnetModemDevice::toPort(const std::string& bytes) {
  m_toPort.insert(m_toPort.end(), bytes.begin(), bytes.end());
  m_portReadable.notify_all();
}

void TelnetModemDevice::runActions(const std::vector<ModemAction>& actions) {
  for (const ModemAction& action : actions) {
    switch (action.kind) {
    case ModemAction::Kind::ToPort:
      toPort(action.text);
      break;
    case ModemAction::Kind::Dial:
      m_mode = Mode::Dialing;
      m_pendingDial = action.text;
      m_abortDial = false;
      wake();
      break;
    case ModemAction::Kind::HangUp:
      dropConnection(false);
      break;
    case ModemAction::Kind::GoOnline:
      if (m_socket >= 0 && !m_connecting) {
        m_mode = Mode::Online;
        m_modem.resetEscape(nowMs());
        toPort(m_modem.resultText(ModemResult::Connect, m_settings.baudRate));
      } else {
        toPort(m_modem.resultText(ModemResult::NoCarrier));
      }
      break;
    }
  }
}

IoResult TelnetModemDevice::write(const unsigned char* data, std::size_t size, int timeoutMs) {
  std::unique_lock<std::mutex> lock(m_mutex);
  if (!m_open) {
    return {0, EBADF};
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (std::size_t i = 0; i < size; ++i) {
    switch (m_mode) {
    case Mode::Command:
      runActions(m_modem.commandByte(data[i]));
      break;
    case Mode::Dialing:
      // A key pressed while dialling abandons the call.
      m_abortDial = true;
      wake();
      break;
    case Mode::Online: {
      m_modem.onlineByte(data[i], nowMs());
      if (m_telnet) {
        m_codec.encode(&data[i], 1, m_toNet);
      } else {
        m_toNet.push_back(static_cast<char>(data[i]));
      }
      if (m_toNet.size() >= m_settings.outputQueue) {
        wake();
        const bool room = m_netWritable.wait_until(lock, deadline, [this] {
          return m_toNet.size() < m_settings.outputQueue || m_mode != Mode::Online || !m_open;
        });
        if (!room) {
          return {i + 1, ETIMEDOUT};
        }
      }
      break;
    }
    }
  }
  wake();
  return {size, 0};
}

bool TelnetModemDevice::setDtr(bool raised) {
  std::unique_lock<std::mutex> lock(m_mutex);
  if (!m_open) {
    return false;
  }
  const bool dropped = m_dtr && !raised;
  m_dtr = raised;
  if (!dropped) {
    return true;
  }
  if (m_mode == Mode::Dialing) {
    m_abortDial = true;
    wake();
    return true;
  }
  if (m_socket < 0) {
    return true;
  }
  switch (m_modem.dtrDropAction()) {
  case HayesModem::DtrAction::Ignore:
    break;
  case HayesModem::DtrAction::CommandMode:
    if (m_mode == Mode::Online) {
      m_mode = Mode::Command;
      toPort(m_modem.resultText(ModemResult::Ok));
    }
    break;
  case HayesModem::DtrAction::HangUp:
    dropConnection(false);
    toPort(m_modem.resultText(ModemResult::Ok));
    break;
  }
  return true;
}

void TelnetModemDevice::purge() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_toPort.clear();
  m_paced.clear();
  m_netWritable.notify_all();
}

std::size_t TelnetModemDevice::queuedForNet() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_toNet.size();
}

bool TelnetModemDevice::takeCarrierLost() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return std::exchange(m_carrierLost, false);
}

void TelnetModemDevice::dropConnection(bool sayNoCarrier) {
  const bool had = m_socket >= 0;
  if (had && sayNoCarrier && !m_connecting) {
    m_carrierLost = true;
  }
  closeFd(m_socket);
  m_connecting = false;
  m_mode = Mode::Command;
  m_modem.setConnected(false);
  m_toNet.clear();
  m_paced.clear();
  m_netWritable.notify_all();
  if (had && sayNoCarrier) {
    toPort(m_modem.resultText(ModemResult::NoCarrier));
  }
}

void TelnetModemDevice::dialFailed(ModemResult result) {
  closeFd(m_socket);
  m_connecting = false;
  m_mode = Mode::Command;
  toPort(m_modem.resultText(result));
}

void TelnetModemDevice::connected() {
  m_connecting = false;
  int one = 1;
  ::setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  m_mode = Mode::Online;
  m_modem.setConnected(true);
  m_modem.resetEscape(nowMs());
  m_codec = TelnetCodec{};
  m_toNet.clear();
  if (m_telnet) {
    m_toNet = m_codec.start();
  }
  m_pacingCredit = 0.0;
  m_sendCredit = 0.0;
  m_pacingStamp = nowMs();
  toPort(m_modem.resultText(ModemResult::Connect, m_settings.baudRate));
}

void TelnetModemDevice::startDial(const std::string& digits, std::unique_lock<std::mutex>& lock) {
  const std::optional<std::string> entry = m_options.phoneBook ? m_options.phoneBook(digits) : std::nullopt;
  const std::optional<TelnetTarget> target = entry ? parseTelnetTarget(*entry) : std::nullopt;
  if (!target) {
    dialFailed(ModemResult::NoCarrier);
    return;
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  lock.unlock();
  const int rc = ::getaddrinfo(target->host.c_str(), target->port.c_str(), &hints, &list);
  lock.lock();
  if (rc != 0 || list == nullptr || m_stop) {
    if (list != nullptr) {
      ::freeaddrinfo(list);
    }
    dialFailed(ModemResult::NoCarrier);
    return;
  }
  ModemResult failure = ModemResult::NoCarrier;
  for (addrinfo* ai = list; ai != nullptr; ai = ai->ai_next) {
    m_socket = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
    if (m_socket < 0) {
      continue;
    }
    if (::connect(m_socket, ai->ai_addr, ai->ai_addrlen) == 0) {
      ::freeaddrinfo(list);
      m_telnet = target->telnet;
      connected();
      return;
    }
    if (errno == EINPROGRESS) {
      ::freeaddrinfo(list);
      m_telnet = target->telnet;
      m_connecting = true;
      m_connectDeadline =
          nowMs() + std::max<std::int64_t>(1, static_cast<std::int64_t>(m_options.connectTimeOutMs * m_options.timeScale));
      return;
    }
    // A refusal is the line being busy; try the host's other addresses first.
    if (errno == ECONNREFUSED) {
      failure = ModemResult::Busy;
    }
    closeFd(m_socket);
  }
  ::freeaddrinfo(list);
  dialFailed(failure);
}

void TelnetModemDevice::receiveFromNet() {
  unsigned char buffer[4096];
  const ssize_t n = ::recv(m_socket, buffer, sizeof buffer, MSG_DONTWAIT);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
    return;
  }
  if (n <= 0) {
    dropConnection(true); // the host hung up
    return;
  }
  std::string data;
  std::string reply;
  if (m_telnet) {
    m_codec.decode(buffer, static_cast<std::size_t>(n), data, reply);
  } else {
    data.assign(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
  }
  m_toNet += reply;
  if (m_mode != Mode::Online) {
    return; // in command mode the host's bytes are not the computer's business
  }
  if (m_options.pacing) {
    m_paced.insert(m_paced.end(), data.begin(), data.end());
  } else if (!data.empty()) {
    toPort(data);
  }
}

void TelnetModemDevice::releasePaced(std::int64_t now) {
  if (!m_options.pacing) {
    return;
  }
  // Ten bits a byte on an 8N1 line; an idle line saves up one byte at most.
  const double bytes = static_cast<double>(now - m_pacingStamp) * static_cast<double>(m_settings.baudRate) / 10000.0;
  m_pacingStamp = now;
  m_pacingCredit = m_paced.empty() ? std::min(m_pacingCredit + bytes, 1.0) : m_pacingCredit + bytes;
  m_sendCredit = m_toNet.empty() ? std::min(m_sendCredit + bytes, 1.0) : m_sendCredit + bytes;
  const std::size_t n = std::min(m_paced.size(), static_cast<std::size_t>(m_pacingCredit));
  if (n > 0) {
    toPort(std::string(m_paced.begin(), m_paced.begin() + static_cast<std::ptrdiff_t>(n)));
    m_paced.erase(m_paced.begin(), m_paced.begin() + static_cast<std::ptrdiff_t>(n));
    m_pacingCredit -= static_cast<double>(n);
  }
}

void TelnetModemDevice::sendToNet() {
  if (m_socket < 0 || m_toNet.empty()) {
    return;
  }
  std::size_t size = m_toNet.size();
  if (m_options.pacing) {
    size = std::min(size, static_cast<std::size_t>(m_sendCredit));
    if (size == 0) {
      return;
    }
  }
  const ssize_t n = ::send(m_socket, m_toNet.data(), size, MSG_DONTWAIT | MSG_NOSIGNAL);
  if (n > 0) {
    m_toNet.erase(0, static_cast<std::size_t>(n));
    if (m_options.pacing) {
      m_sendCredit -= static_cast<double>(n);
    }
    m_netWritable.notify_all();
  } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
    dropConnection(true);
  }
}

void TelnetModemDevice::worker() {
  std::unique_lock<std::mutex> lock(m_mutex);
  while (!m_stop) {
    std::int64_t now = nowMs();
    if (m_pendingDial) {
      const std::string digits = std::move(*m_pendingDial);
      m_pendingDial.reset();
      startDial(digits, lock);
      continue;
    }
    if (m_mode == Mode::Dialing && (m_abortDial || (m_connecting && now >= m_connectDeadline))) {
      m_abortDial = false;
      dialFailed(ModemResult::NoCarrier);
    }
    if (m_mode == Mode::Online && m_modem.escapeComplete(now)) {
      m_mode = Mode::Command;
      toPort(m_modem.resultText(ModemResult::Ok));
    }
    releasePaced(now);

    pollfd fds[2] = {{m_wakePipe[0], POLLIN, 0}, {m_socket, 0, 0}};
    if (m_socket >= 0) {
      if (m_connecting) {
        fds[1].events = POLLOUT;
      } else {
        // A peer that floods option requests without reading our answers
        // is not read from either until they have gone out: its flood
        // waits in its own socket buffers, not in our memory.
        if (m_toPort.size() + m_paced.size() < kPortQueueLimit && m_toNet.size() < kNetQueueLimit) {
          fds[1].events |= POLLIN;
        }
        if (!m_toNet.empty() && (!m_options.pacing || m_sendCredit >= 1.0)) {
          fds[1].events |= POLLOUT;
        }
      }
    }
    std::int64_t wakeAt = -1;
    auto earliest = [&wakeAt](std::int64_t t) {
      if (t >= 0 && (wakeAt < 0 || t < wakeAt)) {
        wakeAt = t;
      }
    };
    if (m_mode == Mode::Online) {
      earliest(m_modem.escapeDeadline());
    }
    if (m_connecting) {
      earliest(m_connectDeadline);
    }
    if (m_options.pacing && (!m_paced.empty() || (!m_toNet.empty() && m_sendCredit < 1.0))) {
      earliest(now + 1);
    }
    const int timeout = wakeAt < 0 ? -1 : static_cast<int>(std::max<std::int64_t>(0, wakeAt - now));

    // Counted under the lock: a writer may close the socket meanwhile.
    const nfds_t count = fds[1].fd >= 0 ? 2 : 1;
    lock.unlock();
    const int ready = ::poll(fds, count, timeout);
    lock.lock();
    if (ready < 0) {
      continue;
    }
    if (fds[0].revents & POLLIN) {
      char drain[64];
      while (::read(m_wakePipe[0], drain, sizeof drain) > 0) {
      }
    }
    // The socket may have been closed or replaced while the lock was free.
    if (m_socket < 0 || fds[1].fd != m_socket || fds[1].revents == 0) {
      continue;
    }
    if (m_connecting) {
      int error = 0;
      socklen_t length = sizeof error;
      ::getsockopt(m_socket, SOL_SOCKET, SO_ERROR, &error, &length);
      if (error == 0) {
        connected();
      } else {
        dialFailed(error == ECONNREFUSED ? ModemResult::Busy : ModemResult::NoCarrier);
      }
      continue;
    }
    if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
      receiveFromNet();
    }
    if (m_socket >= 0 && (fds[1].revents & POLLOUT)) {
      sendToNet();
    }
  }
}

} // namespace kiro::online
