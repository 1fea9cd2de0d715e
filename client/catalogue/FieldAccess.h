#pragma once

#include "client/db/Recordset.h"
#include "client/db/Variant.h"

#include <cstdlib>
#include <string>

namespace kiro::catalogue {

// A field as the screens read it: its text ("NULL" for an empty field) and
// that text as a number (0 when it is none). Both throw DbError.
inline std::string fieldText(kiro::db::Recordset& rs, const char* field)
{
    return kiro::db::FieldToText(rs.fieldValue(field));
}
inline int fieldInt(kiro::db::Recordset& rs, const char* field)
{
    return std::atoi(fieldText(rs, field).c_str());
}

} // namespace kiro::catalogue
