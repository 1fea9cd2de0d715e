#include "client/catalogue/GroupList.h"

#include "client/db/Recordset.h"
#include "client/db/StatementFormat.h"
#include "client/db/Statements.h"
#include "client/db/Variant.h"

namespace kiro::catalogue {

std::vector<std::string> loadGroupList(kiro::db::CatalogueDb& db, int course)
{
    kiro::db::Recordset groups(db);
    groups.open(kiro::db::fillStatement(kiro::db::statements::kSelectGroupList, {course}), kiro::db::Recordset::kReadOnly);
    std::vector<std::string> names;
    for (; !groups.isEOF(); groups.moveNext())
        names.push_back(kiro::db::FieldToText(groups.fieldValue("グループ名")));
    groups.close();
    return names;
}

} // namespace kiro::catalogue
