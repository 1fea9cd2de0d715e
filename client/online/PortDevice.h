#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The device behind CommPort: a serial port on termios or the TELNET virtual
// modem. All calls but interruptWait() come from one thread at a time per
// direction: the reader thread reads and waits, writers are serialised by
// CommPort, open/close/setDtr/purge run on the main thread while the reader
// is not running (or, for setDtr, while it is).
namespace kiro::online {

// Flow-control bits of the port record.
inline constexpr std::uint8_t kFlowDtrDsr = 0x01;
inline constexpr std::uint8_t kFlowRtsCts = 0x02;
inline constexpr std::uint8_t kFlowXonXoff = 0x04;

struct LineSettings {
  std::uint32_t baudRate = 9600;
  std::uint8_t byteSize = 8;
  std::uint8_t flowControl = kFlowRtsCts;
  std::uint8_t parity = 0;   // none
  std::uint8_t stopBits = 0; // one stop bit
  std::size_t inputQueue = 16000;
  std::size_t outputQueue = 16000;
};

// Result of a read or write: bytes moved and an errno value (0 = none).
// A write that ran out of time reports the bytes it moved and ETIMEDOUT.
struct IoResult {
  std::size_t count = 0;
  int error = 0;
};

// Comm error flags as the original driver reported them.
inline constexpr std::uint32_t kCeRxOver = 0x0001;
inline constexpr std::uint32_t kCeOverrun = 0x0002;
inline constexpr std::uint32_t kCeRxParity = 0x0004;
inline constexpr std::uint32_t kCeFrame = 0x0008;
inline constexpr std::uint32_t kCeBreak = 0x0010;

class PortDevice {
public:
  virtual ~PortDevice() = default;

  // Opens and configures the device; false with lastError() on failure.
  virtual bool open(const LineSettings& settings) = 0;
  // Closes the device; closing a closed device does nothing.
  virtual void close() = 0;
  virtual bool isOpen() const = 0;

  // Blocks until received bytes are queued or interruptWait() is called.
  // Returns false when interrupted (or the device is closed).
  virtual bool waitForData() = 0;
  // Releases a waitForData() on another thread; the next wait blocks again.
  virtual void interruptWait() = 0;

  // Bytes queued for reading now.
  virtual std::size_t queuedBytes() = 0;
  // Reads up to `size` bytes; waits at most timeoutMs for the first byte.
  virtual IoResult read(unsigned char* buffer, std::size_t size, int timeoutMs) = 0;
  // Writes the whole block or gives up after timeoutMs (ETIMEDOUT).
  virtual IoResult write(const unsigned char* data, std::size_t size, int timeoutMs) = 0;

  virtual bool setDtr(bool raised) = 0;
  // Discards everything queued in both directions.
  virtual void purge() = 0;
  // Takes (and clears) the comm error flags gathered since the last call.
  virtual std::uint32_t takeErrorFlags() { return 0; }
  // True once after an established connection lost its carrier (the host
  // hung up, the line dropped); reader thread.
  virtual bool takeCarrierLost() { return false; }

  virtual std::string lastError() const = 0;
};

} // namespace kiro::online
