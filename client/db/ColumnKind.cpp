#include "client/db/ColumnKind.h"

#include "client/db/DbError.h"
#include "client/db/SqlTokenizer.h"

#include <cmath>
#include <cstdlib>

namespace kiro::db {
namespace {

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

[[noreturn]] void conversionError(std::string_view column, std::string_view text)
{
    throw DbError(kErrorConversion,
                  "Data type conversion error: '" + std::string(text) + "' for field '" + std::string(column) + "'.");
}

double parseNumber(std::string_view text, std::string_view column)
{
    std::string s(text);
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (s.empty() || end != s.c_str() + s.size() || !std::isfinite(v))
        conversionError(column, text);
    return v;
}

} // namespace

ColumnKind columnKindFromDeclaredType(const char* declaredType)
{
    if (!declaredType)
        return ColumnKind::Unknown;
    const std::string t = asciiUpper(declaredType);
    if (startsWith(t, "TEXT") || startsWith(t, "CHAR") || startsWith(t, "VARCHAR") || startsWith(t, "MEMO")
        || startsWith(t, "STRING"))
        return ColumnKind::Text;
    if (t == "BYTE" || t == "TINYINT")
        return ColumnKind::Byte;
    if (t == "SHORT" || t == "SMALLINT" || t == "INTEGER2")
        return ColumnKind::Short;
    if (t == "LONG" || t == "INTEGER" || t == "INT" || t == "INTEGER4" || t == "COUNTER" || t == "AUTOINCREMENT")
        return ColumnKind::Long;
    if (t == "SINGLE" || t == "REAL" || t == "FLOAT4" || t == "IEEESINGLE")
        return ColumnKind::Single;
    if (t == "DOUBLE" || t == "FLOAT" || t == "FLOAT8" || t == "NUMBER" || t == "NUMERIC" || t == "IEEEDOUBLE")
        return ColumnKind::Double;
    if (t == "CURRENCY" || t == "MONEY")
        return ColumnKind::Currency;
    if (t == "DATETIME" || t == "DATE" || t == "TIME" || t == "TIMESTAMP")
        return ColumnKind::Date;
    if (t == "YESNO" || t == "BIT" || t == "LOGICAL" || t == "LOGICAL1" || t == "BOOLEAN")
        return ColumnKind::Bool;
    if (startsWith(t, "BINARY") || startsWith(t, "VARBINARY") || t == "BLOB" || t == "LONGBINARY")
        return ColumnKind::Binary;
    return ColumnKind::Unknown;
}

StoredValue convertFieldText(ColumnKind kind, std::string_view text, std::string_view column)
{
    StoredValue out;
    const std::string_view t = trim(text);
    switch (kind) {
    case ColumnKind::Text:
    case ColumnKind::Unknown:
    case ColumnKind::Binary:
        out.type = StoredValue::Type::Text;
        out.text = std::string(text);
        return out;
    case ColumnKind::Byte:
    case ColumnKind::Short:
    case ColumnKind::Long: {
        if (t.empty())
            return out;
        const double v = std::nearbyint(parseNumber(t, column));
        const double low = kind == ColumnKind::Byte ? 0 : (kind == ColumnKind::Short ? -32768.0 : -2147483648.0);
        const double high = kind == ColumnKind::Byte ? 255 : (kind == ColumnKind::Short ? 32767.0 : 2147483647.0);
        if (v < low || v > high)
            throw DbError(3349, "Numeric field overflow: '" + std::string(text) + "' for field '"
                                    + std::string(column) + "'.");
        out.type = StoredValue::Type::Integer;
        out.integer = static_cast<long long>(v);
        return out;
    }
    case ColumnKind::Single:
    case ColumnKind::Double:
        if (t.empty())
            return out;
        out.type = StoredValue::Type::Real;
        out.real = parseNumber(t, column);
        return out;
    case ColumnKind::Currency: {
        if (t.empty())
            return out;
        const double v = parseNumber(t, column);
        out.type = std::nearbyint(v) == v ? StoredValue::Type::Integer : StoredValue::Type::Real;
        out.integer = static_cast<long long>(v);
        out.real = v;
        return out;
    }
    case ColumnKind::Date: {
        if (t.empty())
            return out;
        auto date = parseDateText(t, DateOrder::YearFirst);
        if (!date)
            conversionError(column, text);
        out.type = StoredValue::Type::Text;
        out.text = formatDateStorage(*date);
        return out;
    }
    case ColumnKind::Bool: {
        if (t.empty())
            return out;
        const std::string u = asciiUpper(t);
        out.type = StoredValue::Type::Integer;
        if (u == "TRUE" || u == "YES" || u == "ON")
            out.integer = -1;
        else if (u == "FALSE" || u == "NO" || u == "OFF")
            out.integer = 0;
        else
            out.integer = parseNumber(t, column) != 0 ? -1 : 0;
        return out;
    }
    }
    return out;
}

} // namespace kiro::db
