#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kiro::db {

// A date and time as the catalogue keeps it. Stored in the database as the
// text "YYYY-MM-DD HH:MM:SS", which sorts and compares in time order.
struct DateTime {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
    bool operator==(const DateTime&) const = default;
};

enum class DateOrder {
    YearFirst,  // "98/12/01", "1998/12/01 10:20" — the client's own texts
    MonthFirst, // "#12/01/98#" — Jet date literals when the year is not obvious
};

// Parses y/m/d (or m/d/y) with "/" or "-", two- or four-digit years (two
// digits: 30-99 -> 1930-1999, 00-29 -> 2000-2029) and an optional time
// "H:M" or "H:M:S". A four-digit first number is always the year.
std::optional<DateTime> parseDateText(std::string_view text, DateOrder order = DateOrder::YearFirst);

std::string formatDateStorage(const DateTime& value);   // "1998-12-01 10:20:00"
std::optional<DateTime> parseDateStorage(std::string_view text);

} // namespace kiro::db
