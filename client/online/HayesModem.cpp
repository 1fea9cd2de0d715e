#include "client/online/HayesModem.h"

#include <cctype>
#include <cstdio>
#include <string_view>

namespace kiro::online {
namespace {

constexpr std::size_t kMaxLine = 255;

struct ResultName {
  const char* word;
  int code;
};

constexpr ResultName kResults[] = {
    {"OK", 0}, {"CONNECT", 1}, {"RING", 2}, {"NO CARRIER", 3},
    {"ERROR", 4}, {"NO DIALTONE", 6}, {"BUSY", 7}, {"NO ANSWER", 8},
};

// Reads an optional decimal number at `i`; -1 when there is none.
long number(const std::string& s, std::size_t& i) {
  if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i]))) {
    return -1;
  }
  long value = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
    value = value * 10 + (s[i] - '0');
    if (value > 100000) {
      value = 100000; // absurd values are refused by the range checks below
    }
    ++i;
  }
  return value;
}

bool startsWithAt(std::string_view line) {
  return line.size() >= 2 && (line[0] == 'A' || line[0] == 'a') && (line[1] == 'T' || line[1] == 't');
}

} // namespace

HayesModem::HayesModem() { reset(); }

void HayesModem::reset() {
  m_s.fill(0);
  m_s[2] = '+';  // escape character
  m_s[3] = '\r'; // end of line
  m_s[4] = '\n';
  m_s[5] = 8;    // backspace
  m_s[6] = 2;
  m_s[7] = 50;
  m_s[8] = 2;
  m_s[10] = 14;
  m_s[12] = 50; // escape guard time, 1/50 s
  m_echo = true;
  m_verbose = true;
  m_quiet = false;
  m_dcd = 1;
  m_dtr = 2;
}

std::string HayesModem::resultText(ModemResult r, std::uint32_t speed) const {
  if (m_quiet) {
    return {};
  }
  const ResultName& name = kResults[static_cast<int>(r)];
  const char cr = static_cast<char>(m_s[3]);
  const char lf = static_cast<char>(m_s[4]);
  std::string text;
  if (!m_verbose) {
    text.append(std::to_string(name.code));
    text.push_back(cr);
    return text;
  }
  text.push_back(cr);
  text.push_back(lf);
  text.append(name.word);
  if (r == ModemResult::Connect && speed != 0) {
    text.push_back(' ');
    text.append(std::to_string(speed));
  }
  text.push_back(cr);
  text.push_back(lf);
  return text;
}

void HayesModem::result(std::vector<ModemAction>& out, ModemResult r) const {
  if (std::string text = resultText(r); !text.empty()) {
    out.push_back({ModemAction::Kind::ToPort, std::move(text)});
  }
}

std::vector<ModemAction> HayesModem::commandByte(unsigned char byte) {
  std::vector<ModemAction> out;
  if (m_echo) {
    out.push_back({ModemAction::Kind::ToPort, std::string(1, static_cast<char>(byte))});
  }
  const unsigned char previous = m_previous;
  m_previous = byte;
  // "A/" repeats the last command line at once.
  if (byte == '/' && (previous == 'A' || previous == 'a') && m_line.size() == 1) {
    m_line.clear();
    m_previous = 0;
    auto more = execute(m_lastLine);
    out.insert(out.end(), more.begin(), more.end());
    return out;
  }
  if (byte == m_s[3]) {
    m_previous = 0;
    const bool isCommand = startsWithAt(m_line);
    const bool tooLong = m_line.size() > kMaxLine;
    if (isCommand && !tooLong) {
      m_lastLine.assign(m_line, 2, std::string::npos);
    }
    m_line.clear();
    if (!isCommand) {
      return out; // text without "AT" is not a command: no answer
    }
    if (tooLong) {
      result(out, ModemResult::Error);
      return out;
    }
    auto more = execute(m_lastLine);
    out.insert(out.end(), more.begin(), more.end());
    return out;
  }
  if (byte == m_s[5] || byte == 0x7F) {
    if (!m_line.empty()) {
      m_line.pop_back();
    }
    return out;
  }
  if (byte == m_s[4] || byte < 0x20) {
    return out;
  }
  // A command line begins at "AT": whatever came before it on the line
  // ("+++" typed after the carrier was already gone) is dropped.
  if ((byte == 'T' || byte == 't') && !m_line.empty() && (m_line.back() == 'A' || m_line.back() == 'a') &&
      !startsWithAt(m_line)) {
    m_line.erase(0, m_line.size() - 1);
  }
  if (m_line.size() <= kMaxLine) {
    m_line.push_back(static_cast<char>(byte));
  }
  return out;
}

std::vector<ModemAction> HayesModem::execute(const std::string& line) {
  std::vector<ModemAction> out;
  std::size_t i = 0;
  bool goOnline = false;
  auto error = [&] {
    out.clear();
    result(out, ModemResult::Error);
    return out;
  };
  while (i < line.size()) {
    const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(line[i++])));
    if (c == ' ') {
      continue;
    }
    if (c == 'D') {
      if (m_connected) {
        return error();
      }
      std::string digits;
      while (i < line.size() && line[i] != ';') {
        if (std::isdigit(static_cast<unsigned char>(line[i]))) {
          digits.push_back(line[i]);
        }
        ++i;
      }
      // The dial's answer (CONNECT, BUSY, NO CARRIER) comes when it ends.
      out.push_back({ModemAction::Kind::Dial, digits});
      return out;
    }
    if (c == '&' || c == '\\' || c == '%') {
      if (i >= line.size()) {
        return error();
      }
      const char sub = static_cast<char>(std::toupper(static_cast<unsigned char>(line[i++])));
      if (!std::isalpha(static_cast<unsigned char>(sub))) {
        return error();
      }
      const long n = number(line, i);
      if (c == '&' && sub == 'F') {
        reset();
      } else if (c == '&' && sub == 'C') {
        if (n > 1) return error();
        m_dcd = n < 0 ? 0 : static_cast<unsigned>(n);
      } else if (c == '&' && sub == 'D') {
        if (n > 3) return error();
        m_dtr = n < 0 ? 0 : static_cast<unsigned>(n);
      }
      continue; // &K, &Q, &S, &W, \N, %C and friends: accepted as set
    }
    if (c == '+') {
      // Extended settings (+MS=...): accepted up to the next ';'.
      while (i < line.size() && line[i] != ';') {
        ++i;
      }
      if (i < line.size()) {
        ++i;
      }
      continue;
    }
    if (c == 'S') {
      const long reg = number(line, i);
      if (reg < 0 || reg >= static_cast<long>(m_s.size()) || i >= line.size()) {
        return error();
      }
      if (line[i] == '=') {
        ++i;
        const long value = number(line, i);
        if (value < 0 || value > 255) {
          return error();
        }
        m_s[static_cast<std::size_t>(reg)] = static_cast<unsigned>(value);
      } else if (line[i] == '?') {
        ++i;
        char text[16];
        std::snprintf(text, sizeof text, "\r\n%03u\r\n", m_s[static_cast<std::size_t>(reg)]);
        out.push_back({ModemAction::Kind::ToPort, text});
      } else {
        return error();
      }
      continue;
    }
    const long n = number(line, i);
    switch (c) {
    case 'E':
      if (n > 1) return error();
      m_echo = n == 1;
      break;
    case 'Q':
      if (n > 1) return error();
      m_quiet = n == 1;
      break;
    case 'V':
      if (n > 1) return error();
      m_verbose = n == 1;
      break;
    case 'H':
      if (n > 1) return error();
      if (n <= 0) {
        out.push_back({ModemAction::Kind::HangUp, {}});
        m_connected = false;
      }
      break;
    case 'O':
      if (!m_connected) {
        out.clear();
        result(out, ModemResult::NoCarrier);
        return out;
      }
      goOnline = true;
      break;
    case 'Z':
      reset();
      break;
    case 'A':
      // Nobody is calling a virtual modem.
      out.clear();
      result(out, ModemResult::NoCarrier);
      return out;
    case 'I':
      out.push_back({ModemAction::Kind::ToPort, "\r\nKIRO TELNET virtual modem\r\n"});
      break;
    case 'B': case 'C': case 'L': case 'M': case 'N': case 'P': case 'T':
    case 'W': case 'X': case 'Y':
      break; // line and speaker settings a virtual line has no use for
    default:
      return error();
    }
  }
  if (goOnline) {
    out.push_back({ModemAction::Kind::GoOnline, {}});
    return out; // the device answers CONNECT
  }
  result(out, ModemResult::Ok);
  return out;
}

void HayesModem::onlineByte(unsigned char byte, std::int64_t nowMs) {
  const std::int64_t guard = guardTimeMs();
  const bool isEscape = m_s[2] <= 127 && byte == m_s[2];
  if (isEscape && m_plusCount == 0 && (m_lastDataMs < 0 || nowMs - m_lastDataMs >= guard)) {
    m_plusCount = 1;
    m_lastPlusMs = nowMs;
  } else if (isEscape && m_plusCount > 0 && m_plusCount < 3 && nowMs - m_lastPlusMs < guard) {
    ++m_plusCount;
    m_lastPlusMs = nowMs;
  } else {
    m_plusCount = 0;
  }
  m_lastDataMs = nowMs;
}

bool HayesModem::escapeComplete(std::int64_t nowMs) {
  if (m_plusCount == 3 && nowMs - m_lastPlusMs >= guardTimeMs()) {
    m_plusCount = 0;
    return true;
  }
  return false;
}

std::int64_t HayesModem::escapeDeadline() const {
  return m_plusCount == 3 ? m_lastPlusMs + guardTimeMs() : -1;
}

void HayesModem::resetEscape(std::int64_t nowMs) {
  m_plusCount = 0;
  m_lastDataMs = nowMs;
}

HayesModem::DtrAction HayesModem::dtrDropAction() const {
  switch (m_dtr) {
  case 1: return DtrAction::CommandMode;
  case 2:
  case 3: return DtrAction::HangUp;
  default: return DtrAction::Ignore;
  }
}

} // namespace kiro::online
