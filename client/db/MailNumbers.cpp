#include "client/db/MailNumbers.h"

#include "client/db/CatalogueDb.h"
#include "client/db/DbError.h"
#include "client/db/Recordset.h"
#include "client/db/Statements.h"

namespace kiro::db {
namespace {

int nextNumber(CatalogueDb& db, const char* statement, const char* column)
{
    int n = 10000;
    try {
        Recordset rs(db);
        rs.open(statement);
        if (!rs.isBOF() && !rs.isEOF())
            n = mailNumberOf(FieldToText(rs.fieldValue(column)));
    } catch (const DbError&) {
    }
    return n + 1;
}

} // namespace

int mailNumberOf(std::string_view name)
{
    // "%05d" from the fourth character: a field of five characters, a
    // sign counting as one of them.
    if (name.size() < 4)
        return 10000;
    const std::string_view rest = name.substr(3, 5);
    size_t pos = 0;
    const bool negative = !rest.empty() && rest[0] == '-';
    if (!rest.empty() && (rest[0] == '+' || rest[0] == '-'))
        pos = 1;
    int value = 0, digits = 0;
    for (; pos < rest.size() && rest[pos] >= '0' && rest[pos] <= '9'; ++pos, ++digits)
        value = value * 10 + (rest[pos] - '0');
    if (digits == 0)
        return 10000;
    return negative ? -value : value;
}

MailNumbers recomputeMailNumbers(CatalogueDb& db)
{
    MailNumbers numbers;
    numbers.readMailNo = nextNumber(db, statements::kSelectReadMailNumbers, "ファイル名");
    numbers.writeMailNo = nextNumber(db, statements::kSelectWriteMailNumbers, "メールコード");
    return numbers;
}

} // namespace kiro::db
