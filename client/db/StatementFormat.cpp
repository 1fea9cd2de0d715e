#include "client/db/StatementFormat.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace kiro::db {

std::string escapeQuoted(std::string_view text, char quote)
{
    std::string out;
    out.reserve(text.size() + 2);
    for (char c : text) {
        out.push_back(c);
        if (c == quote)
            out.push_back(quote);
    }
    return out;
}

std::string fillStatement(std::string_view format, std::initializer_list<StatementArg> args)
{
    std::vector<const StatementArg*> values;
    for (const StatementArg& a : args)
        values.push_back(&a);
    size_t next = 0;
    auto take = [&]() -> const StatementArg& {
        if (next >= values.size())
            throw std::invalid_argument("statement has more conversions than arguments");
        return *values[next++];
    };
    std::string out;
    char literal = 0; // the quote of the literal the output is inside, or 0
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%') {
            if (c == '"' || c == '\'') {
                if (literal == 0)
                    literal = c;
                else if (literal == c)
                    literal = 0; // a doubled quote closes and reopens: same result
            }
            out.push_back(c);
            continue;
        }
        // %[0][width][l|h]conversion
        size_t j = i + 1;
        if (j < format.size() && format[j] == '%') {
            out.push_back('%');
            i = j;
            continue;
        }
        bool zero = false;
        int width = 0;
        if (j < format.size() && format[j] == '0') {
            zero = true;
            ++j;
        }
        while (j < format.size() && format[j] >= '0' && format[j] <= '9')
            width = width * 10 + (format[j++] - '0');
        while (j < format.size() && (format[j] == 'l' || format[j] == 'h'))
            ++j;
        if (j >= format.size())
            throw std::invalid_argument("statement ends inside a conversion");
        const char conversion = format[j];
        i = j;
        const StatementArg& arg = take();
        std::string text;
        if (conversion == 'd') {
            if (!arg.isNumber())
                throw std::invalid_argument("%d needs a number");
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, zero ? "%0*lld" : "%*lld", width, arg.number());
            text = buffer;
        } else if (conversion == 's' || conversion == 'c') {
            if (arg.isNumber())
                throw std::invalid_argument("%s needs a text");
            text = conversion == 'c' ? arg.text().substr(0, 1) : arg.text();
            if (static_cast<int>(text.size()) < width)
                text.insert(0, static_cast<size_t>(width) - text.size(), ' ');
        } else {
            throw std::invalid_argument(std::string("unknown conversion %") + conversion);
        }
        out += literal ? escapeQuoted(text, literal) : text;
    }
    if (next != values.size())
        throw std::invalid_argument("statement has fewer conversions than arguments");
    return out;
}

std::string equalsCriterion(std::string_view column, std::string_view value)
{
    return std::string(column) + "=\"" + escapeQuoted(value, '"') + "\"";
}

std::string startsWithCriterion(std::string_view column, std::string_view prefix)
{
    // The typed text is matched as it stands: the pattern characters of
    // LIKE go between brackets ("[*]"), so "*" or "?" typed by the user
    // match only themselves.
    std::string literal;
    for (const char c : prefix) {
        if (c == '*' || c == '?' || c == '#' || c == '[')
            literal += std::string("[") + c + "]";
        else
            literal += c;
    }
    return std::string(column) + " like '" + escapeQuoted(literal, '\'') + "*'";
}

} // namespace kiro::db
