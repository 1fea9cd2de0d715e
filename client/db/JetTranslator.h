#pragma once

#include "client/db/SqlTokenizer.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kiro::db {

// A table named in a FROM clause, with its alias when it has one.
struct TableRef {
    std::string name;   // empty for a derived table: FROM (SELECT ...) AS alias
    std::string alias;
    const std::string& ref() const { return alias.empty() ? name : alias; }
};

// A Jet statement turned into SQLite text.
struct JetStatement {
    enum class Kind { Select, Delete, Update, Insert, Ddl };
    Kind kind = Kind::Select;
    std::string sql;
    // Select only: the FROM tables, and whether every result row stands for
    // one row of each of them (no DISTINCT, GROUP BY or UNION), so a dynaset
    // can write through to the base tables.
    std::vector<TableRef> tables;
    bool rowsAreBaseRows = false;
    // Select only: number of hidden "__kiro_rowid_N" columns appended.
    size_t rowidColumns = 0;
    // Select only: per item of the select list, the table or alias it is
    // qualified with ("b" for "b.name"), empty for other items.
    std::vector<std::string> itemQualifiers;
};

// Name of the hidden column that carries the rowid of FROM table `index`.
std::string rowidColumnName(size_t index);

// Translates one Jet statement (an optional final ";" included) into the
// SQLite dialect: double-quoted literals become single-quoted, [names]
// become quoted identifiers, DISTINCTROW goes, DELETE t.* FROM joins and
// UPDATE over joins become deletes and updates by rowid, qualified SET
// columns lose their table, LIKE wildcards * and ? become % and _, date
// literals #...# become stored date texts, Jet type names are mapped.
// With `withRowids` a SELECT whose rows are base rows gets one hidden rowid
// column per FROM table. Throws DbError on a statement it cannot read.
JetStatement translateJet(std::string_view jetSql, bool withRowids = false);

// The columns of a table in order, each with whether it holds dates; empty
// for an unknown table.
struct ColumnInfo {
    std::string name;
    bool isDate = false;
    bool isText = false;
};
using ColumnCatalog = std::function<std::vector<ColumnInfo>(std::string_view table)>;

// As above; with a catalogue, a text literal written into a date column by
// INSERT ... VALUES or UPDATE ... SET is stored as a date, as the engine
// converted it ("98/12/01" -> "1998-12-01 00:00:00").
// Also with a catalogue: a text column compared with a number literal
// ("code = 1") is a type mismatch (3421), as in Jet, not a comparison that
// silently matches nothing.
JetStatement translateJet(std::string_view jetSql, const ColumnCatalog& catalog, bool withRowids = false);

// Turns a Jet LIKE pattern into a SQLite one. Patterns with "#", "[...]" or
// characters SQLite would take as wildcards come back unchanged with
// `needsJetMatcher` set: they must be written LIKE '...' ESCAPE '\', which
// every catalogue connection routes to jetLikeMatch.
std::string jetLikePattern(std::string_view pattern, bool& needsJetMatcher);

} // namespace kiro::db
