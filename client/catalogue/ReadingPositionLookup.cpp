#include "client/catalogue/ReadingPositionLookup.h"

#include "client/catalogue/CatalogueTables.h"
#include "client/db/CatalogueDb.h"
#include "client/db/Connection.h"
#include "client/db/DbError.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>

namespace kiro::catalogue {
namespace {

void bindTexts(sqlite3_stmt* stmt, const std::vector<std::string>& texts)
{
    int index = 0;
    for (const std::string& t : texts)
        sqlite3_bind_text(stmt, ++index, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
}

std::string columnText(sqlite3_stmt* stmt, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt, column))) : std::string("NULL");
}

// "?n", the engine's numbered parameter.
std::string placeholder(size_t n)
{
    std::string p = "?";
    p += std::to_string(n);
    return p;
}

} // namespace

int compareNoCase(std::string_view a, std::string_view b)
{
    // The catalogue's NOCASE collation: ASCII capitals fold to small letters,
    // every other byte compares as it is, a shorter text first.
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y + 32);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

ReadingPositionLookup::ReadingPositionLookup(kiro::db::CatalogueDb& db, const kiro::db::statements::CatalogueQuery& q,
    long stride, long countLimit)
    : m_db(db)
    , m_stride(std::max(1L, stride))
    , m_countLimit(std::max(1L, countLimit))
{
    // The same conditions and order as the screen's reading-index query, in
    // the engine's own dialect; the column names are the fixed ones of the
    // index tables, every value is bound.
    const auto x = kiro::db::statements::catalogueColumns(q.indexKind, q.indexType);
    m_reading = std::string("\"") + x.reading + "\"";
    m_where = std::string(" WHERE \"") + x.indexCode + "\" = ?1 AND コースコード = ?2";
    m_arguments = {q.tabCode, courseText(q.course)};
    if (q.genreIndex > 0) {
        m_where += " AND ジャンルコード = ?3";
        m_arguments.push_back(courseText(q.genreCode));
    }
    if (q.course == 50 && q.linkFilter == 2)
        m_where += " AND (リンクサイン = 0 OR リンクサイン = 2)";
    else if (q.course == 50 && q.linkFilter == 1)
        m_where += " AND リンクサイン = 1";
    // Product codes are unique within a course, so the list's third sort
    // column never decides; leaving it out lets the engine walk its index
    // in order instead of sorting.
    m_orderBy = " ORDER BY " + m_reading + ", 商品コード";
}

ReadingPositionLookup::~ReadingPositionLookup() = default;

std::string ReadingPositionLookup::query(const std::string& what, const std::string& condition,
    const std::string& tail) const
{
    std::string sql = "SELECT ";
    sql += what;
    sql += " FROM 商品マスタ";
    sql += m_where;
    sql += condition;
    if (!tail.empty()) {
        sql += m_orderBy;
        sql += tail;
    }
    return sql;
}

std::optional<ReadingPositionLookup::Hit> ReadingPositionLookup::first(std::string_view text)
{
    auto connection = m_db.connection();
    const std::string param = placeholder(m_arguments.size() + 1);
    std::vector<std::string> args = m_arguments;
    args.emplace_back(text);
    // The first row at or after the text in the list's order...
    kiro::db::Statement next(connection, query(m_reading, " AND " + m_reading + " >= " + param, " LIMIT 1"));
    bindTexts(next.get(), args);
    if (!next.step())
        return std::nullopt;
    Hit hit;
    hit.reading = columnText(next.get(), 0);
    if (!startsWithIgnoringAsciiCase(hit.reading, text))
        return std::nullopt;
    // ...sits after every row that sorts before it (empty readings first).
    hit.position = rank(text, args);
    return hit;
}

long ReadingPositionLookup::countWhere(const std::string& condition, const std::vector<std::string>& args, long limit)
{
    std::string sql = limit < 0 ? query("COUNT(*)", condition, {})
                                : "SELECT COUNT(*) FROM (" + query("1", condition, {}) + " LIMIT " +
                                      std::to_string(limit) + ")";
    kiro::db::Statement count(m_db.connection(), sql);
    bindTexts(count.get(), args);
    count.step();
    const long n = static_cast<long>(sqlite3_column_int64(count.get(), 0));
    return limit >= 0 && n >= limit ? kUnknown : n;
}

long ReadingPositionLookup::rank(std::string_view text, const std::vector<std::string>& args)
{
    // Once the sample is complete every count is short (within a stride),
    // unless the catalogue holds long runs of one reading: then it is made
    // whatever it costs, as the answer must be right.
    const long limit = sampled() ? -1 : m_countLimit;
    // Empty readings sort first: the sampler has met them all once it has
    // met a reading.
    long nulls = m_nullCount;
    if (!sampled() && m_scanned == 0) {
        nulls = countWhere(" AND " + m_reading + " IS NULL", m_arguments, limit);
        if (nulls == kUnknown)
            return kUnknown;
    } else if (m_samplingFailed) {
        nulls = countWhere(" AND " + m_reading + " IS NULL", m_arguments);
    }
    // Count from the start of the last sampled reading below the text; when
    // the sample stops below the text, from where it stopped.
    const auto above = std::partition_point(m_samples.begin(), m_samples.end(),
        [&](const Sample& sample) { return compareNoCase(sample.reading, text) < 0; });
    std::optional<Sample> from;
    if (above != m_samples.begin())
        from = *(above - 1);
    if (!m_sampled && !m_samplingFailed && m_scanned > 0 && compareNoCase(m_previous, text) < 0)
        from = Sample{m_previous, m_runStart};
    long counted = 0;
    if (!from) {
        // Two counts, each a range of the index (an OR would scan the tab).
        counted = countWhere(" AND " + m_reading + " < " + placeholder(args.size()), args, limit);
    } else {
        std::vector<std::string> range = args;
        range.push_back(from->reading);
        const std::string condition = " AND " + m_reading + " >= " + placeholder(range.size()) + " AND " +
                                      m_reading + " < " + placeholder(args.size());
        counted = countWhere(condition, range, limit);
    }
    if (counted == kUnknown)
        return kUnknown;
    return nulls + (from ? from->runStart : 0) + counted;
}

bool ReadingPositionLookup::reaches(std::string_view text) const
{
    return sampled() || (m_scanned > 0 && compareNoCase(m_previous, text) >= 0);
}

bool ReadingPositionLookup::sampleMore(long maxRows, std::chrono::steady_clock::duration budget)
{
    if (sampled())
        return true;
    const auto until = std::chrono::steady_clock::now() + budget;
    try {
        if (!m_sampler) {
            // Empty readings come first in the list's order: they are
            // counted, the others sampled.
            m_sampler = std::make_unique<kiro::db::Statement>(m_db.connection(), query(m_reading, {}, " "));
            bindTexts(m_sampler->get(), m_arguments);
        }
        // Every stride-th reading with the position where its run of equal
        // readings begins.
        for (long n = 0; n < maxRows; ++n) {
            if (n % 128 == 127 && std::chrono::steady_clock::now() >= until)
                break;
            if (!m_sampler->step()) {
                m_sampler.reset(); // done: the engine's read ends here
                m_sampled = true;
                return true;
            }
            if (sqlite3_column_type(m_sampler->get(), 0) == SQLITE_NULL) {
                ++m_nullCount;
                continue;
            }
            const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_sampler->get(), 0));
            const std::string_view reading(
                bytes ? bytes : "", static_cast<size_t>(sqlite3_column_bytes(m_sampler->get(), 0)));
            if (m_scanned == 0 || compareNoCase(reading, m_previous) != 0) {
                m_runStart = m_scanned;
                m_previous.assign(reading);
            }
            if (m_scanned % m_stride == 0)
                m_samples.push_back(Sample{std::string(reading), m_runStart});
            ++m_scanned;
        }
    } catch (const kiro::db::DbError&) {
        // Positions are counted instead; slower, never wrong.
        m_sampler.reset();
        m_samples.clear();
        m_samplingFailed = true;
    }
    return sampled();
}

std::optional<std::string> ReadingPositionLookup::readingAt(long position)
{
    if (position < 0)
        return std::nullopt;
    kiro::db::Statement row(m_db.connection(), query(m_reading, {}, " LIMIT 1 OFFSET " + std::to_string(position)));
    bindTexts(row.get(), m_arguments);
    if (!row.step())
        return std::nullopt;
    return columnText(row.get(), 0);
}

} // namespace kiro::catalogue
