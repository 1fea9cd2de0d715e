#include "client/db/CatalogueDb.h"

#include "client/db/DbError.h"
#include "client/db/JetTranslator.h"

#include <sqlite3.h>

namespace kiro::db {

CatalogueDb::CatalogueDb(std::string password) : m_password(std::move(password)) {}

CatalogueDb::~CatalogueDb() = default;

void CatalogueDb::openOrThrow(const std::filesystem::path& file)
{
    m_connection.reset();
    m_file = file;
    m_connection = Connection::open(file, m_password);
}

bool CatalogueDb::open(const std::filesystem::path& file)
{
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
    // Record sets still open keep the handle alive until they close; the
    // database object itself lets go of it now.
    m_connection.reset();
    return 0;
}

void CatalogueDb::shutDown() { m_connection.reset(); }

std::shared_ptr<Connection> CatalogueDb::connection() const
{
    if (!m_connection)
        throw DbError(kErrorNotOpen, "Object invalid or no longer set.");
    return m_connection;
}

long long CatalogueDb::execute(std::string_view jetSql)
{
    JetStatement st = translateJet(jetSql);
    if (st.kind == JetStatement::Kind::Select)
        throw DbError(3065, "Cannot execute a select query.");
    auto handle = connection();
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
