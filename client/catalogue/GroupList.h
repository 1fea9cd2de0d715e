#pragma once

#include <string>
#include <vector>

namespace kiro::db {
class CatalogueDb;
}

namespace kiro::catalogue {

// The group names of a course in group-code order, as the group list shows
// them. Throws DbError.
std::vector<std::string> loadGroupList(kiro::db::CatalogueDb& db, int course);

} // namespace kiro::catalogue
