#include "client/services/MailFileName.h"

#include <cstdio>

namespace kiro::services {

namespace {

constexpr const char kPrefixes[] = "RWRW";
constexpr int kLastMailNumber = 29999;

} // namespace

std::string MakeMailFileName(int kind, const std::string &year2, app::ClientSettings &settings)
{
    if (kind < 0 || kind > 3)
        kind = 1;
    std::int32_t &counter = kind == 1 ? settings.WriteMailNo : settings.ReadMailNo;
    // A counter read from a damaged file could be anything; the name keeps
    // its five digits whatever it held.
    if (counter < 1 || counter > kLastMailNumber)
        counter = 1;
    char name[32];
    std::snprintf(name, sizeof name, kind < 2 ? "%c%.2s%05d.TXT" : "%c%.2s%05d.BIN", kPrefixes[kind], year2.c_str(),
                  static_cast<int>(counter));
    counter = counter >= kLastMailNumber ? 1 : counter + 1;
    return name;
}

} // namespace kiro::services
