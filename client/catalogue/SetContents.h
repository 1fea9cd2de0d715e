#pragma once

#include <string>
#include <vector>

namespace kiro::db {
class CatalogueDb;
}

namespace kiro::catalogue {

struct SetSong {
    std::string name;
    std::string singer;
    std::string firstWords;
    int downloaded = 0;
};

// A set product as the set reservation dialog shows it.
struct SetForReserve {
    bool found = false;
    std::string name;
    std::string composer;
    std::string firstWords; // shown under "備考:"
    std::string jasrac;
    int price1 = 0;
    int price2 = 0;
    std::vector<SetSong> songs;
};

// Both read the songs of a set in reading order. Throw DbError.
SetForReserve loadSetForReserve(kiro::db::CatalogueDb& db, int course, const std::string& setCode);
std::vector<SetSong> loadSetContents(kiro::db::CatalogueDb& db, int course, const std::string& setCode);

// A field's text with the engine's "NULL" shown as nothing.
std::string shownText(const std::string& fieldText);

} // namespace kiro::catalogue
