#pragma once

#include "client/db/DateText.h"

#include <cstdint>
#include <string>

namespace kiro::db {

// Variant type codes of the automation world the client's field values come
// from; FieldToText names the ones it does not print.
enum VarType : std::uint16_t {
    VT_EMPTY = 0, VT_NULL = 1, VT_I2 = 2, VT_I4 = 3, VT_R4 = 4, VT_R8 = 5, VT_CY = 6, VT_DATE = 7,
    VT_BSTR = 8, VT_DISPATCH = 9, VT_ERROR = 10, VT_BOOL = 11, VT_VARIANT = 12, VT_UNKNOWN = 13,
    VT_DECIMAL = 14, VT_I1 = 16, VT_UI1 = 17, VT_UI2 = 18, VT_UI4 = 19, VT_I8 = 20, VT_UI8 = 21,
    VT_INT = 22, VT_UINT = 23, VT_VOID = 24, VT_HRESULT = 25, VT_PTR = 26, VT_SAFEARRAY = 27,
    VT_CARRAY = 28, VT_USERDEFINED = 29, VT_LPSTR = 30, VT_LPWSTR = 31, VT_FILETIME = 64, VT_BLOB = 65,
    VT_STREAM = 66, VT_STORAGE = 67, VT_STREAMED_OBJECT = 68, VT_STORED_OBJECT = 69,
    VT_BLOB_OBJECT = 70, VT_CF = 71, VT_CLSID = 72,
    VT_ARRAY = 0x2000, VT_BYREF = 0x4000,
};

// A field value read from a record set.
struct Variant {
    std::uint16_t type = VT_EMPTY;
    std::int64_t integer = 0; // I2, I4, UI1, BOOL (0 / non-zero), CY (scaled by 10,000)
    double real = 0;          // R4, R8
    std::string text;         // BSTR (UTF-8)
    DateTime date;            // DATE

    static Variant null() { return withType(VT_NULL); }
    static Variant withType(std::uint16_t t)
    {
        Variant v;
        v.type = t;
        return v;
    }
    static Variant fromInt(std::uint16_t t, std::int64_t value)
    {
        Variant v = withType(t);
        v.integer = value;
        return v;
    }
    static Variant fromReal(double value)
    {
        Variant v = withType(VT_R8);
        v.real = value;
        return v;
    }
    static Variant fromText(std::string value)
    {
        Variant v = withType(VT_BSTR);
        v.text = std::move(value);
        return v;
    }
    static Variant fromDate(const DateTime& value)
    {
        Variant v = withType(VT_DATE);
        v.date = value;
        return v;
    }
    bool isNull() const { return type == VT_NULL || type == VT_EMPTY; }
};

// Text of a field value exactly as the client shows and parses it: "NULL"
// for empty or null, "%hd"/"%d" for integers, "%e" for reals, "%y/%m/%d"
// for dates, "TRUE"/"FALSE", the text itself, otherwise the type's name.
std::string FieldToText(const Variant& value);

} // namespace kiro::db
