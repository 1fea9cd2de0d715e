#pragma once

#include "client/db/Statements.h"

#include <chrono>
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
// most a few hundred rows. Before the sample is complete, a text within the
// part read so far is counted from its samples, one beyond it from where the
// reading stopped; a count longer than the limit is not made (the position
// is not known yet: ask again once more of the sample is read). The answer
// is the row the forward search from the top would find.
class ReadingPositionLookup {
public:
    static constexpr long kUnknown = -1;
    static constexpr long kStride = 256;
    // Index entries a keystroke may count (a few milliseconds).
    static constexpr long kCountLimit = 8192;

    struct Hit {
        long position; // kUnknown while the sample is too short to count it
        std::string reading;
    };

    // The query must be of group mode 1 (the reading index). `stride`: one
    // reading in so many is sampled; `countLimit`: the longest count made
    // before the sample is complete.
    ReadingPositionLookup(kiro::db::CatalogueDb& db, const kiro::db::statements::CatalogueQuery& query,
        long stride = kStride, long countLimit = kCountLimit);
    ~ReadingPositionLookup();

    // The first row whose reading begins with `text` (ASCII letters in either
    // case, every other character literally), or nothing. Throws DbError.
    std::optional<Hit> first(std::string_view text);
    // Reads on through the index, at most `maxRows` rows or for about
    // `budget`, sampling every stride-th reading; true once the sample is
    // complete.
    bool sampleMore(long maxRows, std::chrono::steady_clock::duration budget = std::chrono::hours(1));
    bool sampled() const { return m_sampled || m_samplingFailed; }
    // Whether the sample is complete or read past the text: then first()
    // knows the position of the text's hit.
    bool reaches(std::string_view text) const;
    // The reading of the row at `position`, or nothing past the end.
    std::optional<std::string> readingAt(long position);

private:
    struct Sample {
        std::string reading;
        long runStart; // position (among non-empty readings) where this reading begins
    };
    // Rows matching, or kUnknown when there are `limit` or more (limit < 0:
    // no limit).
    long countWhere(const std::string& condition, const std::vector<std::string>& args, long limit = -1);
    long rank(std::string_view text, const std::vector<std::string>& args);

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
    long m_countLimit;
    bool m_sampled = false;
    bool m_samplingFailed = false;
    long m_nullCount = 0;
    std::vector<Sample> m_samples;
    std::unique_ptr<kiro::db::Statement> m_sampler;
    long m_scanned = 0; // non-empty readings read so far
    long m_runStart = 0;
    std::string m_previous;
};

// Compares two texts as the catalogue's NOCASE columns sort them.
int compareNoCase(std::string_view a, std::string_view b);

} // namespace kiro::catalogue
