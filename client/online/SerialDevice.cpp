#include "client/online/SerialDevice.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#if __has_include(<linux/serial.h>)
#include <linux/serial.h>
#define KIRO_HAVE_ICOUNT 1
#endif

namespace kiro::online {
namespace {

speed_t speedFor(std::uint32_t baud) {
  switch (baud) {
  case 300: return B300;
  case 1200: return B1200;
  case 2400: return B2400;
  case 4800: return B4800;
  case 9600: return B9600;
  case 19200: return B19200;
  case 38400: return B38400;
  case 57600: return B57600;
  case 115200: return B115200;
  default: return B0;
  }
}

std::int64_t nowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

SerialDevice::SerialDevice(std::string path) : m_path(std::move(path)) {}

SerialDevice::~SerialDevice() {
  close();
}

bool SerialDevice::open(const LineSettings& settings) {
  if (m_fd >= 0) {
    m_error = "already open";
    return false;
  }
  m_fd = ::open(m_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (m_fd < 0) {
    m_error = m_path + ": " + std::strerror(errno);
    return false;
  }
  // Exclusive, like a COM port: another program holding the lock (minicom,
  // a second client) keeps us out, and later opens are refused by the tty.
  if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
    m_error = m_path + ": in use by another program";
    ::close(m_fd);
    m_fd = -1;
    return false;
  }
  ::ioctl(m_fd, TIOCEXCL);
  if (!configure(settings)) {
    ::close(m_fd);
    m_fd = -1;
    return false;
  }
  m_wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (m_wakeFd < 0) {
    m_error = std::string("eventfd: ") + std::strerror(errno);
    ::close(m_fd);
    m_fd = -1;
    return false;
  }
  m_haveCounters = readErrorCounters(m_lastCounters);
  return true;
}

bool SerialDevice::configure(const LineSettings& settings) {
  termios tio{};
  if (::tcgetattr(m_fd, &tio) != 0) {
    m_error = m_path + ": not a serial device (" + std::strerror(errno) + ")";
    return false;
  }
  const speed_t speed = speedFor(settings.baudRate);
  if (speed == B0 || settings.byteSize != 8) {
    m_error = m_path + ": unsupported line settings";
    return false;
  }
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CREAD | CLOCAL; // CLOCAL: the modem's carrier does not gate the port
  // HUPCL: should the client die without closing, the last close of the
  // port still drops DTR and the modem hangs up.
  tio.c_cflag |= HUPCL;
  if (settings.flowControl & kFlowRtsCts) {
    tio.c_cflag |= CRTSCTS;
  }
  tio.c_iflag &= ~(IXON | IXOFF | IXANY);
  if (settings.flowControl & kFlowXonXoff) {
    tio.c_iflag |= IXON | IXOFF;
  }
  tio.c_cc[VSTART] = 0x11;
  tio.c_cc[VSTOP] = 0x13;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  ::cfsetispeed(&tio, speed);
  ::cfsetospeed(&tio, speed);
  if (::tcsetattr(m_fd, TCSANOW, &tio) != 0) {
    m_error = m_path + ": line settings refused (" + std::strerror(errno) + ")";
    return false;
  }
  return true;
}

void SerialDevice::close() {
  if (m_fd >= 0) {
    // Give the exclusive hold back, so the next open (ours or another
    // program's) is not refused while some other handle keeps the tty alive.
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
    m_fd = -1;
  }
  if (m_wakeFd >= 0) {
    ::close(m_wakeFd);
    m_wakeFd = -1;
  }
}

bool SerialDevice::waitForData() {
  if (m_fd < 0) {
    return false;
  }
  pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
  for (;;) {
    const int n = ::poll(fds, 2, -1);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      return false;
    }
    if (fds[1].revents & POLLIN) {
      std::uint64_t value = 0;
      [[maybe_unused]] ssize_t r = ::read(m_wakeFd, &value, sizeof value);
      return false;
    }
    return (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
  }
}

void SerialDevice::interruptWait() {
  if (m_wakeFd >= 0) {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t r = ::write(m_wakeFd, &one, sizeof one);
  }
}

std::size_t SerialDevice::queuedBytes() {
  int queued = 0;
  if (m_fd < 0 || ::ioctl(m_fd, FIONREAD, &queued) != 0 || queued < 0) {
    return 0;
  }
  return static_cast<std::size_t>(queued);
}

IoResult SerialDevice::read(unsigned char* buffer, std::size_t size, int timeoutMs) {
  if (m_fd < 0) {
    return {0, EBADF};
  }
  const std::int64_t deadline = nowMs() + timeoutMs;
  for (;;) {
    const ssize_t n = ::read(m_fd, buffer, size);
    if (n > 0) {
      return {static_cast<std::size_t>(n), 0};
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
      return {0, errno};
    }
    // A hung-up line reads as empty for ever; tell it apart from "no data
    // yet" so the reader reports it instead of spinning.
    pollfd pfd{m_fd, POLLIN, 0};
    if (::poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR))) {
      return {0, EIO};
    }
    const std::int64_t left = deadline - nowMs();
    if (left <= 0) {
      return {0, 0};
    }
    ::poll(&pfd, 1, static_cast<int>(left));
  }
}

IoResult SerialDevice::write(const unsigned char* data, std::size_t size, int timeoutMs) {
  if (m_fd < 0) {
    return {0, EBADF};
  }
  const std::int64_t deadline = nowMs() + timeoutMs;
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(m_fd, data + done, size - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
      return {done, errno};
    }
    const std::int64_t left = deadline - nowMs();
    if (left <= 0) {
      return {done, ETIMEDOUT};
    }
    pollfd pfd{m_fd, POLLOUT, 0};
    ::poll(&pfd, 1, static_cast<int>(left));
  }
  return {done, 0};
}

bool SerialDevice::setDtr(bool raised) {
  if (m_fd < 0) {
    return false;
  }
  int bits = TIOCM_DTR;
  // Pseudo-terminals have no modem lines; that is not an error worth more
  // than the false result.
  return ::ioctl(m_fd, raised ? TIOCMBIS : TIOCMBIC, &bits) == 0;
}

void SerialDevice::purge() {
  if (m_fd >= 0) {
    ::tcflush(m_fd, TCIOFLUSH);
  }
}

bool SerialDevice::readErrorCounters(std::uint32_t counters[4]) {
#ifdef KIRO_HAVE_ICOUNT
  serial_icounter_struct icount{};
  if (m_fd >= 0 && ::ioctl(m_fd, TIOCGICOUNT, &icount) == 0) {
    counters[0] = static_cast<std::uint32_t>(icount.buf_overrun);
    counters[1] = static_cast<std::uint32_t>(icount.overrun);
    counters[2] = static_cast<std::uint32_t>(icount.parity);
    counters[3] = static_cast<std::uint32_t>(icount.frame);
    return true;
  }
#else
  (void)counters;
#endif
  return false;
}

bool SerialDevice::takeCarrierLost() {
  int lines = 0;
  if (m_fd < 0 || ::ioctl(m_fd, TIOCMGET, &lines) != 0) {
    return false;
  }
  const bool carrier = (lines & TIOCM_CAR) != 0;
  const bool lost = m_hadCarrier && !carrier;
  m_hadCarrier = carrier;
  return lost;
}

std::uint32_t SerialDevice::takeErrorFlags() {
  if (!m_haveCounters) {
    return 0;
  }
  std::uint32_t now[4] = {};
  if (!readErrorCounters(now)) {
    return 0;
  }
  static constexpr std::uint32_t kFlags[4] = {kCeRxOver, kCeOverrun, kCeRxParity, kCeFrame};
  std::uint32_t flags = 0;
  for (int i = 0; i < 4; ++i) {
    if (now[i] != m_lastCounters[i]) {
      flags |= kFlags[i];
    }
    m_lastCounters[i] = now[i];
  }
  return flags;
}

} // namespace kiro::online
