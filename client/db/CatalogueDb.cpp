#include "client/db/CatalogueDb.h"

#include "client/db/ColumnKind.h"
#include "client/db/CompactionRecovery.h"
#include "client/db/DbError.h"
#include "client/db/JetTranslator.h"
#include "client/db/Recordset.h"

#include <algorithm>

#include <sqlite3.h>

namespace kiro::db {
namespace {

std::vector<ColumnInfo> tableColumns(Connection& connection, std::string_view table)
{
    std::vector<ColumnInfo> columns;
    sqlite3_stmt* stmt = nullptr;
    const std::string sql = "PRAGMA table_info(" + quoteSqlIdentifier(table) + ")";
    if (sqlite3_prepare_v2(connection.handle(), sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
            const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
            const ColumnKind kind = columnKindFromDeclaredType(type);
            columns.push_back({name ? name : "", kind == ColumnKind::Date, kind == ColumnKind::Text});
        }
    }
    sqlite3_finalize(stmt);
    return columns;
}

} // namespace

CatalogueDb::CatalogueDb(std::string password) : m_password(std::move(password)) {}

CatalogueDb::~CatalogueDb() { closeRecordsets(); }

void CatalogueDb::attach(Recordset* recordset) { m_recordsets.push_back(recordset); }

void CatalogueDb::detach(Recordset* recordset)
{
    m_recordsets.erase(std::remove(m_recordsets.begin(), m_recordsets.end(), recordset), m_recordsets.end());
}

void CatalogueDb::closeRecordsets()
{
    // Closing the database closes its record sets, as the engine did.
    while (!m_recordsets.empty())
        m_recordsets.back()->close();
}

void CatalogueDb::openOrThrow(const std::filesystem::path& file)
{
    closeRecordsets();
    m_connection.reset();
    m_file = file;
    m_connection = Connection::open(file, m_password);
}

bool CatalogueDb::open(const std::filesystem::path& file)
{
    recoverInterruptedCompaction(file, m_password);
    try {
        openOrThrow(file);
        return true;
    } catch (const DbError&) {
        return false;
    }
}

int CatalogueDb::reopen()
{
    try {
        openOrThrow(m_file);
        return 0;
    } catch (const DbError&) {
        return 1;
    }
}

int CatalogueDb::close()
{
    if (!m_connection)
        return 1; // closing a closed database object is an engine error
    closeRecordsets();
    m_connection.reset();
    return 0;
}

void CatalogueDb::shutDown()
{
    closeRecordsets();
    m_connection.reset();
}

std::shared_ptr<Connection> CatalogueDb::connection() const
{
    if (!m_connection)
        throw DbError(kErrorNotOpen, "Object invalid or no longer set.");
    return m_connection;
}

ColumnCatalog CatalogueDb::columnCatalog() const
{
    auto handle = connection();
    return [handle](std::string_view table) { return tableColumns(*handle, table); };
}

long long CatalogueDb::execute(std::string_view jetSql)
{
    auto handle = connection();
    JetStatement st = translateJet(jetSql, columnCatalog());
    if (st.kind == JetStatement::Kind::Select)
        throw DbError(3065, "Cannot execute a select query.");
    // A table being read cannot change shape under the reader: record sets
    // still walking the engine's result take their remaining rows first.
    if (st.kind == JetStatement::Kind::Ddl)
        for (Recordset* recordset : m_recordsets)
            recordset->readToEnd();
    Statement statement(handle, st.sql);
    while (statement.step()) {
    }
    return st.kind == JetStatement::Kind::Ddl ? 0 : sqlite3_changes(handle->handle());
}

void CatalogueDb::createFile(const std::filesystem::path& file, std::string_view password)
{
    auto connection = Connection::create(file, password);
    try {
        connection->execRaw(std::string("BEGIN;") + schemaSql() + "COMMIT;");
    } catch (...) {
        connection.reset();
        std::error_code ec;
        std::filesystem::remove(file, ec);
        throw;
    }
}

} // namespace kiro::db
