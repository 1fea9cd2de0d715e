#include "client/catalogue/ReadingPositionLookup.h"

#include "client/catalogue/CatalogueTables.h"
#include "client/db/CatalogueDb.h"
#include "client/db/Connection.h"

#include <sqlite3.h>

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

} // namespace

ReadingPositionLookup::ReadingPositionLookup(kiro::db::CatalogueDb& db, const kiro::db::statements::CatalogueQuery& q)
    : m_db(db)
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

std::string ReadingPositionLookup::query(const std::string& what, const std::string& condition,
    const std::string& limit) const
{
    std::string sql = "SELECT ";
    sql += what;
    sql += " FROM 商品マスタ";
    sql += m_where;
    sql += condition;
    if (!limit.empty()) {
        sql += m_orderBy;
        sql += limit;
    }
    return sql;
}

std::optional<ReadingPositionLookup::Hit> ReadingPositionLookup::first(std::string_view text)
{
    auto connection = m_db.connection();
    std::string param = "?";
    param += std::to_string(m_arguments.size() + 1);
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
    // Two counts, each a range of the index (an OR would scan the tab).
    kiro::db::Statement empty(connection, query("COUNT(*)", " AND " + m_reading + " IS NULL", {}));
    bindTexts(empty.get(), m_arguments);
    empty.step();
    kiro::db::Statement before(connection, query("COUNT(*)", " AND " + m_reading + " < " + param, {}));
    bindTexts(before.get(), args);
    before.step();
    hit.position = static_cast<long>(sqlite3_column_int64(empty.get(), 0) + sqlite3_column_int64(before.get(), 0));
    return hit;
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
