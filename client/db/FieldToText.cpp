#include "client/db/Variant.h"

#include <cstdio>
#include <cinttypes>

namespace kiro::db {
namespace {

const char* typeName(std::uint16_t base)
{
    switch (base) {
    case VT_EMPTY: return "VT_EMPTY";
    case VT_NULL: return "VT_NULL";
    case VT_I2: return "VT_I2";
    case VT_I4: return "VT_I4";
    case VT_R4: return "VT_R4";
    case VT_R8: return "VT_R8";
    case VT_CY: return "VT_CY";
    case VT_DATE: return "VT_DATE";
    case VT_BSTR: return "VT_BSTR";
    case VT_DISPATCH: return "VT_DISPATCH";
    case VT_ERROR: return "VT_ERROR";
    case VT_BOOL: return "VT_BOOL";
    case VT_VARIANT: return "VT_VARIANT";
    case VT_UNKNOWN: return "VT_UNKNOWN";
    case VT_I1: return "VT_I1";
    case VT_UI1: return "VT_UI1";
    case VT_UI2: return "VT_UI2";
    case VT_UI4: return "VT_UI4";
    case VT_I8: return "VT_I8";
    case VT_UI8: return "VT_UI8";
    case VT_INT: return "VT_INT";
    case VT_UINT: return "VT_UINT";
    case VT_VOID: return "VT_VOID";
    case VT_HRESULT: return "VT_HRESULT";
    case VT_PTR: return "VT_PTR";
    case VT_SAFEARRAY: return "VT_SAFEARRAY";
    case VT_CARRAY: return "VT_CARRAY";
    case VT_USERDEFINED: return "VT_USERDEFINED";
    case VT_LPSTR: return "VT_LPSTR";
    case VT_LPWSTR: return "VT_LPWSTR";
    case VT_FILETIME: return "VT_FILETIME";
    case VT_BLOB: return "VT_BLOB";
    case VT_STREAM: return "VT_STREAM";
    case VT_STORAGE: return "VT_STORAGE";
    case VT_STREAMED_OBJECT: return "VT_STREAMED_OBJECT";
    case VT_STORED_OBJECT: return "VT_STORED_OBJECT";
    case VT_BLOB_OBJECT: return "VT_BLOB_OBJECT";
    case VT_CF: return "VT_CF";
    case VT_CLSID: return "VT_CLSID";
    default: return nullptr;
    }
}

// Currency as the number the locale would print: integral part, then the
// fraction without trailing zeros.
std::string currencyText(std::int64_t scaled)
{
    const bool negative = scaled < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
    std::string text;
    if (negative)
        text.push_back('-');
    text += std::to_string(magnitude / 10000);
    unsigned fraction = static_cast<unsigned>(magnitude % 10000);
    if (fraction != 0) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04u", fraction);
        std::string f(digits);
        while (!f.empty() && f.back() == '0')
            f.pop_back();
        text += "." + f;
    }
    return text;
}

} // namespace

std::string FieldToText(const Variant& value)
{
    char buffer[64];
    const std::uint16_t flags = value.type & (VT_ARRAY | VT_BYREF);
    if (flags == 0) {
        switch (value.type) {
        case VT_EMPTY:
        case VT_NULL:
            return "NULL";
        case VT_I2:
            std::snprintf(buffer, sizeof buffer, "%hd", static_cast<short>(value.integer));
            return buffer;
        case VT_I4:
        case VT_UI1:
            std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(value.integer));
            return buffer;
        case VT_R4:
        case VT_R8:
            std::snprintf(buffer, sizeof buffer, "%e", value.real);
            return buffer;
        case VT_CY:
            return currencyText(value.integer);
        case VT_DATE:
            std::snprintf(buffer, sizeof buffer, "%02d/%02d/%02d", value.date.year % 100, value.date.month,
                          value.date.day);
            return buffer;
        case VT_BSTR:
            return value.text;
        case VT_BOOL:
            return value.integer != 0 ? "TRUE" : "FALSE";
        default:
            break;
        }
    }
    const char* name = typeName(value.type & ~(VT_ARRAY | VT_BYREF));
    if (!name)
        return "Fish";
    if (value.type & VT_ARRAY)
        return std::string("Array of ") + name;
    if (value.type & VT_BYREF)
        return std::string("Pointer to ") + name;
    return name;
}

} // namespace kiro::db
