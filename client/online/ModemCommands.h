#pragma once

#include "client/online/PortRegistry.h"

#include <cstddef>
#include <string>
#include <vector>

// What the client says to the modem: the installed modems, the command
// fragments of the chosen one, and the initialisation, additional and dial
// commands (built into fixed buffers that the modem scripts point to).
namespace kiro::online {

struct ModemListEntry {
  std::string model;
  int number = 0; // decimal value of the key name; ModemRegNo = number + 1
};

// Installed modems in registry enumeration order (subkeys without "Model"
// are skipped). The dialog puts "no modem" at position 0 before them.
std::vector<ModemListEntry> ModemList(const RegistryReader& registry);

struct ModemFragments {
  static constexpr std::size_t kMaxLength = 127;
  std::string blindOn, blindOff, compressionOn, errorControlOn, flowControlHard,
      speedNegotiationOn, speedNegotiationOff;
};

// Fills the fragments for ModemRegNo: all empty below 1; kept as they are
// when the modem's "Settings" key cannot be opened.
void LoadModemFragments(const RegistryReader& registry, int modemRegNo, ModemFragments& fragments);

// Settings that shape the commands.
struct DialSettings {
  int phoneType = 0; // 0 tone, 1 pulse
  std::string accessPoint;
  std::string accessPoint2nd;
};

inline constexpr int kDialAttemptLimit = 3;

// After `attempts` busy answers, whether the next dial uses the second number.
constexpr bool dialAlternateAfter(int attempts) { return (attempts % 2) != 0; }

class ModemCommands {
public:
  static constexpr std::size_t kInitSize = 576;     // fits the base and four full fragments
  static constexpr std::size_t kAdditionalSize = 128;
  static constexpr std::size_t kDialSize = 64;

  // "ATE1Q0V1&C1&D2\r", or with blind_on, flowcontrol_hard, errorcontrol_on
  // and compression_on appended when a modem is chosen.
  void buildInitialisation(int modemRegNo, const ModemFragments& fragments);
  // "%s\r" with ModemInit, or "AT\r" when it is empty. An over-long command is
  // cut to the buffer (the modem then answers ERROR and the user is told).
  void buildAdditional(const std::string& modemInit);
  // "ATD%c%s\r"; true when no number can be dialled (the needed number is
  // empty, or too long for the buffer: a cut number would dial a stranger).
  bool BuildDialCommand(const DialSettings& settings, bool alternate);

  const char* initialisation() const { return m_init; }
  const char* additional() const { return m_additional; }
  const char* dial() const { return m_dial; }

private:
  char m_init[kInitSize] = "";
  char m_additional[kAdditionalSize] = "";
  char m_dial[kDialSize] = "";
};

} // namespace kiro::online
