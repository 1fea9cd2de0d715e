#include "client/online/ModemCommands.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace kiro::online {
namespace {

std::string modemKey(int number) {
  char name[16];
  std::snprintf(name, sizeof name, "%04d", number);
  return std::string(kModemClassKey) + "\\" + name;
}

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

} // namespace

std::vector<ModemListEntry> ModemList(const RegistryReader& registry) {
  std::vector<ModemListEntry> modems;
  if (!registry.keyExists(kModemClassKey)) {
    return modems;
  }
  for (const std::string& name : registry.subkeys(kModemClassKey)) {
    // The key names are decimal numbers; anything else cannot be chosen.
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isdigit(c); })) {
      continue;
    }
    const int number = std::atoi(name.c_str());
    if (auto model = registry.readString(modemKey(number), "Model")) {
      modems.push_back({*model, number});
    }
  }
  return modems;
}

void LoadModemFragments(const RegistryReader& registry, int modemRegNo, ModemFragments& fragments) {
  if (modemRegNo < 1) {
    fragments = ModemFragments{};
    return;
  }
  const std::string key = modemKey(modemRegNo - 1) + "\\Settings";
  if (!registry.keyExists(key)) {
    return;
  }
  struct Slot {
    const char* name;
    std::string ModemFragments::*field;
  };
  static constexpr Slot kSlots[] = {
      {"blind_on", &ModemFragments::blindOn},
      {"blind_off", &ModemFragments::blindOff},
      {"compression_on", &ModemFragments::compressionOn},
      {"errorcontrol_on", &ModemFragments::errorControlOn},
      {"flowcontrol_hard", &ModemFragments::flowControlHard},
      {"speednegotiation_on", &ModemFragments::speedNegotiationOn},
      {"speednegotiation_off", &ModemFragments::speedNegotiationOff},
  };
  for (const auto& [name, data] : registry.stringValues(key)) {
    const std::string lower = lowered(name);
    for (const Slot& slot : kSlots) {
      if (lower == slot.name) {
        fragments.*slot.field = data.substr(0, ModemFragments::kMaxLength);
      }
    }
  }
}

void ModemCommands::buildInitialisation(int modemRegNo, const ModemFragments& fragments) {
  if (modemRegNo < 1) {
    std::snprintf(m_init, sizeof m_init, "ATE1Q0V1&C1&D2\r");
    return;
  }
  // Fragments may have been set by hand; cap them as the loader does.
  auto cut = [](const std::string& s) { return s.substr(0, ModemFragments::kMaxLength); };
  std::snprintf(m_init, sizeof m_init, "ATE1Q0V1&C1&D2%s%s%s%s\r", cut(fragments.blindOn).c_str(),
                cut(fragments.flowControlHard).c_str(), cut(fragments.errorControlOn).c_str(),
                cut(fragments.compressionOn).c_str());
}

void ModemCommands::buildAdditional(const std::string& modemInit) {
  if (modemInit.empty()) {
    std::snprintf(m_additional, sizeof m_additional, "AT\r");
    return;
  }
  // Keep room for the CR so a cut command still ends its line.
  const std::string body = modemInit.substr(0, kAdditionalSize - 2);
  std::snprintf(m_additional, sizeof m_additional, "%s\r", body.c_str());
}

bool ModemCommands::BuildDialCommand(const DialSettings& settings, bool alternate) {
  const std::string& number =
      (alternate && !settings.accessPoint2nd.empty()) ? settings.accessPoint2nd : settings.accessPoint;
  if (number.empty()) {
    return true;
  }
  // "ATD" + letter + number + CR + NUL
  if (number.size() + 6 > kDialSize) {
    m_dial[0] = '\0';
    return true;
  }
  // Anything but pulse dials by tone: an out-of-range type must not index past "TP".
  const char letter = settings.phoneType == 1 ? 'P' : 'T';
  std::snprintf(m_dial, sizeof m_dial, "ATD%c%s\r", letter, number.c_str());
  return false;
}

} // namespace kiro::online
