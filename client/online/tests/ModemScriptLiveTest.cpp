// The modem scripts against the TELNET virtual modem: every prompt the
// scripts wait for must be what the modem really says.
#include "client/online/CommPort.h"
#include "client/online/ModemScripts.h"
#include "client/online/TelnetModemDevice.h"
#include "client/online/tests/LoopbackHost.h"
#include "client/online/tests/PortTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kiro::online;
using kiro::online::test::CollectingHandler;
using kiro::online::test::LoopbackHost;
using kiro::online::test::refusedPort;
using namespace std::chrono_literals;

namespace {

class ModemScriptLiveTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "kiro-script-XXXXXX").string();
    m_folder = mkdtemp(pattern.data());
  }
  void TearDown() override {
    m_port.reset();
    std::filesystem::remove_all(m_folder);
  }
  void open(const std::string& entry) {
    m_port = std::make_unique<CommPort>(
        [entry](std::uint8_t) -> std::unique_ptr<PortDevice> {
          TelnetModemOptions options;
          options.phoneBook = [entry](const std::string&) { return std::optional<std::string>(entry); };
          return std::make_unique<TelnetModemDevice>(options);
        },
        m_folder);
    ASSERT_TRUE(m_port->Init(&m_handler, 5, 38400));
    ASSERT_TRUE(m_port->Open());
  }

  // Runs one step the way the session engine matches: from the step's start
  // (after its echo unless "at once"), the first listed prompt that ends the
  // received text wins. Returns the outcome index, or -1 after the time-out.
  int runStep(const ScriptStep& step, int timeOutMs = 3000) {
    const std::size_t from = m_handler.size();
    if (step.sendsCommand()) {
      EXPECT_TRUE(m_port->Write(step.command));
    }
    bool matching = step.matchAtOnce != 0;
    std::string buffer;
    std::size_t seen = from;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeOutMs);
    while (std::chrono::steady_clock::now() < end) {
      const std::string text = m_handler.text();
      for (; seen < text.size(); ++seen) {
        buffer.push_back(text[seen]);
        if (!matching) {
          if (buffer.size() >= std::strlen(step.command) &&
              buffer.compare(buffer.size() - std::strlen(step.command), std::string::npos, step.command) == 0) {
            matching = true;
            buffer.clear();
          }
          continue;
        }
        for (std::size_t i = 0; i < step.outcomeCount(); ++i) {
          const std::string prompt = step.outcomes[i].prompt;
          if (prompt != kTimeOutPrompt && buffer.size() >= prompt.size() &&
              buffer.compare(buffer.size() - prompt.size(), std::string::npos, prompt) == 0) {
            return static_cast<int>(i);
          }
        }
      }
      std::this_thread::sleep_for(5ms);
    }
    return -1;
  }

  std::filesystem::path m_folder;
  CollectingHandler m_handler;
  std::unique_ptr<CommPort> m_port;
};

} // namespace

TEST_F(ModemScriptLiveTest, ConnectsThenHangsUp) {
  LoopbackHost host(LoopbackHost::Behaviour::GreetThenEcho);
  open(host.entry());
  ModemCommands commands;
  commands.buildInitialisation(0, {});
  commands.buildAdditional("ATS12=10"); // a 200 ms escape guard keeps the test short
  ASSERT_FALSE(commands.BuildDialCommand(DialSettings{0, "0312345678", ""}, false));
  const ConnectingScript script = makeConnectingScript(commands);
  EXPECT_EQ(runStep(script[0]), 1); // "\nOK"
  EXPECT_EQ(runStep(script[1]), 1);
  EXPECT_EQ(runStep(script[2]), 1);
  EXPECT_EQ(runStep(script[3]), 0); // "HOST NAME?\r\n*": road 5

  // The hang-up script, with the pause before each command.
  for (std::size_t i = 0; i < scriptLength(kHangUpScript); ++i) {
    std::this_thread::sleep_for(400ms);
    EXPECT_EQ(runStep(kHangUpScript[i]), 1) << i; // "\nOK"
  }
  EXPECT_TRUE(host.waitClosed());
}

TEST_F(ModemScriptLiveTest, BusyAndAdditionalCommandError) {
  open("127.0.0.1:" + std::to_string(refusedPort()));
  ModemCommands commands;
  commands.buildInitialisation(0, {});
  commands.buildAdditional("ATQ9"); // the modem refuses it
  commands.BuildDialCommand(DialSettings{1, "0312345678", ""}, false);
  const ConnectingScript script = makeConnectingScript(commands);
  EXPECT_EQ(runStep(script[0]), 1);
  EXPECT_EQ(runStep(script[1]), 1);
  EXPECT_EQ(runStep(script[2]), 2); // "ERROR"
  EXPECT_EQ(runStep(script[3]), 2); // "BUSY\r\n"
  // A redial is the dial step again, without the modem steps.
  EXPECT_EQ(runStep(script[3]), 2);
}

TEST_F(ModemScriptLiveTest, ModemTestAndForcedDisconnect) {
  LoopbackHost host(LoopbackHost::Behaviour::Echo);
  open(host.entry());
  EXPECT_EQ(runStep(kModemTestScript[0]), 1); // outcome number 2: the modem answered
  ASSERT_TRUE(m_port->Write("ATDT1\r"));
  ASSERT_TRUE(m_handler.waitFor("CONNECT 38400"));
  // On line the "\r" goes to the host; then closing the port drops DTR.
  EXPECT_EQ(runStep(kForcedDisconnectScript[0], 300), -1);
  m_port->Close();
  EXPECT_TRUE(host.waitClosed());
}
