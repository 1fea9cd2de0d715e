#pragma once

#include "client/db/Statements.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kiro::db {
class CatalogueDb;
}

namespace kiro::catalogue {

// Where the type-ahead search of a reading-index list lands, asked of the
// engine's index instead of walking the rows: the list is sorted by its
// reading column first, so the rows whose reading begins with a text form
// one run, and the first of them sits after exactly the rows that sort
// before the text. The answer is the row the forward search from the top
// would find.
class ReadingPositionLookup {
public:
    struct Hit {
        long position;
        std::string reading;
    };

    // The query must be of group mode 1 (the reading index).
    ReadingPositionLookup(kiro::db::CatalogueDb& db, const kiro::db::statements::CatalogueQuery& query);

    // The first row whose reading begins with `text` (ASCII letters in either
    // case, every other character literally), or nothing. Throws DbError.
    std::optional<Hit> first(std::string_view text);
    // The reading of the row at `position`, or nothing past the end.
    std::optional<std::string> readingAt(long position);

private:
    // SELECT what FROM the products WHERE the list's conditions + condition;
    // in the list's order when a limit is given.
    std::string query(const std::string& what, const std::string& condition, const std::string& limit) const;

    std::string m_where;
    std::string m_reading;
    std::string m_orderBy;
    std::vector<std::string> m_arguments;
    kiro::db::CatalogueDb& m_db;
};

} // namespace kiro::catalogue
