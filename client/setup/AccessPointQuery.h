#pragma once

#include "client/setup/AccessPointForm.h"

#include <memory>
#include <vector>

namespace kiro::db {
class CatalogueDb;
class Recordset;
}

namespace kiro::setup {

// The catalogue's access points in reading order, handed out a batch at a
// time so the dialog stays live while a long list fills. A database that is
// missing or fails gives an empty (or shortened) list.
class AccessPointQuery {
public:
    static constexpr int kBatchSize = 20;
    static const char* const kSelect;

    explicit AccessPointQuery(db::CatalogueDb* database);
    ~AccessPointQuery();
    AccessPointQuery(const AccessPointQuery&) = delete;
    AccessPointQuery& operator=(const AccessPointQuery&) = delete;

    // At most kBatchSize further rows; empty once the end is reached.
    std::vector<AccessPointRow> nextBatch();
    bool atEnd() const { return !m_records; }

private:
    void finish();

    std::unique_ptr<db::Recordset> m_records;
};

} // namespace kiro::setup
