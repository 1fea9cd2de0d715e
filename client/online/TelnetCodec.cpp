#include "client/online/TelnetCodec.h"

namespace kiro::online {
namespace {

bool supported(unsigned char option) {
  return option == TelnetCodec::kOptBinary || option == TelnetCodec::kOptSga;
}

void put(std::string& out, unsigned char a, unsigned char b, unsigned char c) {
  out.push_back(static_cast<char>(a));
  out.push_back(static_cast<char>(b));
  out.push_back(static_cast<char>(c));
}

} // namespace

std::string TelnetCodec::start() {
  std::string out;
  put(out, kIac, kWill, kOptBinary);
  put(out, kIac, kDo, kOptBinary);
  put(out, kIac, kWill, kOptSga);
  put(out, kIac, kDo, kOptSga);
  m_sentWill[kOptBinary] = m_sentDo[kOptBinary] = true;
  m_sentWill[kOptSga] = m_sentDo[kOptSga] = true;
  // Binary from the first byte: a host that agrees treats what follows its
  // answer as binary, and our first bytes may cross that answer on the wire.
  // A host that refuses says so at once, and then CR travels as CR NUL.
  m_localBinary = m_remoteBinary = true;
  return out;
}

void TelnetCodec::encode(const unsigned char* data, std::size_t size, std::string& out) const {
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char byte = data[i];
    out.push_back(static_cast<char>(byte));
    if (byte == kIac) {
      out.push_back(static_cast<char>(kIac));
    } else if (byte == '\r' && !m_localBinary) {
      // Outside binary mode a bare CR travels as CR NUL.
      out.push_back('\0');
    }
  }
}

void TelnetCodec::negotiate(unsigned char verb, unsigned char option, std::string& reply) {
  // Only answer what changes our state; acknowledgements of our own offers
  // get no answer, so negotiation cannot loop.
  const bool ok = supported(option);
  const int slot = option == kOptSga ? kOptSga : kOptBinary;
  switch (verb) {
  case kDo:
    if (!ok) {
      put(reply, kIac, kWont, option);
      return;
    }
    if (!m_sentWill[slot]) {
      put(reply, kIac, kWill, option);
      m_sentWill[slot] = true;
    }
    (option == kOptBinary ? m_localBinary : m_localSga) = true;
    return;
  case kDont:
    if (!ok) {
      return;
    }
    if (m_sentWill[slot]) {
      put(reply, kIac, kWont, option);
      m_sentWill[slot] = false;
    }
    (option == kOptBinary ? m_localBinary : m_localSga) = false;
    return;
  case kWill:
    if (!ok) {
      put(reply, kIac, kDont, option);
      return;
    }
    if (!m_sentDo[slot]) {
      put(reply, kIac, kDo, option);
      m_sentDo[slot] = true;
    }
    (option == kOptBinary ? m_remoteBinary : m_remoteSga) = true;
    return;
  case kWont:
    if (!ok) {
      return;
    }
    if (m_sentDo[slot]) {
      put(reply, kIac, kDont, option);
      m_sentDo[slot] = false;
    }
    (option == kOptBinary ? m_remoteBinary : m_remoteSga) = false;
    return;
  default:
    return;
  }
}

void TelnetCodec::decode(const unsigned char* line, std::size_t size, std::string& data, std::string& reply) {
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char byte = line[i];
    switch (m_state) {
    case State::AfterCr:
      m_state = State::Data;
      if (byte == 0) {
        break; // CR NUL is a bare CR
      }
      [[fallthrough]];
    case State::Data:
      if (byte == kIac) {
        m_state = State::Iac;
      } else {
        data.push_back(static_cast<char>(byte));
        if (byte == '\r' && !m_remoteBinary) {
          m_state = State::AfterCr;
        }
      }
      break;
    case State::Iac:
      if (byte == kIac) {
        data.push_back(static_cast<char>(kIac));
        m_state = State::Data;
      } else if (byte == kDo || byte == kDont || byte == kWill || byte == kWont) {
        m_verb = byte;
        m_state = State::Option;
      } else if (byte == kSb) {
        m_state = State::Sub;
      } else {
        m_state = State::Data; // NOP, GA, AYT and the like carry nothing for us
      }
      break;
    case State::Option:
      negotiate(m_verb, byte, reply);
      m_state = State::Data;
      break;
    case State::Sub:
      if (byte == kIac) {
        m_state = State::SubIac;
      }
      break;
    case State::SubIac:
      m_state = byte == kSe ? State::Data : State::Sub;
      break;
    }
  }
}

} // namespace kiro::online
