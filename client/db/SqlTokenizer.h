#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kiro::db {

// One lexical unit of a Jet SQL text.
struct SqlToken {
    enum class Kind {
        Word,        // keyword or bare identifier (bytes >= 0x80 count as letters)
        Bracketed,   // [identifier] — text holds the name without brackets
        String,      // '...' or "..." literal — text holds the value, quotes undone
        Date,        // #...# literal — text holds what stood between the hashes
        Number,      // 12, 3.5, 1e3
        Punct,       // operators and punctuation: ( ) , . ; = <> <= >= < > * + - / & ||
    };
    Kind kind;
    std::string text;
    size_t offset = 0; // byte offset in the source, for messages

    bool isWord(std::string_view upperKeyword) const;
    bool isPunct(std::string_view p) const { return kind == Kind::Punct && text == p; }
    bool isIdentifier() const { return kind == Kind::Word || kind == Kind::Bracketed; }
};

// Splits a Jet SQL text into tokens. Throws DbError on an unterminated
// literal or bracket.
std::vector<SqlToken> tokenizeJet(std::string_view sql);

// ASCII-only case folding: Jet compares keywords and names that way.
std::string asciiUpper(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// Quoting for the SQLite side.
std::string quoteSqlString(std::string_view value);   // 'it''s'
std::string quoteSqlIdentifier(std::string_view name); // "NIFTY-ID"

} // namespace kiro::db
