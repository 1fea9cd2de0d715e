#pragma once

#include <cstdint>
#include <string>

// Telnet on the virtual modem's line: data bytes out are IAC-escaped, bytes
// in are freed of commands; BINARY and SGA are offered and accepted both
// ways, any other option is refused. Pure: bytes in, bytes out.
namespace kiro::online {

class TelnetCodec {
public:
  static constexpr unsigned char kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251;
  static constexpr unsigned char kSb = 250, kSe = 240;
  static constexpr unsigned char kOptBinary = 0, kOptSga = 3;

  // The offers sent when the connection is made.
  std::string start();
  // Data for the network; `out` receives the line bytes.
  void encode(const unsigned char* data, std::size_t size, std::string& out) const;
  // Line bytes from the network: data for the port goes to `data`, answers
  // to the peer's negotiation go to `reply`.
  void decode(const unsigned char* line, std::size_t size, std::string& data, std::string& reply);

  bool localBinary() const { return m_localBinary; }   // we send binary
  bool remoteBinary() const { return m_remoteBinary; } // peer sends binary

private:
  enum class State : std::uint8_t { Data, Iac, Option, Sub, SubIac, AfterCr };
  void negotiate(unsigned char verb, unsigned char option, std::string& reply);

  State m_state = State::Data;
  unsigned char m_verb = 0;
  bool m_localBinary = false, m_remoteBinary = false;
  bool m_localSga = false, m_remoteSga = false;
  bool m_sentWill[4] = {}, m_sentDo[4] = {}; // indexed by BINARY (0) and SGA (3)
};

} // namespace kiro::online
