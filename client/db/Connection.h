#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace kiro::db {

// One open SQLCipher handle. Shared by the database object and its record
// sets, so a record set outliving a close keeps a valid (closed-later) handle.
class Connection {
public:
    // Opens an existing file read-write and keys it; throws DbError when the
    // file is missing, is not a database or the password does not fit. A
    // failed open leaves the file as it was.
    // `mayCreateAttached` lets an ATTACH on the handle create its file (the
    // compaction's target).
    static std::shared_ptr<Connection> open(const std::filesystem::path& file, std::string_view password,
                                            bool mayCreateAttached = false);
    // Creates a new file (which must not exist) keyed with the password.
    static std::shared_ptr<Connection> create(const std::filesystem::path& file, std::string_view password);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* handle() const { return m_db; }
    // Runs SQLite text (one or more statements) without results.
    void execRaw(const std::string& sql);
    // Throws DbError with the engine's last code and message.
    [[noreturn]] void raise() const;

private:
    explicit Connection(sqlite3* db) : m_db(db) {}
    static std::shared_ptr<Connection> openWith(const std::filesystem::path& file, std::string_view password,
                                                int flags);
    sqlite3* m_db;
};

// A prepared statement that finalizes itself.
class Statement {
public:
    Statement(std::shared_ptr<Connection> connection, const std::string& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return m_stmt; }
    // Steps once: true while rows come, false when done; throws on error.
    bool step();
    void reset();
    Connection& connection() const { return *m_connection; }

private:
    std::shared_ptr<Connection> m_connection;
    sqlite3_stmt* m_stmt = nullptr;
};

// Orders "room,number" data addresses by their numbers.
int compareDataAddresses(std::string_view a, std::string_view b);

} // namespace kiro::db
