#include "client/db/SqlTokenizer.h"

#include "client/db/DbError.h"

namespace kiro::db {
namespace {

bool isWordByte(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'
        || c == '$' || c >= 0x80;
}

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

[[noreturn]] void syntaxError(std::string_view what, size_t offset)
{
    throw DbError(kErrorSyntax, "Syntax error: " + std::string(what) + " at byte " + std::to_string(offset) + ".");
}

// Reads a literal closed by `quote`, where a doubled quote stands for one.
std::string readQuoted(std::string_view sql, size_t& pos, char quote)
{
    const size_t start = pos;
    std::string value;
    ++pos;
    while (true) {
        if (pos >= sql.size())
            syntaxError("unterminated literal", start);
        char c = sql[pos++];
        if (c == quote) {
            if (pos < sql.size() && sql[pos] == quote) {
                value.push_back(quote);
                ++pos;
                continue;
            }
            return value;
        }
        value.push_back(c);
    }
}

} // namespace

bool SqlToken::isWord(std::string_view upperKeyword) const
{
    return kind == Kind::Word && equalsIgnoreCase(text, upperKeyword);
}

std::string asciiUpper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

std::string quoteSqlString(std::string_view value)
{
    std::string out = "'";
    for (char c : value) {
        out.push_back(c);
        if (c == '\'')
            out.push_back('\'');
    }
    out.push_back('\'');
    return out;
}

std::string quoteSqlIdentifier(std::string_view name)
{
    std::string out = "\"";
    for (char c : name) {
        out.push_back(c);
        if (c == '"')
            out.push_back('"');
    }
    out.push_back('"');
    return out;
}

std::vector<SqlToken> tokenizeJet(std::string_view sql)
{
    std::vector<SqlToken> tokens;
    size_t pos = 0;
    while (pos < sql.size()) {
        const unsigned char c = static_cast<unsigned char>(sql[pos]);
        const size_t start = pos;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
            ++pos;
            continue;
        }
        if (c == '\'' || c == '"') {
            std::string value = readQuoted(sql, pos, static_cast<char>(c));
            tokens.push_back({SqlToken::Kind::String, std::move(value), start});
            continue;
        }
        if (c == '[') {
            size_t end = sql.find(']', pos + 1);
            if (end == std::string_view::npos)
                syntaxError("unterminated bracket", start);
            tokens.push_back({SqlToken::Kind::Bracketed, std::string(sql.substr(pos + 1, end - pos - 1)), start});
            pos = end + 1;
            continue;
        }
        if (c == '#') {
            size_t end = sql.find('#', pos + 1);
            if (end == std::string_view::npos)
                syntaxError("unterminated date", start);
            tokens.push_back({SqlToken::Kind::Date, std::string(sql.substr(pos + 1, end - pos - 1)), start});
            pos = end + 1;
            continue;
        }
        if (isDigit(c) || (c == '.' && pos + 1 < sql.size() && isDigit(static_cast<unsigned char>(sql[pos + 1])))) {
            size_t end = pos;
            while (end < sql.size() && (isDigit(static_cast<unsigned char>(sql[end])) || sql[end] == '.'))
                ++end;
            if (end < sql.size() && (sql[end] == 'e' || sql[end] == 'E')) {
                size_t exp = end + 1;
                if (exp < sql.size() && (sql[exp] == '+' || sql[exp] == '-'))
                    ++exp;
                if (exp < sql.size() && isDigit(static_cast<unsigned char>(sql[exp]))) {
                    end = exp;
                    while (end < sql.size() && isDigit(static_cast<unsigned char>(sql[end])))
                        ++end;
                }
            }
            // A name that merely starts with a digit stays a name.
            if (end < sql.size() && isWordByte(static_cast<unsigned char>(sql[end]))) {
                while (end < sql.size() && isWordByte(static_cast<unsigned char>(sql[end])))
                    ++end;
                tokens.push_back({SqlToken::Kind::Word, std::string(sql.substr(pos, end - pos)), start});
            } else {
                tokens.push_back({SqlToken::Kind::Number, std::string(sql.substr(pos, end - pos)), start});
            }
            pos = end;
            continue;
        }
        if (isWordByte(c)) {
            size_t end = pos;
            while (end < sql.size() && isWordByte(static_cast<unsigned char>(sql[end])))
                ++end;
            tokens.push_back({SqlToken::Kind::Word, std::string(sql.substr(pos, end - pos)), start});
            pos = end;
            continue;
        }
        std::string_view two = sql.substr(pos, 2);
        if (two == "<>" || two == "<=" || two == ">=" || two == "!=" || two == "||") {
            tokens.push_back({SqlToken::Kind::Punct, std::string(two), start});
            pos += 2;
            continue;
        }
        static constexpr std::string_view kSingles = "(),.;=<>*+-/&%!";
        if (kSingles.find(static_cast<char>(c)) != std::string_view::npos) {
            tokens.push_back({SqlToken::Kind::Punct, std::string(1, static_cast<char>(c)), start});
            ++pos;
            continue;
        }
        syntaxError(std::string("unexpected character '") + static_cast<char>(c) + "'", start);
    }
    return tokens;
}

} // namespace kiro::db
