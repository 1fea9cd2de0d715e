#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kiro::catalogue {

// Remembers where the type-ahead search found each prefix of the last text,
// so extending a text starts from its longest known prefix and deleting
// characters goes back without searching. Lengths are in bytes of the text;
// prefixes end at character boundaries.
class SearchMemo {
public:
    void clear();
    bool empty() const { return m_entries.empty(); }
    const std::string& text() const { return m_text; }

    std::optional<long> exact(std::string_view text) const;
    std::optional<long> longestPrefix(std::string_view text) const;
    void record(std::string_view text, long position);

private:
    struct Entry {
        size_t length;
        long position;
    };
    std::optional<long> positionOfLength(size_t length) const;

    std::string m_text;
    std::vector<Entry> m_entries; // shortest first
};

} // namespace kiro::catalogue
