#include "client/online/ModemCommands.h"
#include "client/online/PortRegistry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace kiro::online;

// The registry file as a user writes it (the README's examples).
TEST(PortRegistryFile, ReadmeExamplesAreRead) {
  std::string pattern = (std::filesystem::temp_directory_path() / "kiro-reg-XXXXXX").string();
  const std::filesystem::path folder = mkdtemp(pattern.data());
  std::ofstream(folder / "registry.reg") << "REGEDIT4\n\n"
                                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvel\\ＫＩＲＯ\\Ports]\n"
                                            "\"COM1\"=\"/dev/ttyUSB0\"\n\n"
                                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvel\\ＫＩＲＯ\\Telnet]\n"
                                            "\"Default\"=\"127.0.0.1:2323\"\n"
                                            "\"0312345678\"=\"raw:192.0.2.10:7000\"\n"
                                            "\"LineSpeed\"=dword:00000001\n\n"
                                            "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Modem\\0000]\n"
                                            "\"Model\"=\"Generic 33600\"\n\n"
                                            "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Modem\\0000\\Settings]\n"
                                            "\"Blind_On\"=\"X3\"\n"
                                            "\"ErrorControl_On\"=\"\\\\N3\"\n";
  ::setenv("KIRO_WINDIR", folder.c_str(), 1);
  const auto registry = systemRegistry();
  EXPECT_EQ(serialDevicePath(*registry, 1), "/dev/ttyUSB0");
  EXPECT_EQ(serialDevicePath(*registry, 3), "/dev/ttyS2");
  EXPECT_EQ(telnetPhoneBookEntry(*registry, "0312345678"), "raw:192.0.2.10:7000");
  EXPECT_EQ(telnetPhoneBookEntry(*registry, "0311111111"), "127.0.0.1:2323");
  EXPECT_TRUE(telnetLinePacing(*registry));

  const auto modems = ModemList(*registry);
  ASSERT_EQ(modems.size(), 1u);
  EXPECT_EQ(modems[0].model, "Generic 33600");
  ModemFragments fragments;
  LoadModemFragments(*registry, 1, fragments);
  ModemCommands commands;
  commands.buildInitialisation(1, fragments);
  EXPECT_STREQ(commands.initialisation(), "ATE1Q0V1&C1&D2X3\\N3\r");
  ::unsetenv("KIRO_WINDIR");
  std::filesystem::remove_all(folder);
}
