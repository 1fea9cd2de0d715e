#include "client/db/ColumnKind.h"
#include "client/db/DbError.h"
#include "client/db/Variant.h"

#include <gtest/gtest.h>

using namespace kiro::db;

TEST(FieldToText, PrintsEachKindAsTheClientReadsIt)
{
    EXPECT_EQ(FieldToText(Variant::null()), "NULL");
    EXPECT_EQ(FieldToText(Variant()), "NULL");
    EXPECT_EQ(FieldToText(Variant::fromInt(VT_I2, -5)), "-5");
    EXPECT_EQ(FieldToText(Variant::fromInt(VT_I4, 123456)), "123456");
    EXPECT_EQ(FieldToText(Variant::fromInt(VT_UI1, 200)), "200");
    EXPECT_EQ(FieldToText(Variant::fromReal(1.5)), "1.500000e+00");
    EXPECT_EQ(FieldToText(Variant::fromInt(VT_CY, 12345000)), "1234.5");
    EXPECT_EQ(FieldToText(Variant::fromInt(VT_CY, -10000)), "-1");
    EXPECT_EQ(FieldToText(Variant::fromDate({1998, 7, 4, 10, 20, 30})), "98/07/04");
    EXPECT_EQ(FieldToText(Variant::fromDate({2005, 12, 31, 0, 0, 0})), "05/12/31");
    EXPECT_EQ(FieldToText(Variant::fromText("")), "");
    EXPECT_EQ(FieldToText(Variant::fromText("NULL")), "NULL");
    EXPECT_EQ(FieldToText(Variant::fromInt(VT_BOOL, -1)), "TRUE");
    EXPECT_EQ(FieldToText(Variant::fromInt(VT_BOOL, 0)), "FALSE");
}

TEST(FieldToText, NamesOtherTypes)
{
    EXPECT_EQ(FieldToText(Variant::withType(VT_DISPATCH)), "VT_DISPATCH");
    EXPECT_EQ(FieldToText(Variant::withType(VT_CLSID)), "VT_CLSID");
    EXPECT_EQ(FieldToText(Variant::withType(VT_UI8)), "VT_UI8");
    EXPECT_EQ(FieldToText(Variant::withType(VT_ARRAY | VT_UI1)), "Array of VT_UI1");
    EXPECT_EQ(FieldToText(Variant::withType(VT_BYREF | VT_I4)), "Pointer to VT_I4");
    EXPECT_EQ(FieldToText(Variant::withType(VT_DECIMAL)), "Fish");
    EXPECT_EQ(FieldToText(Variant::withType(999)), "Fish");
}

TEST(FieldText, ConvertsByDeclaredKind)
{
    EXPECT_EQ(columnKindFromDeclaredType("TEXT (3)"), ColumnKind::Text);
    EXPECT_EQ(columnKindFromDeclaredType("long"), ColumnKind::Long);
    EXPECT_EQ(columnKindFromDeclaredType("DATETIME"), ColumnKind::Date);
    EXPECT_EQ(columnKindFromDeclaredType(nullptr), ColumnKind::Unknown);

    EXPECT_EQ(convertFieldText(ColumnKind::Long, " 42 ", "c").integer, 42);
    EXPECT_EQ(convertFieldText(ColumnKind::Long, "", "c").type, StoredValue::Type::Null);
    EXPECT_THROW(convertFieldText(ColumnKind::Long, "4x", "c"), DbError);
    EXPECT_THROW(convertFieldText(ColumnKind::Short, "40000", "c"), DbError);
    EXPECT_EQ(convertFieldText(ColumnKind::Text, "007", "c").text, "007");
    EXPECT_EQ(convertFieldText(ColumnKind::Date, "98/12/01 10:20:30", "c").text, "1998-12-01 10:20:30");
    EXPECT_EQ(convertFieldText(ColumnKind::Date, "29/01/02 00:00:00", "c").text, "2029-01-02 00:00:00");
    EXPECT_EQ(convertFieldText(ColumnKind::Date, "30/01/02 00:00:00", "c").text, "1930-01-02 00:00:00");
    EXPECT_EQ(convertFieldText(ColumnKind::Date, "1997/02/28", "c").text, "1997-02-28 00:00:00");
    EXPECT_EQ(convertFieldText(ColumnKind::Date, "1997/02/28 23:59", "c").text, "1997-02-28 23:59:00");
    EXPECT_THROW(convertFieldText(ColumnKind::Date, "1997/02/29", "c"), DbError);
    EXPECT_THROW(convertFieldText(ColumnKind::Date, "98/12/01 25:00:00", "c"), DbError);
    EXPECT_EQ(convertFieldText(ColumnKind::Bool, "TRUE", "c").integer, -1);
}
