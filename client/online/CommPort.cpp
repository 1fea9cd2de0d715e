#include "client/online/CommPort.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kiro::online {

CommPort::CommPort(PortDeviceFactory factory, std::filesystem::path captureFolder)
    : m_factory(std::move(factory)), m_captureFolder(std::move(captureFolder)) {}

CommPort::~CommPort() { Shutdown(); }

std::filesystem::path CommPort::capturePath() const {
  return m_captureFolder.empty() ? std::filesystem::path(kCaptureFileName) : m_captureFolder / kCaptureFileName;
}

bool CommPort::createCaptureFile() {
  closeCaptureFile();
  const std::string path = capturePath().string();
  ::unlink(path.c_str());
  m_captureFd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, S_IRUSR | S_IWUSR);
  m_captureBytes = 0;
  // Without a capture file the port still works; nothing reads the file back.
  return m_captureFd >= 0;
}

void CommPort::closeCaptureFile() {
  if (m_captureFd >= 0) {
    ::close(m_captureFd);
    m_captureFd = -1;
  }
}

void CommPort::appendCapture(const unsigned char* bytes, std::size_t length) {
  if (m_captureFd >= 0 && m_captureBytes + length > m_captureLimit) {
    // A session left online for days must not fill the disk: the full file
    // becomes "Kiro.sys.1" (replacing the one before) and a new one begins.
    ::close(m_captureFd);
    const std::string path = capturePath().string();
    ::rename(path.c_str(), (path + ".1").c_str());
    m_captureFd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, S_IRUSR | S_IWUSR);
    m_captureBytes = 0;
  }
  m_captureBytes += length;
  while (m_captureFd >= 0 && length > 0) {
    const ssize_t n = ::write(m_captureFd, bytes, length);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return;
    }
    bytes += n;
    length -= static_cast<std::size_t>(n);
  }
}

bool CommPort::Init(ReceiveHandler* handler, std::uint8_t port, std::uint32_t baudRate) {
  if (m_record) {
    Close();
  }
  m_handler.store(handler, std::memory_order_release);
  m_transferMode.store(false, std::memory_order_release);
  m_ring.clear();
  m_port = port;
  m_baudRate = baudRate;
  if (handler != nullptr) {
    handler->clearMatchBuffer();
  }
  createCaptureFile();
  m_record = static_cast<bool>(m_factory);
  return m_record;
}

bool CommPort::Reconfigure(std::uint8_t port, std::uint32_t baudRate) {
  // The reader appends to the capture file: it stops before the file closes.
  if (m_record) {
    Close();
    m_record = false;
  }
  closeCaptureFile();
  m_port = port;
  m_baudRate = baudRate;
  createCaptureFile();
  m_record = static_cast<bool>(m_factory);
  return m_record;
}

void CommPort::Shutdown() {
  if (m_record) {
    Close();
    m_record = false;
  }
  closeCaptureFile();
}

bool CommPort::Open() {
  if (!m_record) {
    return false;
  }
  if (m_connected.load(std::memory_order_acquire)) {
    return true;
  }
  std::unique_ptr<PortDevice> device = m_factory(m_port);
  if (!device) {
    return false;
  }
  m_settings = LineSettings{};
  m_settings.baudRate = m_baudRate;
  m_settings.flowControl = kFlowRtsCts;
  if (!device->open(m_settings)) {
    return false;
  }
  device->purge();
  m_device = std::move(device);
  m_connected.store(true, std::memory_order_release);
  try {
    m_reader = std::thread(&CommPort::readerLoop, this);
  } catch (const std::system_error&) {
    m_connected.store(false, std::memory_order_release);
    m_device->close();
    m_device.reset();
    return false;
  }
  // DTR goes up once the reader listens, so no answer of the modem is missed.
  m_device->setDtr(true);
  return true;
}

void CommPort::Close() {
  if (!m_device) {
    return;
  }
  m_connected.store(false, std::memory_order_release);
  m_device->interruptWait();
  if (m_reader.joinable()) {
    m_reader.join();
  }
  {
    // A writer on the transfer thread may still be inside the device.
    std::lock_guard<std::mutex> lock(m_writeMutex);
    m_device->setDtr(false);
    m_device->purge();
    m_device->close();
    m_device.reset();
  }
}

void CommPort::readerLoop() {
  while (m_connected.load(std::memory_order_acquire)) {
    if (!m_device->waitForData()) {
      continue; // released by Close (or a spurious wake): look at the flag again
    }
    if (!m_connected.load(std::memory_order_acquire)) {
      break;
    }
    readBlocks();
  }
}

void CommPort::readBlocks() {
  unsigned char block[kReadBlock];
  for (;;) {
    const std::size_t queued = m_device->queuedBytes();
    const std::size_t want = queued < kReadBlock ? queued : kReadBlock;
    IoResult result{};
    if (want > 0) {
      result = m_device->read(block, want, 0);
    } else {
      // Nothing queued yet a wake-up: a hang-up or error shows on a read.
      result = m_device->read(block, 1, 0);
    }
    if (result.count > 0) {
      if (!m_transferMode.load(std::memory_order_acquire)) {
        appendCapture(block, result.count);
      }
      dispatch(block, result.count);
    }
    // After the bytes that came with it (the modem's "NO CARRIER").
    if (m_device->takeCarrierLost()) {
      if (ReceiveHandler* handler = m_handler.load(std::memory_order_acquire)) {
        handler->carrierLost();
      }
    }
    if (result.error != 0 && result.error != EAGAIN) {
      feedCommError(static_cast<std::uint32_t>(result.error));
      feedErrorFlags();
      // A device that keeps failing (a pulled adapter) must not spin the
      // reader: rest as long as a read time-out, unless Close comes first.
      for (int i = 0; i < 20 && m_connected.load(std::memory_order_acquire); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      return;
    }
    if (result.count == 0) {
      feedErrorFlags();
      return;
    }
  }
}

void CommPort::feedCommError(std::uint32_t code) {
  char text[32];
  const int n = std::snprintf(text, sizeof text, "<CE-%u>", code);
  dispatch(reinterpret_cast<const unsigned char*>(text), static_cast<std::size_t>(n));
}

std::uint32_t CommPort::takeErrorFlags() {
  std::lock_guard<std::mutex> lock(m_errorFlagsMutex);
  return m_device ? m_device->takeErrorFlags() : 0;
}

// Reader thread: the device lives as long as the reader runs.
void CommPort::feedErrorFlags() {
  if (const std::uint32_t flags = takeErrorFlags(); flags != 0) {
    feedCommError(flags);
  }
}

void CommPort::dispatch(const unsigned char* bytes, std::size_t length) {
  std::lock_guard<std::mutex> lock(m_dispatchMutex);
  ReceiveHandler* handler = m_handler.load(std::memory_order_acquire);
  for (std::size_t i = 0; i < length; ++i) {
    const unsigned char byte = bytes[i];
    if (m_transferMode.load(std::memory_order_acquire)) {
      m_ring.push(byte); // a full ring drops the byte; B Plus recovers by retry
    } else if (handler == nullptr) {
      continue;
    } else if (handler->matchArmed()) {
      handler->matchByte(byte);
    } else {
      handler->watchByte(byte);
    }
  }
}

bool CommPort::writeBlock(const unsigned char* data, std::size_t length) {
  if (!m_record) {
    return false;
  }
  std::unique_lock<std::mutex> lock(m_writeMutex);
  if (!m_device || !m_connected.load(std::memory_order_acquire)) {
    return false;
  }
  const IoResult result = m_device->write(data, length, kWriteTimeOutMs);
  if (result.error == 0) {
    return true;
  }
  // Taken while the device cannot go away under us (Close resets it under
  // the same lock).
  const std::uint32_t flags = takeErrorFlags();
  lock.unlock();
  const bool underWay = result.error == ETIMEDOUT || result.count > 0;
  if (underWay) {
    // The write got under way and then failed: reported in the stream only.
    feedCommError(static_cast<std::uint32_t>(result.error));
  }
  if (flags != 0) {
    feedCommError(flags);
  }
  return underWay;
}

bool CommPort::Write(const void* bytes, std::size_t length) {
  return writeBlock(static_cast<const unsigned char*>(bytes), length);
}

bool CommPort::WriteByte(unsigned char byte) { return writeBlock(&byte, 1); }

bool CommPort::ReadQueuedByte(unsigned char& byte) {
  if (!m_record) {
    return false;
  }
  return m_ring.pop(byte);
}

void CommPort::BeginTransferMode() {
  if (!m_record) {
    return;
  }
  {
    // Hold the dispatcher so no byte lands in the ring while it is emptied.
    std::lock_guard<std::mutex> lock(m_dispatchMutex);
    m_ring.clear();
    m_transferAbort.store(false, std::memory_order_release);
    m_transferMode.store(true, std::memory_order_release);
  }
}

void CommPort::EndTransferMode() {
  if (!m_record) {
    return;
  }
  std::lock_guard<std::mutex> lock(m_dispatchMutex);
  if (ReceiveHandler* handler = m_handler.load(std::memory_order_acquire)) {
    handler->clearMatchBuffer();
  }
  m_transferMode.store(false, std::memory_order_release);
}

bool CommPort::TransferModeEnded() const { return !m_transferMode.load(std::memory_order_acquire); }

bool CommPort::TransferAbortRequested() const { return m_transferAbort.load(std::memory_order_acquire); }

void CommPort::RequestTransferAbort() { m_transferAbort.store(true, std::memory_order_release); }

void CommPort::setReceiveHandler(ReceiveHandler* handler) {
  std::lock_guard<std::mutex> lock(m_dispatchMutex);
  m_handler.store(handler, std::memory_order_release);
}

} // namespace kiro::online
