#pragma once

#include "client/app/ClientSettings.h"

#include <string>

namespace kiro::services {

// The name of a new mail file of `kind` (0 received text, 1 sent text,
// 2 received binary, 3 sent binary): prefix letter, the two-digit year, the
// five-digit counter and the extension, e.g. "W9810001.TXT". The counter the
// kind uses (WriteMailNo for kind 1, ReadMailNo for the others) is advanced;
// after 29999 it starts again at 1. A kind outside 0..3 is taken as 1.
std::string MakeMailFileName(int kind, const std::string &year2, app::ClientSettings &settings);

} // namespace kiro::services
