#pragma once

#include "client/db/Variant.h"

#include <string>
#include <string_view>

namespace kiro::db {

// The kind of a column as its declared (Jet) type name gives it.
enum class ColumnKind { Unknown, Text, Byte, Short, Long, Single, Double, Currency, Date, Bool, Binary };

ColumnKind columnKindFromDeclaredType(const char* declaredType);

// Converts text set on a field into the value to store, by the column's
// kind: numbers are parsed, dates accept "%y/%m/%d %H:%M:%S", "%Y/%m/%d" and
// "%Y/%m/%d %H:%M". Empty text stores NULL in a non-text column. Throws
// DbError (3421) when the text does not fit the kind.
struct StoredValue {
    enum class Type { Null, Integer, Real, Text } type = Type::Null;
    long long integer = 0;
    double real = 0;
    std::string text;
};
StoredValue convertFieldText(ColumnKind kind, std::string_view text, std::string_view columnName);

} // namespace kiro::db
