#include "client/db/Connection.h"

#include "client/db/DbError.h"
#include "client/db/JetCriterion.h"

#include <sqlite3.h>

#include <optional>
#include <system_error>
#include <vector>

namespace kiro::db {
namespace {

int dataAddressCollation(void*, int lengthA, const void* a, int lengthB, const void* b)
{
    return compareDataAddresses({static_cast<const char*>(a), static_cast<size_t>(lengthA)},
                                {static_cast<const char*>(b), static_cast<size_t>(lengthB)});
}

} // namespace

namespace {

// "12,345" -> {12, 345}; nullopt when a part is not a plain number.
std::optional<std::vector<unsigned long long>> addressParts(std::string_view text)
{
    std::vector<unsigned long long> parts;
    size_t pos = 0;
    while (true) {
        size_t comma = text.find(',', pos);
        std::string_view part = text.substr(pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos);
        while (!part.empty() && part.front() == ' ')
            part.remove_prefix(1);
        while (!part.empty() && part.back() == ' ')
            part.remove_suffix(1);
        if (part.empty() || part.size() > 18)
            return std::nullopt;
        unsigned long long v = 0;
        for (char c : part) {
            if (c < '0' || c > '9')
                return std::nullopt;
            v = v * 10 + static_cast<unsigned>(c - '0');
        }
        parts.push_back(v);
        if (comma == std::string_view::npos)
            return parts;
        pos = comma + 1;
    }
}

// like(pattern, text, escape): the Jet matcher; NULL on either side gives NULL.
void jetLikeFunction(sqlite3_context* context, int, sqlite3_value** args)
{
    if (sqlite3_value_type(args[0]) == SQLITE_NULL || sqlite3_value_type(args[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* pattern = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    const int patternBytes = sqlite3_value_bytes(args[0]);
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[1]));
    const int textBytes = sqlite3_value_bytes(args[1]);
    sqlite3_result_int(context, jetLikeMatch(std::string_view(text ? text : "", static_cast<size_t>(textBytes)),
                                             std::string_view(pattern ? pattern : "", static_cast<size_t>(patternBytes))));
}

} // namespace

int compareDataAddresses(std::string_view a, std::string_view b)
{
    auto x = addressParts(a), y = addressParts(b);
    if (x && y)
        return *x < *y ? -1 : (*y < *x ? 1 : 0);
    int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::shared_ptr<Connection> Connection::openWith(const std::filesystem::path& file, std::string_view password,
                                                 int flags)
{
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(file.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw DbError(rc, "Could not open '" + file.string() + "': " + message);
    }
    std::shared_ptr<Connection> connection(new Connection(db));
    if (!password.empty() && sqlite3_key(db, password.data(), static_cast<int>(password.size())) != SQLITE_OK)
        connection->raise();
    sqlite3_create_collation(db, "DATAADDR", SQLITE_UTF8, nullptr, dataAddressCollation);
    // LIKE with ESCAPE is what the translator writes for the Jet patterns
    // SQLite has no form for; plain LIKE stays the engine's own (indexable).
    sqlite3_create_function(db, "like", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, jetLikeFunction, nullptr,
                            nullptr);
    sqlite3_busy_timeout(db, 2000);
    // Every page is decrypted when read; a page cache of 32 MB keeps the
    // product table's pages of a screenful of queries decrypted.
    sqlite3_exec(db, "PRAGMA cache_size=-32768;", nullptr, nullptr, nullptr);
    return connection;
}

std::shared_ptr<Connection> Connection::open(const std::filesystem::path& file, std::string_view password,
                                             bool mayCreateAttached)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        throw DbError(kErrorCannotOpen, "Could not find file '" + file.string() + "'.");
    // An empty file would silently become a new database.
    if (std::filesystem::file_size(file, ec) == 0 || ec)
        throw DbError(SQLITE_NOTADB, "Unrecognized database format '" + file.string() + "'.");
    auto connection =
        openWith(file, password, SQLITE_OPEN_READWRITE | (mayCreateAttached ? SQLITE_OPEN_CREATE : 0));
    // The first read proves the key: a wrong password or a file that is not
    // a database fails here, before anything is written.
    connection->execRaw("SELECT count(*) FROM sqlite_master;");
    // Write-ahead log: a record set left part-read (the song book keeps one
    // open while it is shown) holds only a snapshot, so another process
    // (kiro-db check, the receive job) can still write. The mode stays in
    // the file; when it cannot be switched now (another process holds the
    // file in the old mode), the next open tries again.
    sqlite3_exec(connection->handle(), "PRAGMA journal_mode=WAL;", nullptr, nullptr, nullptr);
    return connection;
}

std::shared_ptr<Connection> Connection::create(const std::filesystem::path& file, std::string_view password)
{
    std::error_code ec;
    if (std::filesystem::exists(file, ec))
        throw DbError(kErrorCannotOpen, "Database '" + file.string() + "' already exists.");
    return openWith(file, password, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
}

Connection::~Connection() { sqlite3_close_v2(m_db); }

void Connection::execRaw(const std::string& sql)
{
    char* error = nullptr;
    int rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        std::string message = error ? error : sqlite3_errstr(rc);
        sqlite3_free(error);
        throw DbError(rc, message);
    }
}

void Connection::raise() const { throw DbError(sqlite3_errcode(m_db), sqlite3_errmsg(m_db)); }

Statement::Statement(std::shared_ptr<Connection> connection, const std::string& sql)
    : m_connection(std::move(connection))
{
    if (sqlite3_prepare_v2(m_connection->handle(), sql.c_str(), static_cast<int>(sql.size()), &m_stmt, nullptr)
        != SQLITE_OK) {
        DbError error(sqlite3_errcode(m_connection->handle()), sqlite3_errmsg(m_connection->handle()));
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw error;
    }
    if (!m_stmt)
        throw DbError(kErrorSyntax, "Empty statement.");
}

Statement::~Statement() { sqlite3_finalize(m_stmt); }

bool Statement::step()
{
    int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    DbError error(sqlite3_errcode(m_connection->handle()), sqlite3_errmsg(m_connection->handle()));
    sqlite3_reset(m_stmt);
    throw error;
}

void Statement::reset() { sqlite3_reset(m_stmt); }

} // namespace kiro::db
