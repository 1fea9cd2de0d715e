#include "client/db/Recordset.h"

#include "client/db/CatalogueDb.h"
#include "client/db/Connection.h"
#include "client/db/DbError.h"
#include "client/db/JetCriterion.h"
#include "client/db/SqlTokenizer.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>

namespace kiro::db {
namespace {

[[noreturn]] void noCurrentRecord() { throw DbError(kErrorNoCurrentRecord, "No current record."); }

void bindValue(sqlite3_stmt* stmt, int index, const StoredValue& v)
{
    switch (v.type) {
    case StoredValue::Type::Null:
        sqlite3_bind_null(stmt, index);
        break;
    case StoredValue::Type::Integer:
        sqlite3_bind_int64(stmt, index, v.integer);
        break;
    case StoredValue::Type::Real:
        sqlite3_bind_double(stmt, index, v.real);
        break;
    case StoredValue::Type::Text:
        sqlite3_bind_text(stmt, index, v.text.data(), static_cast<int>(v.text.size()), SQLITE_TRANSIENT);
        break;
    }
}

StoredValue readCell(sqlite3_stmt* stmt, int index)
{
    StoredValue v;
    switch (sqlite3_column_type(stmt, index)) {
    case SQLITE_NULL:
        break;
    case SQLITE_INTEGER:
        v.type = StoredValue::Type::Integer;
        v.integer = sqlite3_column_int64(stmt, index);
        break;
    case SQLITE_FLOAT:
        v.type = StoredValue::Type::Real;
        v.real = sqlite3_column_double(stmt, index);
        break;
    default: {
        v.type = StoredValue::Type::Text;
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
        v.text.assign(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(stmt, index)));
        break;
    }
    }
    return v;
}

} // namespace

Recordset::Recordset(CatalogueDb& db) : m_db(db) {}

Recordset::~Recordset() { close(); }

void Recordset::readToEnd()
{
    if (m_open)
        fetchAll();
}

void Recordset::requireOpen() const
{
    if (!m_open)
        throw DbError(kErrorNotOpen, "Operation is not allowed when the object is closed.");
}

void Recordset::requireKeptRows() const
{
    if (m_forwardOnly || m_releaseRows)
        throw DbError(kErrorForwardOnly, "Operation is not supported for this type of object.");
}

void Recordset::requireForwardTo(long position) const
{
    if (position < m_position && m_forwardOnly)
        requireKeptRows();
}

bool Recordset::reachRow(size_t index)
{
    // The rows before the one sought may go while the engine reads on.
    m_seekTo = static_cast<long>(index);
    try {
        const bool found = ensureRow(index);
        m_seekTo = -1;
        return found;
    } catch (...) {
        m_seekTo = -1;
        throw;
    }
}

void Recordset::open(std::string_view jetSelect, int options)
{
    close();
    m_translated = translateJet(jetSelect, m_db.columnCatalog(), (options & (kReadOnly | kForwardOnly | kReleaseRows)) == 0);
    if (m_translated.kind != JetStatement::Kind::Select)
        throw DbError(3219, "Invalid operation: a record set needs a SELECT statement.");
    m_connection = m_db.connection();
    m_statementText = std::string(jetSelect);
    m_db.attach(this);
    m_statement = std::make_unique<Statement>(m_connection, m_translated.sql);
    sqlite3_stmt* stmt = m_statement->get();
    const int total = sqlite3_column_count(stmt);
    const int visible = total - static_cast<int>(m_translated.rowidColumns);
    m_forwardOnly = (options & kForwardOnly) != 0;
    m_releaseRows = (options & kReleaseRows) != 0;
    m_updatable = (options & (kReadOnly | kForwardOnly | kReleaseRows)) == 0 && m_translated.rowidColumns > 0;
    for (int i = 0; i < visible; ++i) {
        Column c;
        c.name = sqlite3_column_name(stmt, i);
        const char* table = sqlite3_column_table_name(stmt, i);
        const char* origin = sqlite3_column_origin_name(stmt, i);
        if (table && origin) {
            c.originTable = table;
            c.originColumn = origin;
            c.qualifiedName = c.originTable + "." + c.originColumn;
            // In a self-join the table name is not enough: the item's
            // qualifier says which alias's row the column belongs to.
            const std::string qualifier =
                static_cast<size_t>(i) < m_translated.itemQualifiers.size() ? m_translated.itemQualifiers[i] : "";
            for (size_t k = 0; k < m_translated.rowidColumns; ++k)
                if (equalsIgnoreCase(m_translated.tables[k].name, c.originTable)
                    && (c.tableIndex < 0 || equalsIgnoreCase(m_translated.tables[k].ref(), qualifier))) {
                    c.tableIndex = static_cast<int>(k);
                    if (qualifier.empty() || equalsIgnoreCase(m_translated.tables[k].ref(), qualifier))
                        break;
                }
        }
        c.kind = columnKindFromDeclaredType(sqlite3_column_decltype(stmt, i));
        m_columns.push_back(std::move(c));
    }
    m_open = true;
    execute();
}

void Recordset::execute()
{
    restartAt(0);
    m_onDeleted = false;
    m_editMode = EditMode::None;
    m_position = ensureRow(0) ? 0 : -1;
}

void Recordset::close()
{
    if (m_open || m_connection)
        m_db.detach(this);
    m_statement.reset();
    m_connection.reset();
    m_columns.clear();
    m_rows.clear();
    m_base = 0;
    m_offsetStatement = false;
    m_forwardOnly = false;
    m_releaseRows = false;
    m_buffer.clear();
    m_statementText.clear();
    m_open = false;
    m_exhausted = false;
    m_position = -1;
    m_editMode = EditMode::None;
    m_onDeleted = false;
}

void Recordset::requery()
{
    requireOpen();
    execute();
}

size_t Recordset::rowCount() const { return m_base + m_rows.size(); }

Recordset::Row& Recordset::rowAt(size_t index) { return m_rows[index - m_base]; }

bool Recordset::fetchOne()
{
    if (m_exhausted)
        return false;
    const long keep = m_seekTo >= 0 ? m_seekTo : m_position;
    if ((m_forwardOnly || m_releaseRows) && keep > static_cast<long>(m_base)) {
        // Rows behind the current one (or the one sought) are let go.
        const size_t drop = std::min(m_rows.size(), static_cast<size_t>(keep) - m_base);
        m_rows.erase(m_rows.begin(), m_rows.begin() + static_cast<long>(drop));
        m_base += drop;
    }
    if (!m_statement->step()) {
        m_exhausted = true;
        m_statement->reset(); // lets writers in; the rows are kept here
        return false;
    }
    if ((m_forwardOnly || m_releaseRows) && m_seekTo > static_cast<long>(rowCount())) {
        // A row passed on the way to the one sought is let go unread.
        m_rows.emplace_back();
        return true;
    }
    sqlite3_stmt* stmt = m_statement->get();
    Row row;
    const size_t visible = m_columns.size();
    row.values.reserve(visible);
    for (size_t i = 0; i < visible; ++i)
        row.values.push_back(readCell(stmt, static_cast<int>(i)));
    row.rowids.reserve(m_translated.rowidColumns);
    for (size_t k = 0; k < m_translated.rowidColumns; ++k)
        row.rowids.push_back(sqlite3_column_int64(stmt, static_cast<int>(visible + k)));
    m_rows.push_back(std::move(row));
    return true;
}

bool Recordset::canSkipAhead() const
{
    // A statement with its own row limit cannot take an offset after it.
    std::string sql = m_translated.sql;
    std::transform(sql.begin(), sql.end(), sql.begin(), [](unsigned char c) { return std::toupper(c); });
    return sql.find("LIMIT") == std::string::npos;
}

void Recordset::restartAt(size_t first)
{
    if (first == 0 && !m_offsetStatement) {
        m_statement->reset();
    } else {
        const std::string sql =
            first == 0 ? m_translated.sql : m_translated.sql + " LIMIT -1 OFFSET " + std::to_string(first);
        m_statement = std::make_unique<Statement>(m_connection, sql);
        m_offsetStatement = first != 0;
    }
    m_rows.clear();
    m_base = first;
    m_exhausted = false;
}

bool Recordset::ensureRow(size_t index)
{
    if (index < m_base) {
        if (!m_releaseRows)
            throw DbError(kErrorForwardOnly, "Operation is not supported for this type of object.");
        // A row let go: read again from the top.
        restartAt(0);
    } else if (m_releaseRows && !m_exhausted && index > rowCount() + kSkipAhead && canSkipAhead()) {
        // Far down the list: the engine skips the rows in between with an
        // offset, without reading them (stepping reads every row it passes).
        restartAt(index);
        if (!fetchOne()) {
            // Past the end: the rows before it are counted by reading them
            // after all, so the record count stays exact.
            restartAt(0);
        }
    }
    while (rowCount() <= index)
        if (!fetchOne())
            return false;
    return true;
}

void Recordset::fetchAll()
{
    while (fetchOne()) {
    }
}

bool Recordset::isBOF() const { return m_position < 0; }

bool Recordset::isEOF()
{
    if (!m_open)
        return true;
    if (m_position < 0)
        return rowCount() == 0 && m_exhausted;
    return !ensureRow(static_cast<size_t>(m_position));
}

void Recordset::moveFirst()
{
    requireOpen();
    m_editMode = EditMode::None;
    m_onDeleted = false;
    requireForwardTo(0);
    if (!reachRow(0))
        noCurrentRecord();
    m_position = 0;
}

void Recordset::moveNext()
{
    requireOpen();
    m_editMode = EditMode::None;
    if (m_onDeleted) {
        m_onDeleted = false; // the row after the deleted one now sits at its place
        if (!ensureRow(static_cast<size_t>(m_position)))
            m_position = static_cast<long>(rowCount());
        return;
    }
    if (isEOF())
        noCurrentRecord();
    ++m_position;
    if (!ensureRow(static_cast<size_t>(m_position)))
        m_position = static_cast<long>(rowCount());
}

void Recordset::movePrev()
{
    requireOpen();
    m_editMode = EditMode::None;
    m_onDeleted = false;
    if (m_position < 0)
        noCurrentRecord();
    requireForwardTo(m_position - 1);
    --m_position;
}

void Recordset::moveLast()
{
    requireOpen();
    m_editMode = EditMode::None;
    m_onDeleted = false;
    if (m_forwardOnly || m_releaseRows) {
        // Step to the last row, letting the ones passed go. Past the end,
        // the last row has gone too: read again from the top.
        if (m_position >= 0 && !ensureRow(static_cast<size_t>(m_position))) {
            requireForwardTo(m_position - 1);
            m_position = -1;
        }
        if (m_position < 0) {
            if (!ensureRow(0))
                noCurrentRecord();
            m_position = 0;
        }
        while (ensureRow(static_cast<size_t>(m_position) + 1))
            ++m_position;
        return;
    }
    fetchAll();
    if (m_rows.empty())
        noCurrentRecord();
    m_position = static_cast<long>(m_rows.size()) - 1;
}

long Recordset::absolutePosition()
{
    requireOpen();
    if (m_position < 0 || isEOF())
        return -1;
    return m_position;
}

void Recordset::setAbsolutePosition(long position)
{
    requireOpen();
    requireForwardTo(position);
    if (position < 0 || !reachRow(static_cast<size_t>(position)))
        throw DbError(kErrorInvalidArgument, "Invalid argument.");
    m_editMode = EditMode::None;
    m_onDeleted = false;
    m_position = position;
}

long Recordset::recordCount() const { return static_cast<long>(rowCount()); }

const Recordset::Row& Recordset::currentRow()
{
    requireOpen();
    if (m_onDeleted)
        throw DbError(kErrorRecordDeleted, "Record is deleted.");
    if (m_position < 0 || !ensureRow(static_cast<size_t>(m_position)))
        noCurrentRecord();
    return rowAt(static_cast<size_t>(m_position));
}

const std::string& Recordset::fieldName(int index) const
{
    if (index < 0 || index >= fieldCount())
        throw DbError(kErrorItemNotFound, "Item not found in this collection.");
    return m_columns[static_cast<size_t>(index)].name;
}

int Recordset::findColumn(std::string_view qualifier, std::string_view name) const
{
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const Column& c = m_columns[i];
        if (qualifier.empty() ? equalsIgnoreCase(c.name, name)
                              : (equalsIgnoreCase(c.originTable, qualifier) && equalsIgnoreCase(c.originColumn, name)))
            return static_cast<int>(i);
    }
    if (qualifier.empty())
        return -1;
    // "t.c" where the table is not known to the engine (an expression).
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (equalsIgnoreCase(m_columns[i].name, name))
            return static_cast<int>(i);
    return -1;
}

int Recordset::columnIndex(std::string_view name) const
{
    int index = findColumn({}, name);
    if (index < 0) {
        const size_t dot = name.rfind('.');
        if (dot != std::string_view::npos)
            index = findColumn(name.substr(0, dot), name.substr(dot + 1));
    }
    if (index < 0)
        throw DbError(kErrorItemNotFound, "Item not found in this collection: '" + std::string(name) + "'.");
    return index;
}

Variant Recordset::toVariant(const Column& column, const StoredValue& v) const
{
    using T = StoredValue::Type;
    if (v.type == T::Null)
        return Variant::null();
    switch (column.kind) {
    case ColumnKind::Text:
        if (v.type == T::Text)
            return Variant::fromText(v.text);
        break;
    case ColumnKind::Byte:
    case ColumnKind::Short:
    case ColumnKind::Long:
        if (v.type == T::Integer || v.type == T::Real) {
            const long long n = v.type == T::Integer ? v.integer : std::llround(v.real);
            const std::uint16_t t = column.kind == ColumnKind::Byte ? VT_UI1 : column.kind == ColumnKind::Short ? VT_I2 : VT_I4;
            if (n >= -2147483648LL && n <= 2147483647LL)
                return Variant::fromInt(t, n);
            return Variant::fromReal(static_cast<double>(n));
        }
        break;
    case ColumnKind::Single:
    case ColumnKind::Double:
        if (v.type == T::Integer || v.type == T::Real) {
            Variant out = Variant::fromReal(v.type == T::Integer ? static_cast<double>(v.integer) : v.real);
            if (column.kind == ColumnKind::Single)
                out.type = VT_R4;
            return out;
        }
        break;
    case ColumnKind::Currency:
        if (v.type == T::Integer)
            return Variant::fromInt(VT_CY, v.integer * 10000);
        if (v.type == T::Real)
            return Variant::fromInt(VT_CY, std::llround(v.real * 10000));
        break;
    case ColumnKind::Date:
        if (v.type == T::Text)
            if (auto date = parseDateStorage(v.text))
                return Variant::fromDate(*date);
        break;
    case ColumnKind::Bool:
        if (v.type == T::Integer)
            return Variant::fromInt(VT_BOOL, v.integer != 0 ? -1 : 0);
        break;
    case ColumnKind::Binary:
    case ColumnKind::Unknown:
        break;
    }
    // The engine's own storage type decides.
    switch (v.type) {
    case T::Integer:
        if (v.integer >= -2147483648LL && v.integer <= 2147483647LL)
            return Variant::fromInt(VT_I4, v.integer);
        return Variant::fromReal(static_cast<double>(v.integer));
    case T::Real:
        return Variant::fromReal(v.real);
    case T::Text:
        return Variant::fromText(v.text);
    case T::Null:
        break;
    }
    return Variant::null();
}

Variant Recordset::fieldValue(std::string_view name)
{
    return fieldValue(columnIndex(name));
}

Variant Recordset::fieldValue(int index)
{
    if (index < 0 || index >= fieldCount())
        throw DbError(kErrorItemNotFound, "Item not found in this collection.");
    const size_t i = static_cast<size_t>(index);
    if (m_editMode != EditMode::None && m_buffer[i])
        return toVariant(m_columns[i], *m_buffer[i]);
    if (m_editMode == EditMode::AddNew)
        return Variant::null();
    return toVariant(m_columns[i], currentRow().values[i]);
}

bool Recordset::anyRowMatches(std::string_view criterion)
{
    // The engine answers from its indexes what walking the rows would learn
    // only at the end. Only LIKE criteria are asked: the engine compares text
    // with "=" and "<" case-sensitively where Jet does not, so its "no" could
    // be wrong for those.
    try {
        for (const SqlToken& t : tokenizeJet(criterion))
            if (t.kind == SqlToken::Kind::Punct && t.text != "(" && t.text != ")" && t.text != "." && t.text != "*")
                return true;
        const std::string probe = translateJet("SELECT 1 FROM kiro_find WHERE " + std::string(criterion)).sql;
        const std::string from = "FROM kiro_find";
        const size_t at = probe.find(from);
        if (at == std::string::npos)
            return true;
        const std::string sql =
            probe.substr(0, at) + "FROM (" + m_translated.sql + ") AS kiro_find" + probe.substr(at + from.size()) + " LIMIT 1";
        Statement st(m_connection, sql);
        return st.step();
    } catch (const DbError&) {
        return true;
    }
}

bool Recordset::findFrom(std::string_view criterion, long start, int step)
{
    requireOpen();
    JetCriterion test = JetCriterion::parse(
        criterion, [this](std::string_view q, std::string_view n) { return findColumn(q, n); });
    m_noMatch = true;
    bool probed = false;
    for (long i = start; i >= 0; i += step) {
        if (!probed && static_cast<size_t>(i) >= rowCount() && !m_exhausted) {
            probed = true;
            if (!anyRowMatches(criterion))
                break;
        }
        if (!ensureRow(static_cast<size_t>(i)))
            break;
        if (test.matches(rowAt(static_cast<size_t>(i)).values)) {
            m_position = i;
            m_onDeleted = false;
            m_editMode = EditMode::None;
            m_noMatch = false;
            return true;
        }
    }
    return false;
}

bool Recordset::findFirst(std::string_view criterion)
{
    requireForwardTo(0);
    return findFrom(criterion, 0, 1);
}

bool Recordset::findNext(std::string_view criterion)
{
    return findFrom(criterion, m_onDeleted ? m_position : m_position + 1, 1);
}

bool Recordset::findPrev(std::string_view criterion)
{
    requireKeptRows();
    fetchAll();
    const long last = static_cast<long>(m_rows.size()) - 1;
    return findFrom(criterion, std::min(m_position - 1, last), -1);
}

bool Recordset::findLast(std::string_view criterion)
{
    requireKeptRows();
    fetchAll();
    return findFrom(criterion, static_cast<long>(m_rows.size()) - 1, -1);
}

void Recordset::addNew()
{
    requireOpen();
    if (!m_updatable)
        throw DbError(kErrorNotUpdatable, "Database or object is read-only.");
    m_buffer.assign(m_columns.size(), std::nullopt);
    m_editMode = EditMode::AddNew;
}

void Recordset::edit()
{
    requireOpen();
    if (!m_updatable)
        throw DbError(kErrorNotUpdatable, "Database or object is read-only.");
    currentRow();
    m_buffer.assign(m_columns.size(), std::nullopt);
    m_editMode = EditMode::Edit;
}

void Recordset::setFieldValue(std::string_view name, std::string_view text)
{
    if (m_editMode == EditMode::None)
        throw DbError(kErrorUpdateWithoutEdit, "Update or CancelUpdate without AddNew or Edit.");
    const size_t i = static_cast<size_t>(columnIndex(name));
    const Column& c = m_columns[i];
    if (c.tableIndex < 0)
        throw DbError(3164, "Field '" + c.name + "' cannot be updated.");
    m_buffer[i] = convertFieldText(c.kind, text, c.name);
}

void Recordset::setFieldNull(std::string_view name)
{
    if (m_editMode == EditMode::None)
        throw DbError(kErrorUpdateWithoutEdit, "Update or CancelUpdate without AddNew or Edit.");
    const size_t i = static_cast<size_t>(columnIndex(name));
    if (m_columns[i].tableIndex < 0)
        throw DbError(3164, "Field '" + m_columns[i].name + "' cannot be updated.");
    m_buffer[i] = StoredValue{};
}

void Recordset::cancelUpdate()
{
    m_editMode = EditMode::None;
    m_buffer.clear();
}

void Recordset::update()
{
    requireOpen();
    if (m_editMode == EditMode::None)
        throw DbError(kErrorUpdateWithoutEdit, "Update or CancelUpdate without AddNew or Edit.");
    // Writing while the engine still walks the query would let the walk see
    // (or skip) the changed rows; take the remaining rows in first.
    fetchAll();
    if (m_editMode == EditMode::Edit)
        writeEdit();
    else
        writeNew();
    m_editMode = EditMode::None;
    m_buffer.clear();
}

void Recordset::writeEdit()
{
    Row& row = m_rows.at(static_cast<size_t>(m_position));
    std::map<int, std::vector<size_t>> byTable;
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_buffer[i])
            byTable[m_columns[i].tableIndex].push_back(i);
    for (const auto& [table, columns] : byTable) {
        const long long rowid = row.rowids[static_cast<size_t>(table)];
        if (rowid == 0)
            throw DbError(3164, "The field cannot be updated: the join holds no row of its table.");
        std::string sql = "UPDATE " + quoteSqlIdentifier(m_translated.tables[static_cast<size_t>(table)].name) + " SET ";
        for (size_t k = 0; k < columns.size(); ++k)
            sql += (k ? ", " : "") + quoteSqlIdentifier(m_columns[columns[k]].originColumn) + " = ?";
        sql += " WHERE rowid = ?";
        Statement st(m_connection, sql);
        int bind = 1;
        for (size_t column : columns)
            bindValue(st.get(), bind++, *m_buffer[column]);
        sqlite3_bind_int64(st.get(), bind, rowid);
        st.step();
    }
    // Every column read from a changed base column shows the new value.
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (!m_buffer[i])
            continue;
        for (size_t j = 0; j < m_columns.size(); ++j)
            if (m_columns[j].tableIndex == m_columns[i].tableIndex
                && equalsIgnoreCase(m_columns[j].originColumn, m_columns[i].originColumn))
                row.values[j] = *m_buffer[i];
    }
}

void Recordset::writeNew()
{
    std::map<int, std::vector<size_t>> byTable;
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_buffer[i])
            byTable[m_columns[i].tableIndex].push_back(i);
    if (byTable.empty())
        byTable[0] = {}; // a row of defaults in the first table
    Row row;
    row.values.resize(m_columns.size());
    row.rowids.assign(m_translated.rowidColumns, 0);
    for (const auto& [table, columns] : byTable) {
        const std::string& tableName = m_translated.tables[static_cast<size_t>(table)].name;
        std::string sql = "INSERT INTO " + quoteSqlIdentifier(tableName);
        if (columns.empty()) {
            sql += " DEFAULT VALUES";
        } else {
            sql += " (";
            for (size_t k = 0; k < columns.size(); ++k)
                sql += (k ? ", " : "") + quoteSqlIdentifier(m_columns[columns[k]].originColumn);
            sql += ") VALUES (";
            for (size_t k = 0; k < columns.size(); ++k)
                sql += k ? ", ?" : "?";
            sql += ")";
        }
        Statement st(m_connection, sql);
        int bind = 1;
        for (size_t column : columns)
            bindValue(st.get(), bind++, *m_buffer[column]);
        st.step();
        row.rowids[static_cast<size_t>(table)] = sqlite3_last_insert_rowid(m_connection->handle());
    }
    // Read the new row back through the query, so joined and default
    // columns show; when the query does not select it, keep what was set.
    const int firstTable = byTable.begin()->first;
    if (auto reloaded = reloadRow(static_cast<size_t>(firstTable), row.rowids[static_cast<size_t>(firstTable)])) {
        m_rows.push_back(std::move(*reloaded));
        return;
    }
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_buffer[i])
            row.values[i] = *m_buffer[i];
    m_rows.push_back(std::move(row));
}

std::optional<Recordset::Row> Recordset::reloadRow(size_t tableIndex, long long rowid)
{
    const std::string sql = "SELECT * FROM (" + m_translated.sql + ") WHERE " + rowidColumnName(tableIndex) + " = ?";
    Statement st(m_connection, sql);
    sqlite3_bind_int64(st.get(), 1, rowid);
    if (!st.step())
        return std::nullopt;
    Row row;
    const size_t visible = m_columns.size();
    for (size_t i = 0; i < visible; ++i)
        row.values.push_back(readCell(st.get(), static_cast<int>(i)));
    for (size_t k = 0; k < m_translated.rowidColumns; ++k)
        row.rowids.push_back(sqlite3_column_int64(st.get(), static_cast<int>(visible + k)));
    return row;
}

void Recordset::deleteCurrent()
{
    requireOpen();
    if (!m_updatable)
        throw DbError(kErrorNotUpdatable, "Database or object is read-only.");
    currentRow();
    fetchAll();
    // The row belongs to the table of the first selected column (the
    // reservation rows of a reservation list, not the products they join).
    int table = m_columns.empty() ? 0 : m_columns.front().tableIndex;
    if (table < 0)
        table = 0;
    const size_t index = static_cast<size_t>(m_position);
    const long long rowid = m_rows[index].rowids[static_cast<size_t>(table)];
    Statement st(m_connection, "DELETE FROM " + quoteSqlIdentifier(m_translated.tables[static_cast<size_t>(table)].name)
                                   + " WHERE rowid = ?");
    sqlite3_bind_int64(st.get(), 1, rowid);
    st.step();
    m_rows.erase(m_rows.begin() + static_cast<long>(index));
    m_onDeleted = true;
    m_editMode = EditMode::None;
}

} // namespace kiro::db
