#pragma once

#include "client/online/HayesModem.h"
#include "client/online/PortDevice.h"
#include "client/online/TelnetCodec.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace kiro::online {

// Phone-book look-up: dialled digits -> "host:port" (Telnet) or
// "raw:host:port" (plain TCP); nullopt when there is no entry.
using TelnetPhoneBook = std::function<std::optional<std::string>(const std::string& digits)>;

struct TelnetModemOptions {
  TelnetPhoneBook phoneBook;
  bool pacing = false;         // deliver bytes no faster than the port's speed
  int connectTimeOutMs = 30000; // an unanswered host gives NO CARRIER
  // Scales the connect time-out and the escape guard time (a shortened
  // session tick in tests and kiro-link --tick-ms).
  double timeScale = 1.0;
};

// Where a phone-book entry points.
struct TelnetTarget {
  std::string host;
  std::string port;
  bool telnet = true;
};
std::optional<TelnetTarget> parseTelnetTarget(const std::string& entry);

// The TELNET device: a Hayes-style virtual modem that dials TCP hosts. In
// command mode it answers AT commands itself; on line it carries the bytes
// over Telnet (8-bit clean) or plain TCP. One worker thread owns the socket;
// the port side talks to it through two queues.
class TelnetModemDevice final : public PortDevice {
public:
  explicit TelnetModemDevice(TelnetModemOptions options);
  ~TelnetModemDevice() override;

  bool open(const LineSettings& settings) override;
  void close() override;
  bool isOpen() const override;
  bool waitForData() override;
  void interruptWait() override;
  std::size_t queuedBytes() override;
  IoResult read(unsigned char* buffer, std::size_t size, int timeoutMs) override;
  IoResult write(const unsigned char* data, std::size_t size, int timeoutMs) override;
  bool setDtr(bool raised) override;
  void purge() override;
  std::string lastError() const override;

  // For tests and diagnostics.
  bool online() const;
  std::size_t queuedForNet() const;
  bool takeCarrierLost() override;

private:
  enum class Mode : std::uint8_t { Command, Dialing, Online };

  void worker();
  void wake();
  void runActions(const std::vector<ModemAction>& actions);
  void toPort(const std::string& bytes);
  void startDial(const std::string& digits, std::unique_lock<std::mutex>& lock);
  void dialFailed(ModemResult result);
  void connected();
  void dropConnection(bool sayNoCarrier);
  void receiveFromNet();
  void sendToNet();
  void releasePaced(std::int64_t nowMs);
  std::int64_t nowMs() const;

  TelnetModemOptions m_options;
  mutable std::mutex m_mutex;
  std::condition_variable m_portReadable; // bytes for the port, or an interrupt
  std::condition_variable m_netWritable;  // room in the network queue
  std::thread m_worker;
  bool m_open = false;
  bool m_stop = false;
  bool m_interrupt = false;
  bool m_dtr = false;
  std::string m_error;
  int m_wakePipe[2] = {-1, -1};
  LineSettings m_settings;

  HayesModem m_modem;
  TelnetCodec m_codec;
  Mode m_mode = Mode::Command;
  int m_socket = -1;
  bool m_telnet = true;
  bool m_connecting = false;
  std::int64_t m_connectDeadline = 0;
  std::optional<std::string> m_pendingDial; // digits waiting for the worker
  bool m_abortDial = false;
  bool m_carrierLost = false;

  std::deque<unsigned char> m_toPort;   // for the port's reads
  std::deque<unsigned char> m_paced;    // received, held back by pacing
  std::string m_toNet;                  // line bytes for the socket
  double m_pacingCredit = 0.0; // bytes the line may deliver to the port now
  double m_sendCredit = 0.0;   // bytes the line may carry to the host now
  std::int64_t m_pacingStamp = 0;
};

} // namespace kiro::online
