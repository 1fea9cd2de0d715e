#pragma once

#include "client/db/CatalogueDb.h"

#include <string>

namespace kiro::db {

// A named savepoint on the catalogue's connection: what is done under it
// reaches the file only when the outermost one is released, so a process
// killed half-way leaves the database as it was. Rolled back unless
// released. Rolling back to a savepoint (rather than ROLLBACK) keeps the
// record sets that are being read on the same connection usable.
class Savepoint {
public:
    Savepoint(CatalogueDb& db, std::string name) : m_connection(db.connection()), m_name(std::move(name))
    {
        m_connection->execRaw("SAVEPOINT " + m_name);
    }
    ~Savepoint()
    {
        if (!m_done) {
            try {
                rollback();
            } catch (...) {
            }
        }
    }
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;

    void release()
    {
        m_connection->execRaw("RELEASE " + m_name);
        m_done = true;
    }
    void rollback()
    {
        m_done = true;
        m_connection->execRaw("ROLLBACK TO " + m_name + "; RELEASE " + m_name);
    }

private:
    std::shared_ptr<Connection> m_connection;
    std::string m_name;
    bool m_done = false;
};

} // namespace kiro::db
