#include "client/setup/AccessPointQuery.h"

#include "client/db/CatalogueDb.h"
#include "client/db/Recordset.h"
#include "client/db/Statements.h"
#include "client/db/Variant.h"

#include <cstdlib>
#include <exception>

namespace kiro::setup {

const char* const AccessPointQuery::kSelect = db::statements::kSelectAccessPoints;

AccessPointQuery::AccessPointQuery(db::CatalogueDb* database)
{
    if (!database || !database->isOpen())
        return;
    try {
        m_records = std::make_unique<db::Recordset>(*database);
        m_records->open(kSelect);
    } catch (const std::exception&) {
        // The list stays empty; the gates can still be typed by hand.
        m_records.reset();
    }
}

AccessPointQuery::~AccessPointQuery()
{
    finish();
}

std::vector<AccessPointRow> AccessPointQuery::nextBatch()
{
    std::vector<AccessPointRow> rows;
    if (!m_records)
        return rows;
    try {
        while (static_cast<int>(rows.size()) < kBatchSize && !m_records->isEOF()) {
            AccessPointRow row;
            row.place = db::FieldToText(m_records->fieldValue(0)) + "-" + db::FieldToText(m_records->fieldValue(1));
            row.number = db::FieldToText(m_records->fieldValue(2)) + "-" + db::FieldToText(m_records->fieldValue(3));
            row.roadCode = std::atoi(db::FieldToText(m_records->fieldValue(5)).c_str());
            rows.push_back(std::move(row));
            m_records->moveNext();
        }
        if (m_records->isEOF())
            finish();
    } catch (const std::exception&) {
        finish();
    }
    return rows;
}

void AccessPointQuery::finish()
{
    if (!m_records)
        return;
    try {
        m_records->close();
    } catch (const std::exception&) {
    }
    m_records.reset();
}

} // namespace kiro::setup
