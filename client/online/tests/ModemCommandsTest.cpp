#include "client/online/ModemCommands.h"
#include "client/online/ModemScripts.h"
#include "client/online/tests/PortTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kiro::online;
using kiro::online::test::FakeRegistry;

namespace {

const std::string kModems = kModemClassKey;

FakeRegistry twoModems() {
  FakeRegistry registry;
  registry.setString(kModems + "\\0000", "Model", "Standard 28800 bps Modem");
  registry.addKey(kModems + "\\0001"); // a broken entry without a model
  registry.setString(kModems + "\\0002", "Model", "ＴＥＳＴ ＭＯＤＥＭ");
  registry.setString(kModems + "\\0002\\Settings", "Blind_On", "X3");
  registry.setString(kModems + "\\0002\\Settings", "FLOWCONTROL_HARD", "&K3");
  registry.setString(kModems + "\\0002\\Settings", "Compression_On", "%C1");
  registry.setString(kModems + "\\0002\\Settings", "Blind_Off", "X4");
  registry.setString(kModems + "\\0002\\Settings", "Prefix", "AT");
  return registry;
}

} // namespace

TEST(ModemList, SkipsEntriesWithoutModelAndKeepsOrder) {
  const auto modems = ModemList(twoModems());
  ASSERT_EQ(modems.size(), 2u);
  EXPECT_EQ(modems[0].model, "Standard 28800 bps Modem");
  EXPECT_EQ(modems[0].number, 0);
  EXPECT_EQ(modems[1].model, "ＴＥＳＴ ＭＯＤＥＭ");
  EXPECT_EQ(modems[1].number, 2);
  EXPECT_TRUE(ModemList(FakeRegistry{}).empty());
}

TEST(ModemFragments, LowerCasedNamesAndMissingValues) {
  const FakeRegistry registry = twoModems();
  ModemFragments fragments;
  LoadModemFragments(registry, 3, fragments); // key 0002
  EXPECT_EQ(fragments.blindOn, "X3");
  EXPECT_EQ(fragments.flowControlHard, "&K3");
  EXPECT_EQ(fragments.compressionOn, "%C1");
  EXPECT_EQ(fragments.blindOff, "X4");
  EXPECT_EQ(fragments.errorControlOn, "");

  ModemCommands commands;
  commands.buildInitialisation(3, fragments);
  // errorcontrol_on is missing: its place is simply empty.
  EXPECT_STREQ(commands.initialisation(), "ATE1Q0V1&C1&D2X3&K3%C1\r");

  // A modem without a Settings key keeps what was loaded; no modem empties all.
  LoadModemFragments(registry, 1, fragments);
  EXPECT_EQ(fragments.blindOn, "X3");
  LoadModemFragments(registry, 0, fragments);
  EXPECT_EQ(fragments.blindOn, "");
  EXPECT_EQ(fragments.compressionOn, "");
}

TEST(ModemCommands, InitialisationWithoutModemIsExact) {
  ModemCommands commands;
  ModemFragments fragments;
  fragments.blindOn = "X3"; // ignored without a chosen modem
  commands.buildInitialisation(0, fragments);
  EXPECT_STREQ(commands.initialisation(), "ATE1Q0V1&C1&D2\r");
}

TEST(ModemCommands, FullFragmentsFitTheBuffer) {
  ModemFragments fragments;
  fragments.blindOn = fragments.flowControlHard = fragments.errorControlOn = fragments.compressionOn =
      std::string(200, 'Z'); // longer than a fragment may be
  ModemCommands commands;
  commands.buildInitialisation(1, fragments);
  const std::string init = commands.initialisation();
  EXPECT_EQ(init.size(), 14u + 4 * ModemFragments::kMaxLength + 1);
  EXPECT_EQ(init.back(), '\r');
}

TEST(ModemCommands, AdditionalCommand) {
  ModemCommands commands;
  commands.buildAdditional("");
  EXPECT_STREQ(commands.additional(), "AT\r");
  commands.buildAdditional("ATS0=0");
  EXPECT_STREQ(commands.additional(), "ATS0=0\r");
  // Too long for its buffer: cut, and still one line.
  commands.buildAdditional("AT" + std::string(500, 'M'));
  const std::string cut = commands.additional();
  EXPECT_EQ(cut.size(), ModemCommands::kAdditionalSize - 1);
  EXPECT_EQ(cut.back(), '\r');
}

TEST(ModemCommands, DialAlternatesOverThreeAttempts) {
  ModemCommands commands;
  DialSettings settings{0, "0312345678", "0667890123"};
  std::vector<std::string> dialled;
  for (int attempts = 0; attempts < kDialAttemptLimit; ++attempts) {
    ASSERT_FALSE(commands.BuildDialCommand(settings, dialAlternateAfter(attempts)));
    dialled.push_back(commands.dial());
  }
  EXPECT_EQ(dialled, (std::vector<std::string>{"ATDT0312345678\r", "ATDT0667890123\r", "ATDT0312345678\r"}));

  // Without a second number every attempt dials the first, by pulse here.
  settings.accessPoint2nd.clear();
  settings.phoneType = 1;
  ASSERT_FALSE(commands.BuildDialCommand(settings, true));
  EXPECT_STREQ(commands.dial(), "ATDP0312345678\r");
  // A type outside 0/1 dials by tone instead of reading past "TP".
  settings.phoneType = 7;
  ASSERT_FALSE(commands.BuildDialCommand(settings, false));
  EXPECT_STREQ(commands.dial(), "ATDT0312345678\r");
}

TEST(ModemCommands, NoNumberOrTooLongCannotBeDialled) {
  ModemCommands commands;
  EXPECT_TRUE(commands.BuildDialCommand(DialSettings{0, "", "0667890123"}, false));
  EXPECT_FALSE(commands.BuildDialCommand(DialSettings{0, "", "0667890123"}, true));
  const std::string longest(ModemCommands::kDialSize - 6, '9');
  EXPECT_FALSE(commands.BuildDialCommand(DialSettings{0, longest, ""}, false));
  EXPECT_EQ(std::strlen(commands.dial()), ModemCommands::kDialSize - 1);
  EXPECT_TRUE(commands.BuildDialCommand(DialSettings{0, longest + "9", ""}, false));
  EXPECT_STREQ(commands.dial(), "");
}

TEST(ModemScripts, ConnectingScriptFollowsTheBuffers) {
  ModemCommands commands;
  commands.buildInitialisation(0, {});
  commands.buildAdditional("");
  commands.BuildDialCommand(DialSettings{0, "111", "222"}, false);
  const ConnectingScript script = makeConnectingScript(commands);
  ASSERT_EQ(scriptLength(script.data()), 4u);
  EXPECT_STREQ(script[0].command, "AT&F\r");
  EXPECT_TRUE(script[0].timeOutArmed());
  EXPECT_NE(script[0].matchAtOnce, 0u);
  EXPECT_STREQ(script[1].command, "ATE1Q0V1&C1&D2\r");
  EXPECT_EQ(script[2].outcomeCount(), 3u);
  EXPECT_GT(script[2].outcomes[2].verdict, 0);
  // The dial step has no time-out, waits for its echo, and sees a redial's new number.
  const ScriptStep& dial = script[kDialStepIndex];
  EXPECT_FALSE(dial.timeOutArmed());
  EXPECT_EQ(dial.matchAtOnce, 0u);
  EXPECT_EQ(dial.outcomeCount(), 5u);
  EXPECT_STREQ(dial.outcomes[2].prompt, "BUSY\r\n");
  commands.BuildDialCommand(DialSettings{0, "111", "222"}, true);
  EXPECT_STREQ(dial.command, "ATDT222\r");
}

TEST(ModemScripts, HangUpAndTestScripts) {
  ASSERT_EQ(scriptLength(kHangUpScript), 2u);
  EXPECT_EQ(kHangUpScript[0].kindAndFlags, 0x300u);
  EXPECT_STREQ(kHangUpScript[0].command, "+++");
  EXPECT_STREQ(kHangUpScript[1].command, "ATH0\r");
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(kHangUpScript[i].outcomeCount(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
      EXPECT_LE(kHangUpScript[i].outcomes[k].verdict, 0);
    }
  }
  ASSERT_EQ(scriptLength(kForcedDisconnectScript), 1u);
  EXPECT_STREQ(kForcedDisconnectScript[0].command, "\r");
  ASSERT_EQ(scriptLength(kModemTestScript), 1u);
  EXPECT_STREQ(kModemTestScript[0].outcomes[1].prompt, "\nOK");
}
