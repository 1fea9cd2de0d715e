#include "client/online/HayesModem.h"
#include "client/online/TelnetCodec.h"

#include <gtest/gtest.h>

using namespace kiro::online;

namespace {

struct Typed {
  std::string toPort;
  std::vector<ModemAction> other;
};

Typed type(HayesModem& modem, const std::string& text) {
  Typed out;
  for (unsigned char c : text) {
    for (ModemAction& action : modem.commandByte(c)) {
      if (action.kind == ModemAction::Kind::ToPort) {
        out.toPort += action.text;
      } else {
        out.other.push_back(std::move(action));
      }
    }
  }
  return out;
}

std::string bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) {
    s.push_back(static_cast<char>(v));
  }
  return s;
}

} // namespace

TEST(HayesModem, EchoVerboseAndNumericResults) {
  HayesModem modem;
  EXPECT_EQ(type(modem, "AT&F\r").toPort, "AT&F\r\r\nOK\r\n");
  EXPECT_EQ(type(modem, "ATE1Q0V1&C1&D2\r").toPort, "ATE1Q0V1&C1&D2\r\r\nOK\r\n");
  // Case does not matter; fragments of real modems are accepted.
  EXPECT_EQ(type(modem, "at x3 &k3 \\n3 %c1 s0=0 +ms=v34;l1m0\r").toPort,
            "at x3 &k3 \\n3 %c1 s0=0 +ms=v34;l1m0\r\r\nOK\r\n");
  EXPECT_EQ(type(modem, "ATE0V0\r").toPort, "ATE0V0\r0\r");
  EXPECT_EQ(type(modem, "ATJ\r").toPort, "4\r");
  EXPECT_EQ(type(modem, "ATQ1\r").toPort, "");
  EXPECT_EQ(type(modem, "ATZ\r").toPort, "\r\nOK\r\n"); // typed with E0, answered after the reset
  EXPECT_EQ(type(modem, "ATS12=5\r").toPort, "ATS12=5\r\r\nOK\r\n");
  EXPECT_EQ(modem.guardTimeMs(), 100);
  EXPECT_EQ(type(modem, "ATS12?\r").toPort, "ATS12?\r\r\n005\r\n\r\nOK\r\n");
  EXPECT_EQ(type(modem, "ATE2\r").toPort, "ATE2\r\r\nERROR\r\n");
  // Text that is not a command gets no answer; backspace edits the line.
  EXPECT_EQ(type(modem, "hello\r").toPort, "hello\r");
  EXPECT_EQ(type(modem, "ATX\bE0\r").toPort, "ATX\bE0\r\r\nOK\r\n");
  EXPECT_FALSE(modem.echo());
}

TEST(HayesModem, DialHangUpAndOnline) {
  HayesModem modem;
  Typed dial = type(modem, "ATDT 03-1234-5678\r");
  EXPECT_EQ(dial.toPort, "ATDT 03-1234-5678\r"); // the answer comes when the call ends
  ASSERT_EQ(dial.other.size(), 1u);
  EXPECT_EQ(dial.other[0].kind, ModemAction::Kind::Dial);
  EXPECT_EQ(dial.other[0].text, "0312345678");
  EXPECT_EQ(modem.resultText(ModemResult::Connect, 9600), "\r\nCONNECT 9600\r\n");
  EXPECT_EQ(modem.resultText(ModemResult::Busy), "\r\nBUSY\r\n");

  EXPECT_EQ(type(modem, "ATO\r").toPort, "ATO\r\r\nNO CARRIER\r\n");
  modem.setConnected(true);
  EXPECT_EQ(type(modem, "ATD1\r").toPort, "ATD1\r\r\nERROR\r\n");
  Typed online = type(modem, "ATO\r");
  ASSERT_EQ(online.other.size(), 1u);
  EXPECT_EQ(online.other[0].kind, ModemAction::Kind::GoOnline);
  Typed hang = type(modem, "ATH0\r");
  EXPECT_EQ(hang.toPort, "ATH0\r\r\nOK\r\n");
  ASSERT_EQ(hang.other.size(), 1u);
  EXPECT_EQ(hang.other[0].kind, ModemAction::Kind::HangUp);
  EXPECT_FALSE(modem.connected());
  EXPECT_EQ(modem.dtrDropAction(), HayesModem::DtrAction::HangUp);
  type(modem, "AT&D0\r");
  EXPECT_EQ(modem.dtrDropAction(), HayesModem::DtrAction::Ignore);
}

TEST(HayesModem, EscapeNeedsGuardTimeOnBothSides) {
  HayesModem modem; // guard 1000 ms
  modem.resetEscape(0);
  // Too soon after data: no escape.
  modem.onlineByte('x', 500);
  for (int t : {600, 610, 620}) modem.onlineByte('+', t);
  EXPECT_FALSE(modem.escapeComplete(5000));
  // Silence, "+++", silence: escape.
  for (int t : {2000, 2010, 2020}) modem.onlineByte('+', t);
  EXPECT_EQ(modem.escapeDeadline(), 3020);
  EXPECT_FALSE(modem.escapeComplete(2500));
  EXPECT_TRUE(modem.escapeComplete(3020));
  EXPECT_FALSE(modem.escapeComplete(3030));
  // A byte after the third '+' spoils it; so does a fourth '+'.
  for (int t : {5000, 5010, 5020, 5030}) modem.onlineByte('+', t);
  EXPECT_FALSE(modem.escapeComplete(9000));
  for (int t : {10000, 10010, 10020}) modem.onlineByte('+', t);
  modem.onlineByte('a', 10100);
  EXPECT_FALSE(modem.escapeComplete(20000));
}

TEST(TelnetCodec, EscapesIacAndNegotiatesBinaryAndSga) {
  TelnetCodec codec;
  const std::string offers = codec.start();
  EXPECT_EQ(offers, bytes({255, 251, 0, 255, 253, 0, 255, 251, 3, 255, 253, 3}));

  // Peer agrees to everything and asks for ECHO and TTYPE: refused.
  std::string data, reply;
  const std::string in = bytes({255, 253, 0, 255, 251, 0, 255, 253, 3, 255, 251, 3, 255, 253, 1, 255, 251, 24});
  codec.decode(reinterpret_cast<const unsigned char*>(in.data()), in.size(), data, reply);
  EXPECT_EQ(data, "");
  EXPECT_EQ(reply, bytes({255, 252, 1, 255, 254, 24}));
  EXPECT_TRUE(codec.localBinary());
  EXPECT_TRUE(codec.remoteBinary());

  std::string out;
  const unsigned char raw[] = {'a', 255, '\r', 0, 255, 'b'};
  codec.encode(raw, sizeof raw, out);
  EXPECT_EQ(out, bytes({'a', 255, 255, '\r', 0, 255, 255, 'b'}));

  // Data with doubled IAC, a subnegotiation and a NOP, split anywhere.
  const std::string line = bytes({'x', 255, 255, 255, 250, 24, 1, 255, 240, 'y', 255, 241, 'z'});
  data.clear();
  reply.clear();
  for (char c : line) {
    codec.decode(reinterpret_cast<const unsigned char*>(&c), 1, data, reply);
  }
  EXPECT_EQ(data, bytes({'x', 255, 'y', 'z'}));
  EXPECT_EQ(reply, "");
}

TEST(TelnetCodec, TextModePeerGetsCrNul) {
  TelnetCodec codec;
  codec.start();
  std::string data, reply;
  const std::string refusal = bytes({255, 254, 0, 255, 252, 0}); // DONT BINARY, WONT BINARY
  codec.decode(reinterpret_cast<const unsigned char*>(refusal.data()), refusal.size(), data, reply);
  EXPECT_EQ(reply, bytes({255, 252, 0, 255, 254, 0}));
  EXPECT_FALSE(codec.localBinary());
  std::string out;
  const unsigned char cr[] = {'o', 'k', '\r'};
  codec.encode(cr, sizeof cr, out);
  EXPECT_EQ(out, bytes({'o', 'k', '\r', 0}));
  data.clear();
  const std::string in = bytes({'a', '\r', 0, 'b', '\r', '\n'});
  codec.decode(reinterpret_cast<const unsigned char*>(in.data()), in.size(), data, reply);
  EXPECT_EQ(data, "a\rb\r\n");
}

TEST(HayesModem, ACommandLineBeginsAtItsAt) {
  HayesModem modem;
  // "+++" sent when the line had already dropped: the modem is in command
  // mode and the hang-up that follows on the same line is still answered.
  Typed typed = type(modem, "+++ATH0\r");
  EXPECT_EQ(typed.toPort, "+++ATH0\r\r\nOK\r\n");
  ASSERT_EQ(typed.other.size(), 1u);
  EXPECT_EQ(typed.other[0].kind, ModemAction::Kind::HangUp);
  EXPECT_EQ(type(modem, "noise at&f\r").toPort, "noise at&f\r\r\nOK\r\n");
  // Text without AT still gets no answer.
  EXPECT_EQ(type(modem, "hello\r").toPort, "hello\r");
}

TEST(HayesModem, GuardTimeFollowsTheTimeScale) {
  HayesModem modem;
  EXPECT_EQ(modem.guardTimeMs(), 1000);
  modem.setTimeScale(0.1);
  EXPECT_EQ(modem.guardTimeMs(), 100);
  type(modem, "ATS12=5\r");
  EXPECT_EQ(modem.guardTimeMs(), 10);
}
