#pragma once

#include "client/db/Statements.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kiro::db {
class CatalogueDb;
class Statement;
}

namespace kiro::catalogue {

// Where the type-ahead search of a reading-index list lands, asked of the
// engine's index instead of walking the rows: the list is sorted by its
// reading column first, so the rows whose reading begins with a text form
// one run, and the first of them sits after exactly the rows that sort
// before the text. Those are counted from a sample of every 256th reading,
// taken a little at a time while the list fills, so a keystroke counts at
// most a few hundred rows; before the sample is complete they are counted
// from the top. The answer is the row the forward
// search from the top would find.
class ReadingPositionLookup {
public:
    struct Hit {
        long position;
        std::string reading;
    };

    // The query must be of group mode 1 (the reading index). `stride`: one
    // reading in so many is sampled.
    ReadingPositionLookup(kiro::db::CatalogueDb& db, const kiro::db::statements::CatalogueQuery& query,
        long stride = 256);
    ~ReadingPositionLookup();

    // The first row whose reading begins with `text` (ASCII letters in either
    // case, every other character literally), or nothing. Throws DbError.
    std::optional<Hit> first(std::string_view text);
    // Reads on through the index, at most `maxRows` rows, sampling every
    // stride-th reading; true once the sample is complete. Until then
    // first() counts from the top of the list.
    bool sampleMore(long maxRows);
    // The reading of the row at `position`, or nothing past the end.
    std::optional<std::string> readingAt(long position);

private:
    struct Sample {
        std::string reading;
        long runStart; // position (among non-empty readings) where this reading begins
    };
    long countWhere(const std::string& condition, const std::vector<std::string>& args);
    long rankByCounting(std::string_view text, const std::vector<std::string>& args);
    long rankFromSamples(std::string_view text, const std::vector<std::string>& args);

    // SELECT what FROM the products WHERE the list's conditions + condition;
    // in the list's order, followed by `tail`, when a tail is given (a LIMIT,
    // or a space for every row).
    std::string query(const std::string& what, const std::string& condition, const std::string& tail) const;

    kiro::db::CatalogueDb& m_db;
    std::string m_where;
    std::string m_reading;
    std::string m_orderBy;
    std::vector<std::string> m_arguments;
    long m_stride;
    bool m_sampled = false;
    bool m_samplingFailed = false;
    long m_nullCount = 0;
    std::vector<Sample> m_samples;
    std::unique_ptr<kiro::db::Statement> m_sampler;
    long m_scanned = 0;
    long m_runStart = 0;
    std::string m_previous;
};

// Compares two texts as the catalogue's NOCASE columns sort them.
int compareNoCase(std::string_view a, std::string_view b);

} // namespace kiro::catalogue
