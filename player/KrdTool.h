#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kiro::player {

// kiro-krd: "check FILE", "dump FILE", "tempkrd FILE OUT". Returns the exit
// status; `arguments` excludes the program name.
int runKrdTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace kiro::player
