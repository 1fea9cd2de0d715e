#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The command side of the TELNET virtual modem: a Hayes-style AT command
// interpreter and the "+++" escape detector. Pure: bytes and times in,
// actions out; TelnetModemDevice does the network work.
namespace kiro::online {

enum class ModemResult : std::uint8_t { Ok, Connect, Ring, NoCarrier, Error, NoDialtone, Busy, NoAnswer };

struct ModemAction {
  enum class Kind : std::uint8_t {
    ToPort,   // bytes for the computer (echo, result codes)
    Dial,     // connect to the number in `text` (digits only)
    HangUp,   // drop the connection
    GoOnline, // back to data mode on the existing connection
  };
  Kind kind;
  std::string text;
};

class HayesModem {
public:
  HayesModem();

  // A byte from the computer in command mode.
  std::vector<ModemAction> commandByte(unsigned char byte);
  // The text of a result code as the E/Q/V settings want it ("" when quiet).
  std::string resultText(ModemResult result, std::uint32_t speed = 0) const;

  // Data-mode escape: feed every data byte sent on line with its time.
  void onlineByte(unsigned char byte, std::int64_t nowMs);
  // True once "+++" was followed by the guard time of silence: the modem is
  // to return to command mode (the detector resets).
  bool escapeComplete(std::int64_t nowMs);
  // Earliest time escapeComplete() may turn true, or -1.
  std::int64_t escapeDeadline() const;
  void resetEscape(std::int64_t nowMs);

  // DTR dropped while connected: what &D asks for.
  enum class DtrAction : std::uint8_t { Ignore, CommandMode, HangUp };
  DtrAction dtrDropAction() const;

  void reset(); // ATZ / AT&F
  bool echo() const { return m_echo; }
  bool verbose() const { return m_verbose; }
  bool quiet() const { return m_quiet; }
  unsigned reg(unsigned n) const { return n < m_s.size() ? m_s[n] : 0; }
  std::int64_t guardTimeMs() const { return static_cast<std::int64_t>(static_cast<double>(m_s[12]) * 20 * m_timeScale); }
  // A shortened session tick (tests) shortens the guard time alike.
  void setTimeScale(double scale) { m_timeScale = scale > 0 ? scale : 1.0; }
  bool connected() const { return m_connected; }
  void setConnected(bool connected) { m_connected = connected; }

private:
  double m_timeScale = 1.0;
  std::vector<ModemAction> execute(const std::string& line);
  void result(std::vector<ModemAction>& out, ModemResult r) const;

  std::array<unsigned, 64> m_s{};
  bool m_echo = true, m_verbose = true, m_quiet = false;
  unsigned m_dcd = 1, m_dtr = 2;
  bool m_connected = false;
  std::string m_line;
  std::string m_lastLine;
  unsigned char m_previous = 0;
  // escape detection
  int m_plusCount = 0;
  std::int64_t m_lastDataMs = -1;
  std::int64_t m_lastPlusMs = -1;
};

} // namespace kiro::online
