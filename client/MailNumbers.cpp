#include "client/MailNumbers.h"

#include "client/db/CatalogueDb.h"
#include "client/db/DbError.h"
#include "client/db/Recordset.h"
#include "client/db/Statements.h"
#include "client/db/Variant.h"

#include <cctype>

namespace kiro::client {

namespace {

constexpr int NoMail = 10000;

int newestNumber(kiro::db::CatalogueDb& db, const char* select, const char* column)
{
    kiro::db::Recordset records(db);
    records.open(select);
    int number = NoMail;
    if (!records.isEOF())
        number = mailNumberFromName(kiro::db::FieldToText(records.fieldValue(column)));
    records.close();
    return number;
}

} // namespace

int mailNumberFromName(const std::string& name)
{
    // Up to five digits from the fourth character, as "%05d" reads them.
    if (name.size() <= 3)
        return NoMail;
    size_t at = 3;
    while (at < name.size() && (name[at] == ' ' || name[at] == '\t'))
        ++at;
    bool negative = false;
    if (at < name.size() && (name[at] == '-' || name[at] == '+')) {
        negative = name[at] == '-';
        ++at;
    }
    int value = 0;
    int digits = 0;
    while (at < name.size() && digits < 5 && std::isdigit(static_cast<unsigned char>(name[at]))) {
        value = value * 10 + (name[at] - '0');
        ++at;
        ++digits;
    }
    if (digits == 0)
        return NoMail;
    return negative ? -value : value;
}

void recomputeMailNumbers(kiro::db::CatalogueDb& db, kiro::app::ClientSettings& settings)
{
    try {
        settings.ReadMailNo = newestNumber(db, kiro::db::statements::kSelectReadMailNumbers, "ファイル名") + 1;
    } catch (const kiro::db::DbError&) {
    }
    try {
        settings.WriteMailNo = newestNumber(db, kiro::db::statements::kSelectWriteMailNumbers, "メールコード") + 1;
    } catch (const kiro::db::DbError&) {
    }
}

} // namespace kiro::client
