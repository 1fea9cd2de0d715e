#pragma once

#include "client/online/PortDevice.h"

#include <string>

namespace kiro::online {

// A COM port on a termios device (a real serial port, a USB adapter or a
// pseudo-terminal): raw 8-bit line, exclusive open, RTS/CTS from the flow
// bits, DTR through the modem-control lines where the device has them.
class SerialDevice final : public PortDevice {
public:
  explicit SerialDevice(std::string path);
  ~SerialDevice() override;

  bool open(const LineSettings& settings) override;
  void close() override;
  bool isOpen() const override { return m_fd >= 0; }
  bool waitForData() override;
  void interruptWait() override;
  std::size_t queuedBytes() override;
  IoResult read(unsigned char* buffer, std::size_t size, int timeoutMs) override;
  IoResult write(const unsigned char* data, std::size_t size, int timeoutMs) override;
  bool setDtr(bool raised) override;
  void purge() override;
  std::uint32_t takeErrorFlags() override;
  // DCD going from high to low (CLOCAL keeps the port usable meanwhile).
  bool takeCarrierLost() override;
  std::string lastError() const override { return m_error; }

  const std::string& path() const { return m_path; }

private:
  bool configure(const LineSettings& settings);
  bool readErrorCounters(std::uint32_t counters[4]);

  std::string m_path;
  int m_fd = -1;
  int m_wakeFd = -1; // eventfd that releases waitForData
  std::string m_error;
  std::uint32_t m_lastCounters[4] = {};
  bool m_haveCounters = false;
  bool m_hadCarrier = false; // reader thread
};

} // namespace kiro::online
