#include "client/db/DateText.h"

#include <cstdio>
#include <vector>

namespace kiro::db {
namespace {

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

bool valid(const DateTime& d)
{
    return d.year >= 100 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1
        && d.day <= daysInMonth(d.year, d.month) && d.hour >= 0 && d.hour < 24 && d.minute >= 0
        && d.minute < 60 && d.second >= 0 && d.second < 60;
}

struct Number {
    int value;
    int digits;
};

// Splits "98/12/01 10:20:30" into its numbers, checking the separators.
bool splitNumbers(std::string_view text, std::vector<Number>& dateParts, std::vector<Number>& timeParts)
{
    size_t pos = 0;
    auto skipBlanks = [&] {
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
    };
    auto readNumber = [&](Number& out) {
        size_t start = pos;
        int v = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 5)
            v = v * 10 + (text[pos++] - '0');
        out = {v, static_cast<int>(pos - start)};
        return pos > start;
    };
    skipBlanks();
    for (int i = 0; i < 3; ++i) {
        Number n{};
        if (!readNumber(n))
            return false;
        dateParts.push_back(n);
        if (i < 2) {
            if (pos >= text.size() || (text[pos] != '/' && text[pos] != '-'))
                return false;
            ++pos;
        }
    }
    skipBlanks();
    if (pos == text.size())
        return true;
    for (int i = 0; i < 3; ++i) {
        Number n{};
        if (!readNumber(n))
            return false;
        timeParts.push_back(n);
        if (pos < text.size() && text[pos] == ':' && i < 2) {
            ++pos;
            continue;
        }
        break;
    }
    skipBlanks();
    return pos == text.size() && timeParts.size() >= 2;
}

int expandYear(const Number& n)
{
    if (n.digits <= 2)
        return n.value < 30 ? 2000 + n.value : 1900 + n.value;
    return n.value;
}

} // namespace

std::optional<DateTime> parseDateText(std::string_view text, DateOrder order)
{
    std::vector<Number> date, time;
    if (!splitNumbers(text, date, time))
        return std::nullopt;
    DateTime d;
    if (date[0].digits >= 3 || order == DateOrder::YearFirst) {
        d.year = expandYear(date[0]);
        d.month = date[1].value;
        d.day = date[2].value;
    } else {
        d.month = date[0].value;
        d.day = date[1].value;
        d.year = expandYear(date[2]);
    }
    if (!time.empty()) {
        d.hour = time[0].value;
        d.minute = time[1].value;
        d.second = time.size() > 2 ? time[2].value : 0;
    } else {
        d.hour = d.minute = d.second = 0;
    }
    if (!valid(d))
        return std::nullopt;
    return d;
}

std::string formatDateStorage(const DateTime& v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", v.year, v.month, v.day, v.hour,
                  v.minute, v.second);
    return buffer;
}

std::optional<DateTime> parseDateStorage(std::string_view text)
{
    return parseDateText(text, DateOrder::YearFirst);
}

} // namespace kiro::db
