#pragma once

#include "client/app/ClientSettings.h"

namespace kiro::db {
class CatalogueDb;
}

namespace kiro::client {

// Sets ReadMailNo and WriteMailNo to one past the newest received-and-read
// mail file number and the newest sent mail code (10001 when there is none).
// Database errors are discarded: the numbers then stay as they were.
void recomputeMailNumbers(kiro::db::CatalogueDb& db, kiro::app::ClientSettings& settings);

// The number written with "%05d" from the fourth character of a mail file
// name or code; 10000 for an empty or unreadable name.
int mailNumberFromName(const std::string& name);

} // namespace kiro::client
