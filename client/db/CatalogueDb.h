#pragma once

#include "client/db/Connection.h"
#include "client/db/JetTranslator.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kiro::db {

class Recordset;

// The client's workspace and database object: one per process, main thread
// only. Operations that raise engine errors throw DbError; the ones whose
// callers want a result code (open, reopen, close) catch and discard it.
class CatalogueDb {
public:
    static constexpr std::string_view kPassword = "@QOVIRESTU%";
    static constexpr std::string_view kWorkspaceName = "KIRO96";
    static constexpr std::string_view kUserName = "ADMIN";
    static constexpr std::string_view kFileName = "KIRODB.MDB";

    explicit CatalogueDb(std::string password = std::string(kPassword));
    ~CatalogueDb();
    CatalogueDb(const CatalogueDb&) = delete;
    CatalogueDb& operator=(const CatalogueDb&) = delete;

    // Opens the file read-write, not exclusive, keyed with the password.
    // Throws DbError (the file is untouched when it fails).
    void openOrThrow(const std::filesystem::path& file);
    // Open as start-up does it: first cleans up after a compaction that was
    // killed, then opens; false when the engine refused (discarded).
    bool open(const std::filesystem::path& file);
    // Opens the same file again: 0 on success, 1 on a discarded engine error.
    int reopen();
    // Closes the database object: 0, or 1 on a discarded engine error.
    int close();
    // Closes database and workspace, discarding engine errors.
    void shutDown();

    bool isOpen() const { return static_cast<bool>(m_connection); }
    const std::filesystem::path& filePath() const { return m_file; }
    const std::string& password() const { return m_password; }

    // Executes one Jet statement other than SELECT (options 0); returns the
    // number of rows it changed.
    long long execute(std::string_view jetSql);

    // The columns of the open file's tables, for the Jet translation.
    ColumnCatalog columnCatalog() const;

    // The open handle; throws DbError when the database is closed.
    std::shared_ptr<Connection> connection() const;

    // Creates a new catalogue file holding the empty schema.
    static void createFile(const std::filesystem::path& file, std::string_view password = kPassword);
    // The schema, SQL statements separated by ";".
    static const char* schemaSql();

private:
    friend class Recordset;
    void attach(Recordset* recordset);
    void detach(Recordset* recordset);
    void closeRecordsets();

    std::vector<Recordset*> m_recordsets; // open record sets; closed with the database
    std::string m_password;
    std::filesystem::path m_file;
    std::shared_ptr<Connection> m_connection;
};

} // namespace kiro::db
