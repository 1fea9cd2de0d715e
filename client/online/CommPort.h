#pragma once

#include "client/online/PortDevice.h"
#include "client/online/ReceiveHandler.h"
#include "client/online/TransferRing.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

namespace kiro::online {

// Makes the device for a port number: 1 to 4 a serial port, above 4 the
// TELNET virtual modem. Tests hand in their own.
using PortDeviceFactory = std::function<std::unique_ptr<PortDevice>(std::uint8_t port)>;

// The device factory the client uses (SerialDevice / TelnetModemDevice, paths
// and phone book from the registry).
// timeScale: the session tick over 500 ms, for the virtual modem's waits.
PortDeviceFactory defaultPortDeviceFactory(double timeScale = 1.0);

// The client's one line to the outside world. Main thread: Init, Reconfigure,
// Shutdown, Open, Close, Write, BeginTransferMode. Reader thread: the byte
// dispatcher and capture-file appends. Transfer thread: ReadQueuedByte,
// WriteByte, EndTransferMode, TransferModeEnded, TransferAbortRequested.
// Every operation returns false and does nothing until Init has succeeded.
class CommPort {
public:
  static constexpr std::size_t kReadBlock = 80;
  static constexpr int kWriteTimeOutMs = 1000;
  static constexpr const char* kCaptureFileName = "Kiro.sys";

  // captureFolder holds "Kiro.sys" (the install folder; empty = current folder).
  explicit CommPort(PortDeviceFactory factory = defaultPortDeviceFactory(),
                    std::filesystem::path captureFolder = {});
  ~CommPort();
  CommPort(const CommPort&) = delete;
  CommPort& operator=(const CommPort&) = delete;

  // handler: the host session's prompt matcher and line watcher (may be null
  // and set later with setReceiveHandler while the port is closed).
  bool Init(ReceiveHandler* handler, std::uint8_t port, std::uint32_t baudRate);
  bool Reconfigure(std::uint8_t port, std::uint32_t baudRate);
  // Closes everything; the application ends its own event loop afterwards.
  void Shutdown();

  bool Open();
  void Close();
  bool IsConnected() const { return m_connected.load(std::memory_order_acquire); }

  bool Write(const void* bytes, std::size_t length);
  bool Write(std::string_view text) { return Write(text.data(), text.size()); }
  bool WriteByte(unsigned char byte);

  bool ReadQueuedByte(unsigned char& byte);
  void BeginTransferMode();
  void EndTransferMode();
  bool TransferModeEnded() const;
  bool TransferAbortRequested() const;
  // The progress window's cancel button during a transfer.
  void RequestTransferAbort();

  void setReceiveHandler(ReceiveHandler* handler);
  std::uint8_t port() const { return m_port; }
  std::uint32_t baudRate() const { return m_baudRate; }
  std::size_t queuedTransferBytes() const { return m_ring.size(); }
  std::filesystem::path capturePath() const;
  // Past this size the capture file is rotated (tests lower it).
  static constexpr std::uint64_t kCaptureLimit = 8u << 20;
  void setCaptureLimit(std::uint64_t bytes) { m_captureLimit = bytes; }

  // The byte dispatcher, public so tests (and injected error text) can feed it.
  void dispatch(const unsigned char* bytes, std::size_t length);

private:
  void readerLoop();
  void readBlocks();
  void feedCommError(std::uint32_t code);
  void feedErrorFlags();
  // The reader and a failed write both ask; one at a time.
  std::uint32_t takeErrorFlags();
  bool writeBlock(const unsigned char* data, std::size_t length);
  bool createCaptureFile();
  void closeCaptureFile();
  void appendCapture(const unsigned char* bytes, std::size_t length);

  PortDeviceFactory m_factory;
  std::filesystem::path m_captureFolder;
  bool m_record = false; // the port record exists (Init succeeded)
  std::uint8_t m_port = 1;
  std::uint32_t m_baudRate = 9600;
  LineSettings m_settings;
  std::unique_ptr<PortDevice> m_device;
  std::thread m_reader;
  std::atomic<bool> m_connected{false};
  std::atomic<ReceiveHandler*> m_handler{nullptr};

  TransferRing m_ring;
  std::atomic<bool> m_transferMode{false};
  std::atomic<bool> m_transferAbort{false};

  int m_captureFd = -1;
  std::uint64_t m_captureBytes = 0;
  std::uint64_t m_captureLimit = kCaptureLimit;
  std::mutex m_errorFlagsMutex;
  std::mutex m_writeMutex;    // a write starts after the previous one completed
  std::mutex m_dispatchMutex; // reader and injected error text never interleave
};

} // namespace kiro::online
