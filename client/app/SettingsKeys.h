#pragma once

#include "client/app/ClientSettings.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kiro::app {

enum class SettingKind {
    Int,         // 32-bit signed, read as a profile integer
    DecimalText, // held as an integer, stored as decimal text (BaudRate, BaudRate2)
    String,
    Scrambled,   // held plain, stored with ScrambleText
};

// One key of KIROL.INI and the field that holds it.
struct SettingKey {
    const char* section;
    const char* name;
    SettingKind kind;
    bool read;        // false: the field keeps its default at every start
    bool writtenBack; // written by SaveSettings
    std::variant<std::int32_t ClientSettings::*, std::string ClientSettings::*> field;
};

// Every key in the order LoadSettings reads them.
const std::vector<SettingKey>& settingKeys();

// The key of this name (exact spelling first, then ignoring ASCII case, as
// the profile functions would); nullptr for an unknown key.
const SettingKey* findSettingKey(std::string_view name);

} // namespace kiro::app
