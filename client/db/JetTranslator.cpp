#include "client/db/JetTranslator.h"

#include <algorithm>

#include "client/db/DateText.h"
#include "client/db/DbError.h"

#include <algorithm>
#include <initializer_list>
#include <map>
#include <optional>

namespace kiro::db {
namespace {

using Tokens = std::vector<SqlToken>;

[[noreturn]] void fail(long code, const std::string& message) { throw DbError(code, message); }

bool isAnyWord(const SqlToken& t, std::initializer_list<std::string_view> words)
{
    for (std::string_view w : words)
        if (t.isWord(w))
            return true;
    return false;
}

// Index of the first token in [from, to) at parenthesis depth 0 that is one
// of `words`, or `to`.
size_t findTopLevel(const Tokens& t, size_t from, size_t to, std::initializer_list<std::string_view> words)
{
    int depth = 0;
    for (size_t i = from; i < to; ++i) {
        if (t[i].isPunct("("))
            ++depth;
        else if (t[i].isPunct(")"))
            --depth;
        else if (depth == 0 && isAnyWord(t[i], words))
            return i;
    }
    return to;
}

// Splits [from, to) at commas of depth 0.
std::vector<std::pair<size_t, size_t>> splitTopLevel(const Tokens& t, size_t from, size_t to)
{
    std::vector<std::pair<size_t, size_t>> parts;
    int depth = 0;
    size_t start = from;
    for (size_t i = from; i < to; ++i) {
        if (t[i].isPunct("("))
            ++depth;
        else if (t[i].isPunct(")"))
            --depth;
        else if (depth == 0 && t[i].isPunct(",")) {
            parts.emplace_back(start, i);
            start = i + 1;
        }
    }
    if (start < to)
        parts.emplace_back(start, to);
    return parts;
}

std::string identifierText(const SqlToken& t)
{
    return t.kind == SqlToken::Kind::Bracketed ? quoteSqlIdentifier(t.text) : t.text;
}

class Emitter {
public:
    explicit Emitter(bool ddl) : m_ddl(ddl) {}

    void raw(std::string_view text)
    {
        if (!m_out.empty() && m_out.back() != ' ' && m_out.back() != '.' && text != "." && text != ")"
            && text != "," && m_out.back() != '(')
            m_out.push_back(' ');
        m_out.append(text);
    }

    // Emits tokens [from, to) in the SQLite dialect.
    void tokens(const Tokens& t, size_t from, size_t to)
    {
        for (size_t i = from; i < to; ++i)
            i = token(t, i, to);
    }

    std::string take() { return std::move(m_out); }

private:
    // Emits token i and returns the index of the last token consumed.
    size_t token(const Tokens& t, size_t i, size_t to)
    {
        const SqlToken& tok = t[i];
        switch (tok.kind) {
        case SqlToken::Kind::String:
            raw(quoteSqlString(tok.text));
            return i;
        case SqlToken::Kind::Bracketed:
            raw(quoteSqlIdentifier(tok.text));
            return i;
        case SqlToken::Kind::Number:
            raw(tok.text);
            return i;
        case SqlToken::Kind::Date: {
            auto date = parseDateText(tok.text, DateOrder::MonthFirst);
            if (!date)
                fail(kErrorSyntax, "Syntax error in date in query expression '#" + tok.text + "#'.");
            raw(quoteSqlString(formatDateStorage(*date)));
            return i;
        }
        case SqlToken::Kind::Punct:
            raw(tok.isPunct("&") ? "||" : tok.text);
            return i;
        case SqlToken::Kind::Word:
            return word(t, i, to);
        }
        return i;
    }

    size_t word(const Tokens& t, size_t i, size_t to)
    {
        const SqlToken& tok = t[i];
        const bool call = i + 1 < to && t[i + 1].isPunct("(");
        const bool qualified = (i > 0 && t[i - 1].isPunct(".")) || (i + 1 < to && t[i + 1].isPunct("."));
        if (tok.isWord("DISTINCTROW"))
            return i;
        if (!qualified && tok.isWord("TRUE")) {
            raw("-1");
            return i;
        }
        if (!qualified && tok.isWord("FALSE")) {
            raw("0");
            return i;
        }
        if (tok.isWord("LIKE") && i + 1 < to && t[i + 1].kind == SqlToken::Kind::String) {
            bool escape = false;
            std::string pattern = jetLikePattern(t[i + 1].text, escape);
            raw("LIKE");
            raw(quoteSqlString(pattern));
            if (escape)
                raw("ESCAPE '\\'");
            return i + 1;
        }
        if (call && !qualified && i + 2 < to && t[i + 2].isPunct(")")) {
            if (tok.isWord("NOW")) {
                raw("datetime('now','localtime')");
                return i + 2;
            }
            if (tok.isWord("DATE")) {
                raw("(date('now','localtime')||' 00:00:00')");
                return i + 2;
            }
        }
        if (call && !qualified) {
            if (tok.isWord("LEN")) {
                raw("length");
                return i;
            }
            if (tok.isWord("MID")) {
                raw("substr");
                return i;
            }
            if (tok.isWord("UCASE")) {
                raw("upper");
                return i;
            }
            if (tok.isWord("LCASE")) {
                raw("lower");
                return i;
            }
        }
        if (m_ddl && !qualified) {
            if (isAnyWord(tok, {"MEMO", "LONGTEXT", "NOTE"})) {
                raw("TEXT");
                return i;
            }
            if (isAnyWord(tok, {"COUNTER", "AUTOINCREMENT"})) {
                raw("INTEGER");
                return i;
            }
            if (isAnyWord(tok, {"LONGBINARY", "OLEOBJECT", "GENERAL"})) {
                raw("BLOB");
                return i;
            }
        }
        raw(tok.text);
        return i;
    }

    bool m_ddl;
    std::string m_out;
};

// Finds the tables of a FROM clause [from, to).
std::vector<TableRef> fromTables(const Tokens& t, size_t from, size_t to)
{
    std::vector<TableRef> tables;
    bool expectTable = true;
    for (size_t i = from; i < to; ++i) {
        const SqlToken& tok = t[i];
        if (expectTable && tok.isPunct("(") && i + 1 < to && t[i + 1].isWord("SELECT")) {
            // A derived table: its rows are no table's rows; only its alias
            // can be named.
            int depth = 0;
            size_t close = i;
            for (; close < to; ++close) {
                if (t[close].isPunct("("))
                    ++depth;
                else if (t[close].isPunct(")") && --depth == 0)
                    break;
            }
            TableRef ref;
            i = close;
            if (i + 2 < to && t[i + 1].isWord("AS") && t[i + 2].isIdentifier()) {
                ref.alias = t[i + 2].text;
                i += 2;
            } else if (i + 1 < to && t[i + 1].isIdentifier() && !isAnyWord(t[i + 1], {"ON", "INNER", "LEFT", "RIGHT",
                           "OUTER", "JOIN", "CROSS", "WHERE", "GROUP", "ORDER", "HAVING", "UNION", "NATURAL"})) {
                ref.alias = t[i + 1].text;
                i += 1;
            }
            tables.push_back(std::move(ref));
            expectTable = false;
            continue;
        }
        if (tok.isPunct("(")) {
            continue; // "(" keeps whatever was expected
        }
        if (tok.isPunct(",") || tok.isWord("JOIN")) {
            expectTable = true;
            continue;
        }
        if (expectTable && tok.isIdentifier() && !(i + 1 < to && (t[i + 1].isPunct(".") || t[i + 1].isPunct("(")))) {
            TableRef ref{tok.text, {}};
            if (i + 2 < to && t[i + 1].isWord("AS") && t[i + 2].isIdentifier()) {
                ref.alias = t[i + 2].text;
                i += 2;
            } else if (i + 1 < to && t[i + 1].isIdentifier()
                       && !isAnyWord(t[i + 1], {"ON", "INNER", "LEFT", "RIGHT", "OUTER", "JOIN", "CROSS", "WHERE",
                                                "GROUP", "ORDER", "HAVING", "UNION", "NATURAL"})) {
                ref.alias = t[i + 1].text;
                i += 1;
            }
            tables.push_back(std::move(ref));
        }
        expectTable = false;
    }
    return tables;
}

// Jet nests joins in parentheses: "a INNER JOIN (b INNER JOIN c ON x) ON y".
// SQLite reads the parenthesised part as a subquery, whose tables then lose
// their rowids; inner joins are flattened to "a INNER JOIN b INNER JOIN c
// ON (x) AND (y)", which selects the same rows.
void emitFrom(Emitter& out, const Tokens& t, size_t from, size_t to)
{
    bool nested = false, outer = false;
    for (size_t i = from; i + 1 < to; ++i) {
        if ((t[i].isWord("JOIN") || t[i].isWord("FROM")) && t[i + 1].isPunct("(")
            && !(i + 2 < to && t[i + 2].isWord("SELECT")))
            nested = true;
        if (isAnyWord(t[i], {"LEFT", "RIGHT", "OUTER", "FULL"}))
            outer = true;
    }
    if (from < to && t[from].isWord("FROM") && from + 1 < to && t[from + 1].isPunct("(")
        && !(from + 2 < to && t[from + 2].isWord("SELECT")))
        nested = true;
    if (!nested || outer) {
        out.tokens(t, from, to);
        return;
    }
    auto tables = fromTables(t, from + 1, to);
    std::vector<std::pair<size_t, size_t>> conditions;
    for (size_t i = from; i < to; ++i) {
        if (!t[i].isWord("ON"))
            continue;
        int depth = 0;
        size_t j = i + 1;
        for (; j < to; ++j) {
            if (t[j].isPunct("("))
                ++depth;
            else if (t[j].isPunct(")")) {
                if (depth == 0)
                    break;
                --depth;
            } else if (depth == 0 && isAnyWord(t[j], {"INNER", "JOIN", "CROSS"}))
                break;
        }
        conditions.emplace_back(i + 1, j);
        i = j - 1;
    }
    out.raw("FROM");
    for (size_t k = 0; k < tables.size(); ++k) {
        if (k > 0)
            out.raw("INNER JOIN");
        out.raw(identifierText({SqlToken::Kind::Bracketed, tables[k].name, 0}));
        if (!tables[k].alias.empty())
            out.raw(identifierText({SqlToken::Kind::Bracketed, tables[k].alias, 0}));
    }
    for (size_t k = 0; k < conditions.size(); ++k) {
        out.raw(k == 0 ? "ON (" : "AND (");
        out.tokens(t, conditions[k].first, conditions[k].second);
        out.raw(")");
    }
}

const TableRef* findTable(const std::vector<TableRef>& tables, std::string_view nameOrAlias)
{
    for (const TableRef& r : tables)
        if (equalsIgnoreCase(r.ref(), nameOrAlias))
            return &r;
    for (const TableRef& r : tables)
        if (equalsIgnoreCase(r.name, nameOrAlias))
            return &r;
    return nullptr;
}

JetStatement translateSelect(const Tokens& t, bool withRowids)
{
    JetStatement st;
    st.kind = JetStatement::Kind::Select;
    Emitter out(false);
    out.raw("SELECT");
    size_t i = 1;
    bool distinct = false;
    std::string limit;
    for (; i < t.size(); ++i) {
        if (t[i].isWord("DISTINCTROW") || t[i].isWord("ALL"))
            continue;
        if (t[i].isWord("DISTINCT")) {
            distinct = true;
            out.raw("DISTINCT");
            continue;
        }
        if (t[i].isWord("TOP") && i + 1 < t.size() && t[i + 1].kind == SqlToken::Kind::Number) {
            limit = t[i + 1].text;
            ++i;
            if (i + 1 < t.size() && t[i + 1].isWord("PERCENT"))
                fail(kErrorSyntax, "TOP ... PERCENT is not supported.");
            continue;
        }
        break;
    }
    const size_t fromAt = findTopLevel(t, i, t.size(), {"FROM"});
    // Name every plain column after itself: after parenthesised joins the
    // engine would otherwise name result columns unpredictably.
    auto items = splitTopLevel(t, i, fromAt);
    for (size_t k = 0; k < items.size(); ++k) {
        auto [b, e] = items[k];
        if (k > 0)
            out.raw(",");
        out.tokens(t, b, e);
        const size_t n = e - b;
        const bool plain = (n == 1 && t[b].isIdentifier())
            || (n == 3 && t[b].isIdentifier() && t[b + 1].isPunct(".") && t[b + 2].isIdentifier());
        if (plain)
            out.raw("AS " + quoteSqlIdentifier(t[e - 1].text));
        st.itemQualifiers.push_back(plain && n == 3 ? t[b].text : std::string());
    }
    const size_t clauseEnd = findTopLevel(t, fromAt, t.size(), {"WHERE", "GROUP", "ORDER", "HAVING", "UNION"});
    if (fromAt < t.size())
        st.tables = fromTables(t, fromAt + 1, clauseEnd);
    const bool grouped = findTopLevel(t, fromAt, t.size(), {"GROUP", "UNION"}) != t.size();
    const bool derived = std::any_of(st.tables.begin(), st.tables.end(), [](const TableRef& r) { return r.name.empty(); });
    st.rowsAreBaseRows = !distinct && !grouped && !derived && !st.tables.empty();
    if (withRowids && st.rowsAreBaseRows) {
        for (size_t k = 0; k < st.tables.size(); ++k)
            out.raw(", " + identifierText({SqlToken::Kind::Bracketed, st.tables[k].ref(), 0}) + ".rowid AS "
                    + rowidColumnName(k));
        st.rowidColumns = st.tables.size();
    }
    emitFrom(out, t, fromAt, clauseEnd);
    out.tokens(t, clauseEnd, t.size());
    if (!limit.empty())
        out.raw("LIMIT " + limit);
    st.sql = out.take();
    return st;
}

JetStatement translateDelete(const Tokens& t)
{
    JetStatement st;
    st.kind = JetStatement::Kind::Delete;
    const size_t fromAt = findTopLevel(t, 1, t.size(), {"FROM"});
    if (fromAt == t.size())
        fail(kErrorSyntax, "Syntax error in DELETE statement: FROM is missing.");
    const size_t whereAt = findTopLevel(t, fromAt + 1, t.size(), {"WHERE"});
    auto tables = fromTables(t, fromAt + 1, whereAt);
    Emitter out(false);
    // An alias cannot follow the table of a plain DELETE in SQLite: such a
    // statement takes the rowid form below.
    const bool aliased = tables.size() == 1 && !tables[0].alias.empty();
    if (tables.size() == 1 && whereAt - fromAt - 1 <= 3 && !aliased) {
        // One table: "DELETE t.*", "DELETE col, col" and "DELETE *" all
        // remove whole rows of it.
        out.raw("DELETE");
        out.tokens(t, fromAt, t.size());
        st.sql = out.take();
        return st;
    }
    // Rows of the named table that the join selects.
    const bool named = fromAt >= 3 && t[1].isIdentifier() && t[2].isPunct(".");
    if (!named && !aliased)
        fail(3128, "Specify the table containing the records you want to delete.");
    const TableRef* target = named ? findTable(tables, t[1].text) : &tables[0];
    if (!target)
        fail(3128, "Specify the table containing the records you want to delete.");
    out.raw("DELETE FROM " + quoteSqlIdentifier(target->name) + " WHERE rowid IN (SELECT "
            + quoteSqlIdentifier(target->ref()) + ".rowid");
    emitFrom(out, t, fromAt, whereAt);
    out.tokens(t, whereAt, t.size());
    out.raw(")");
    st.sql = out.take();
    return st;
}

JetStatement translateUpdate(const Tokens& t)
{
    JetStatement st;
    st.kind = JetStatement::Kind::Update;
    const size_t setAt = findTopLevel(t, 1, t.size(), {"SET"});
    if (setAt == t.size() || setAt == 1)
        fail(kErrorSyntax, "Syntax error in UPDATE statement.");
    const size_t whereAt = findTopLevel(t, setAt + 1, t.size(), {"WHERE"});
    auto tables = fromTables(t, 1, setAt);
    // An aliased single table takes the rowid form, as a join does.
    const bool joined = tables.size() > 1 || (tables.size() == 1 && !tables[0].alias.empty());
    std::string firstQualifier;
    Emitter sets(false);
    auto assignments = splitTopLevel(t, setAt + 1, whereAt);
    for (size_t k = 0; k < assignments.size(); ++k) {
        auto [b, e] = assignments[k];
        if (k > 0)
            sets.raw(",");
        // SQLite wants the bare column on the left of "=".
        if (e - b >= 4 && t[b].isIdentifier() && t[b + 1].isPunct(".") && t[b + 2].isIdentifier()
            && t[b + 3].isPunct("=")) {
            if (firstQualifier.empty())
                firstQualifier = t[b].text;
            b += 2;
        }
        sets.tokens(t, b, e);
    }
    Emitter out(false);
    if (!joined) {
        out.raw("UPDATE");
        out.tokens(t, 1, setAt);
        out.raw("SET " + sets.take());
        out.tokens(t, whereAt, t.size());
    } else {
        const TableRef* target = tables.size() == 1 ? &tables[0] : findTable(tables, firstQualifier);
        if (!target)
            fail(kErrorSyntax, "UPDATE over a join needs qualified column names.");
        out.raw("UPDATE " + quoteSqlIdentifier(target->name) + " SET " + sets.take() + " WHERE rowid IN (SELECT "
                + quoteSqlIdentifier(target->ref()) + ".rowid FROM");
        out.tokens(t, 1, setAt);
        out.tokens(t, whereAt, t.size());
        out.raw(")");
    }
    st.sql = out.take();
    return st;
}

bool isTextType(const SqlToken& t)
{
    return isAnyWord(t, {"TEXT", "MEMO", "LONGTEXT", "NOTE", "CHAR", "VARCHAR", "CHARACTER", "STRING"});
}

// For a column definition [b, e) ("name TEXT(10) NOT NULL") of a text type
// that names no collation, records the index of the type's last token.
void markTextColumn(const Tokens& t, size_t b, size_t e, std::vector<size_t>& collateAfter)
{
    if (e - b < 2 || !t[b].isIdentifier() || !isTextType(t[b + 1]) || findTopLevel(t, b, e, {"COLLATE"}) != e)
        return;
    size_t last = b + 1;
    if (last + 1 < e && t[last + 1].isPunct("(")) {
        last += 1;
        while (last < e && !t[last].isPunct(")"))
            ++last;
        if (last == e)
            return;
    }
    collateAfter.push_back(last);
}

// Text columns that an update script creates compare regardless of case,
// like the catalogue's own (and the Jet engine's).
std::vector<size_t> textColumnTypeEnds(const Tokens& t, size_t end)
{
    std::vector<size_t> collateAfter;
    if (t.size() > 2 && t[0].isWord("CREATE") && t[1].isWord("TABLE")) {
        size_t open = 2;
        while (open < end && !t[open].isPunct("("))
            ++open;
        int depth = 0;
        size_t close = open;
        for (; close < end; ++close) {
            if (t[close].isPunct("("))
                ++depth;
            else if (t[close].isPunct(")") && --depth == 0)
                break;
        }
        if (open < end)
            for (auto [b, e] : splitTopLevel(t, open + 1, close))
                markTextColumn(t, b, e, collateAfter);
    } else if (t[0].isWord("ALTER")) {
        size_t column = findTopLevel(t, 1, end, {"ADD"}) + 1;
        if (column < end && t[column].isWord("COLUMN"))
            ++column;
        if (column < end)
            markTextColumn(t, column, end, collateAfter);
    }
    return collateAfter;
}

JetStatement translateDdl(const Tokens& t)
{
    JetStatement st;
    st.kind = JetStatement::Kind::Ddl;
    size_t end = t.size();
    // Jet index options have no counterpart: "WITH PRIMARY", "WITH DISALLOW NULL".
    if (t[0].isWord("CREATE")) {
        size_t withAt = findTopLevel(t, 1, t.size(), {"WITH"});
        if (withAt < t.size() && withAt + 1 < t.size()
            && isAnyWord(t[withAt + 1], {"PRIMARY", "DISALLOW", "IGNORE"}))
            end = withAt;
    }
    // "DROP INDEX i ON t": SQLite index names are per database.
    if (t[0].isWord("DROP") && t.size() > 1 && t[1].isWord("INDEX"))
        end = findTopLevel(t, 2, t.size(), {"ON"});
    Emitter out(true);
    size_t from = 0;
    for (size_t last : textColumnTypeEnds(t, end)) {
        out.tokens(t, from, last + 1);
        out.raw("COLLATE NOCASE");
        from = last + 1;
    }
    out.tokens(t, from, end);
    st.sql = out.take();
    return st;
}

bool isDateColumn(const std::vector<ColumnInfo>& columns, std::string_view name)
{
    for (const ColumnInfo& c : columns)
        if (equalsIgnoreCase(c.name, name))
            return c.isDate;
    return false;
}

void toStoredDate(SqlToken& token)
{
    if (token.kind != SqlToken::Kind::String)
        return;
    if (auto date = parseDateText(token.text, DateOrder::YearFirst))
        token.text = formatDateStorage(*date);
}

// Rewrites text literals bound for date columns into stored dates.
// The column a name at [b, e) stands for ("col" or "table.col"), looked up
// in the statement's tables; nullopt when it is not a known column.
std::optional<ColumnInfo> columnAt(const Tokens& t, size_t b, size_t e, const std::vector<TableRef>& tables,
                                   const ColumnCatalog& catalog)
{
    std::string_view qualifier, name;
    if (e - b == 1 && t[b].isIdentifier())
        name = t[b].text;
    else if (e - b == 3 && t[b].isIdentifier() && t[b + 1].isPunct(".") && t[b + 2].isIdentifier())
        qualifier = t[b].text, name = t[b + 2].text;
    else
        return std::nullopt;
    for (const TableRef& table : tables) {
        if (table.name.empty() || (!qualifier.empty() && !equalsIgnoreCase(table.ref(), qualifier)
                                   && !equalsIgnoreCase(table.name, qualifier)))
            continue;
        for (const ColumnInfo& c : catalog(table.name))
            if (equalsIgnoreCase(c.name, name))
                return c;
    }
    return std::nullopt;
}

void refuseTextNumberComparisons(const Tokens& t, const ColumnCatalog& uncached)
{
    // PRAGMA table_info costs a little: once per table and statement.
    std::map<std::string, std::vector<ColumnInfo>, std::less<>> known;
    const ColumnCatalog catalog = [&](std::string_view table) {
        auto it = known.find(table);
        if (it == known.end())
            it = known.emplace(std::string(table), uncached(table)).first;
        return it->second;
    };
    auto isComparison = [](const SqlToken& tok) {
        return tok.isPunct("=") || tok.isPunct("<>") || tok.isPunct("<") || tok.isPunct(">") || tok.isPunct("<=")
            || tok.isPunct(">=");
    };
    bool anyNumberComparison = false;
    for (size_t i = 1; i + 1 < t.size() && !anyNumberComparison; ++i)
        anyNumberComparison = isComparison(t[i]) && (t[i - 1].kind == SqlToken::Kind::Number
                                                     || t[i + 1].kind == SqlToken::Kind::Number || t[i + 1].isPunct("-"));
    if (!anyNumberComparison)
        return;
    // The tables a name may belong to: FROM of SELECT and DELETE, the
    // table(s) of UPDATE.
    std::vector<TableRef> tables;
    if (!t.empty() && t[0].isWord("UPDATE")) {
        tables = fromTables(t, 1, findTopLevel(t, 1, t.size(), {"SET"}));
    } else {
        for (size_t i = 0; i < t.size(); ++i) {
            if (!t[i].isWord("FROM"))
                continue;
            const size_t end = findTopLevel(t, i + 1, t.size(), {"WHERE", "GROUP", "ORDER", "HAVING", "UNION"});
            auto more = fromTables(t, i + 1, end);
            tables.insert(tables.end(), more.begin(), more.end());
        }
    }
    if (tables.empty())
        return;
    auto textColumnEndingAt = [&](size_t end) {
        for (size_t length : {size_t{1}, size_t{3}}) {
            if (end < length)
                continue;
            auto column = columnAt(t, end - length, end, tables, catalog);
            if (column)
                return column->isText;
        }
        return false;
    };
    auto textColumnStartingAt = [&](size_t begin) {
        for (size_t length : {size_t{3}, size_t{1}}) {
            if (begin + length > t.size())
                continue;
            auto column = columnAt(t, begin, begin + length, tables, catalog);
            if (column)
                return column->isText;
        }
        return false;
    };
    for (size_t i = 1; i + 1 < t.size(); ++i) {
        if (!isComparison(t[i]))
            continue;
        size_t number = i + 1;
        if (t[number].isPunct("-") && number + 1 < t.size())
            ++number;
        const bool numberRight = t[number].kind == SqlToken::Kind::Number && textColumnEndingAt(i);
        const bool numberLeft = t[i - 1].kind == SqlToken::Kind::Number && textColumnStartingAt(i + 1);
        if (numberRight || numberLeft)
            fail(kErrorConversion, "Data type mismatch in criteria expression.");
    }
}

void convertDateLiterals(Tokens& t, const ColumnCatalog& catalog)
{
    if (t.size() < 4)
        return;
    if (t[0].isWord("INSERT") && t[1].isWord("INTO") && t[2].isIdentifier()) {
        const auto columns = catalog(t[2].text);
        if (columns.empty())
            return;
        std::vector<std::string> targets;
        size_t i = 3;
        if (t[i].isPunct("(")) {
            size_t close = i + 1;
            while (close < t.size() && !t[close].isPunct(")"))
                ++close;
            for (auto [b, e] : splitTopLevel(t, i + 1, close))
                targets.push_back(t[e - 1].text);
            i = close + 1;
        } else {
            for (const ColumnInfo& c : columns)
                targets.push_back(c.name);
        }
        if (i + 1 >= t.size() || !t[i].isWord("VALUES") || !t[i + 1].isPunct("("))
            return;
        size_t close = i + 2;
        int depth = 0;
        for (; close < t.size(); ++close) {
            if (t[close].isPunct("("))
                ++depth;
            else if (t[close].isPunct(")") && depth-- == 0)
                break;
        }
        auto values = splitTopLevel(t, i + 2, close);
        for (size_t k = 0; k < values.size() && k < targets.size(); ++k)
            if (values[k].second - values[k].first == 1 && isDateColumn(columns, targets[k]))
                toStoredDate(t[values[k].first]);
        return;
    }
    if (t[0].isWord("UPDATE") && t[1].isIdentifier() && t[2].isWord("SET")) {
        const auto columns = catalog(t[1].text);
        if (columns.empty())
            return;
        const size_t whereAt = findTopLevel(t, 3, t.size(), {"WHERE"});
        for (auto [b, e] : splitTopLevel(t, 3, whereAt)) {
            size_t eq = b;
            while (eq < e && !t[eq].isPunct("="))
                ++eq;
            if (eq > b && eq + 2 == e && isDateColumn(columns, t[eq - 1].text))
                toStoredDate(t[eq + 1]);
        }
    }
}

JetStatement translateTokens(Tokens tokens, bool withRowids);

} // namespace

JetStatement translateJet(std::string_view jetSql, const ColumnCatalog& catalog, bool withRowids)
{
    Tokens tokens = tokenizeJet(jetSql);
    if (catalog) {
        convertDateLiterals(tokens, catalog);
        refuseTextNumberComparisons(tokens, catalog);
    }
    return translateTokens(std::move(tokens), withRowids);
}

std::string rowidColumnName(size_t index) { return "__kiro_rowid_" + std::to_string(index); }

std::string jetLikePattern(std::string_view pattern, bool& needsJetMatcher)
{
    // Digits, character lists and the characters the engine's own LIKE
    // treats as wildcards have no exact SQL equivalent: the pattern goes
    // unchanged to the connection's LIKE ... ESCAPE function, which is the
    // criterion matcher itself.
    needsJetMatcher = pattern.find_first_of("#[%_\\") != std::string_view::npos;
    if (needsJetMatcher)
        return std::string(pattern);
    std::string out;
    for (const char c : pattern)
        out.push_back(c == '*' ? '%' : c == '?' ? '_' : c);
    return out;
}

JetStatement translateJet(std::string_view jetSql, bool withRowids)
{
    return translateTokens(tokenizeJet(jetSql), withRowids);
}

namespace {

// Tokens that end an operand of "&" (Jet's concatenation binds looser than
// arithmetic and tighter than comparisons and logic).
bool endsConcatOperand(const SqlToken& tok)
{
    if (tok.kind == SqlToken::Kind::Punct)
        return !(tok.isPunct("+") || tok.isPunct("-") || tok.isPunct("*") || tok.isPunct("/") || tok.isPunct("."));
    return isAnyWord(tok, {"AND", "OR", "NOT", "LIKE", "IS", "BETWEEN", "IN", "SELECT", "WHERE", "SET", "ON",
                           "HAVING", "AS", "BY", "THEN", "WHEN", "ELSE", "END", "VALUES", "FROM", "DISTINCT",
                           "DISTINCTROW", "ORDER", "GROUP", "UNION", "MOD"});
}

// "a & b" treats a NULL side as "", as Jet does; SQLite's || would give
// NULL. Each side is wrapped: ifnull(a,'') || ifnull(b,'').
Tokens wrapConcatenations(Tokens t)
{
    for (size_t k = 0; k < t.size(); ++k) {
        if (!t[k].isPunct("&"))
            continue;
        size_t left = k;
        for (int depth = 0; left > 0; --left) {
            const SqlToken& tok = t[left - 1];
            if (tok.isPunct(")")) {
                ++depth;
            } else if (tok.isPunct("(")) {
                if (depth == 0)
                    break;
                --depth;
            } else if (depth == 0 && endsConcatOperand(tok)) {
                break;
            }
        }
        size_t right = k + 1;
        for (int depth = 0; right < t.size(); ++right) {
            const SqlToken& tok = t[right];
            if (tok.isPunct("(")) {
                ++depth;
            } else if (tok.isPunct(")")) {
                if (depth == 0)
                    break;
                --depth;
            } else if (depth == 0 && endsConcatOperand(tok)) {
                break;
            }
        }
        if (left == k || right == k + 1)
            continue; // not a well-formed operand pair; left as the engine will report it
        const size_t offset = t[k].offset;
        auto wrapped = [&](size_t b, size_t e) {
            Tokens w{{SqlToken::Kind::Word, "ifnull", offset}, {SqlToken::Kind::Punct, "(", offset}};
            w.insert(w.end(), t.begin() + static_cast<long>(b), t.begin() + static_cast<long>(e));
            w.push_back({SqlToken::Kind::Punct, ",", offset});
            w.push_back({SqlToken::Kind::String, "", offset});
            w.push_back({SqlToken::Kind::Punct, ")", offset});
            return w;
        };
        Tokens replacement = wrapped(left, k);
        replacement.push_back({SqlToken::Kind::Punct, "||", offset});
        Tokens rightSide = wrapped(k + 1, right);
        replacement.insert(replacement.end(), rightSide.begin(), rightSide.end());
        t.erase(t.begin() + static_cast<long>(left), t.begin() + static_cast<long>(right));
        t.insert(t.begin() + static_cast<long>(left), replacement.begin(), replacement.end());
        k = left + replacement.size() - 1;
    }
    return t;
}

JetStatement translateTokens(Tokens tokens, bool withRowids)
{
    // The statement may end with ";"; nothing may follow it.
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].isPunct(";")) {
            if (i + 1 != tokens.size())
                fail(3142, "Characters found after end of SQL statement.");
            tokens.pop_back();
            break;
        }
    }
    if (tokens.empty())
        fail(3129, "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'.");
    tokens = wrapConcatenations(std::move(tokens));
    const SqlToken& first = tokens[0];
    if (first.isWord("SELECT"))
        return translateSelect(tokens, withRowids);
    if (first.isWord("DELETE"))
        return translateDelete(tokens);
    if (first.isWord("UPDATE"))
        return translateUpdate(tokens);
    if (first.isWord("INSERT")) {
        JetStatement st;
        st.kind = JetStatement::Kind::Insert;
        Emitter out(false);
        out.tokens(tokens, 0, tokens.size());
        st.sql = out.take();
        return st;
    }
    if (first.isWord("CREATE") || first.isWord("ALTER") || first.isWord("DROP"))
        return translateDdl(tokens);
    fail(3129, "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'.");
}

} // namespace

} // namespace kiro::db
