#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace kiro::db {

// One value for a "%" conversion of a statement text.
class StatementArg {
public:
    StatementArg(int value) : m_number(value), m_isNumber(true) {}
    StatementArg(long value) : m_number(value), m_isNumber(true) {}
    StatementArg(long long value) : m_number(value), m_isNumber(true) {}
    StatementArg(char value) : m_text(1, value) {}
    StatementArg(const char* value) : m_text(value ? value : "") {}
    StatementArg(std::string_view value) : m_text(value) {}
    StatementArg(const std::string& value) : m_text(value) {}

    bool isNumber() const { return m_isNumber; }
    long long number() const { return m_number; }
    const std::string& text() const { return m_text; }

private:
    long long m_number = 0;
    std::string m_text;
    bool m_isNumber = false;
};

// Fills a statement text like sprintf (%s, %c, %d, %ld, %03d, %%). Text put
// inside one of the statement's own literals has that literal's quote
// doubled, so a product code or a typed search text with ' or " can neither
// end the literal early nor change the statement. Text put outside any
// literal is SQL the caller built (a filter clause) and goes in as it is.
// A missing or surplus argument, or an unknown conversion, throws
// std::invalid_argument: it is a fault in the caller.
std::string fillStatement(std::string_view format, std::initializer_list<StatementArg> args);

// The text with every `quote` doubled, for use between two `quote`s.
std::string escapeQuoted(std::string_view text, char quote);

// Criterion for a text column equal to a value: 商品コード="X".
std::string equalsCriterion(std::string_view column, std::string_view value);
// Criterion for a text column starting with a typed text: F like 'text*',
// the text's own "*", "?", "#" and "[" matching only themselves.
std::string startsWithCriterion(std::string_view column, std::string_view prefix);

} // namespace kiro::db
