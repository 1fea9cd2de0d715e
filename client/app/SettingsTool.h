#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kiro::app {

// kiro-settings [--windir DIR] show [KEY...]
// kiro-settings [--windir DIR] set KEY=VALUE...
// Exit status 0 on success, 1 when a file could not be written, 2 for a usage
// error, an unknown key or a bad value (then nothing is changed).
int runSettingsTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace kiro::app
