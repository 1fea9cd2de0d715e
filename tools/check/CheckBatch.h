#pragma once

#include <filesystem>
#include <istream>
#include <ostream>

namespace kiro::check {

// The rebuild without a window: message boxes go to `err` as
// "Check: text", the end text to `out`. Returns the exit status: 0 after
// the end text, 1 when the database cannot be opened, no downloaded song is
// found or an engine error stopped the rebuild.
int runBatch(const std::filesystem::path& installFolder, std::ostream& out, std::ostream& err);

} // namespace kiro::check
