#pragma once

// The song book's constant tables: the reading-index tabs, which tab a typed
// text belongs to, the list layouts by index kind and type, and the row icon
// rule. Texts are UTF-8.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kiro::catalogue {

struct ReadingIndexTab {
    const char* caption;
    const char* code; // the index code the catalogue stores
    int kind;         // 0 Japanese reading, 1 English spelling
};

inline constexpr int kTabCount = 19;
inline constexpr int kOtherTab = 18; // 他
extern const std::array<ReadingIndexTab, kTabCount> kReadingIndexTabs;

// The tab a search text belongs to, by its first character: half-width
// katakana rows pick あ..わ, Latin letters Ａ..Ｖ, anything else 他.
// An empty text gives -1.
int firstCharTab(std::string_view text);

struct ListLayout {
    std::array<int, 3> weights;
    std::array<const char*, 2> headers;
    std::array<const char*, 2> headersCourse50;
    std::array<const char*, 2> fields; // shown in columns 0 and 1
};
const ListLayout& listLayout(int kind, int indexType);

// The list headers of a course for (kind, index type), the third included.
std::array<std::string, 3> listHeaders(int course, int kind, int indexType);

// Divides a client width in proportion to the weights: every column but the
// last gets its share cut to an integer, the last what is left.
std::vector<int> columnWidths(int clientWidth, const std::vector<int>& weights);

// Index-type combo box items of a course.
std::vector<std::string> indexTypeItems(int course);

// The row icon: the downloaded flag, or for the performance course (50)
// flag + 2 × link sign + 1, which picks the set marks as well.
int rowIcon(int course, int downloaded, int linkSign);

// Caption of the link filter button for a filter value (0..2).
const char* linkFilterCaption(int filter);
inline int nextLinkFilter(int filter) { return (filter + 1) % 3; }

// Course code as the catalogue writes it: three digits.
std::string courseText(int course);

// The first characters of a UTF-8 text that fit in `maxBytes` bytes of code
// page 932 (the search box's limit); characters are never cut.
std::string fitCp932Bytes(std::string_view text, size_t maxBytes);

// Length of the common start of two UTF-8 texts in bytes, compared character
// by character.
size_t commonPrefixBytes(std::string_view a, std::string_view b);

// Whether `text` begins with `prefix`, ASCII letters in either case (as the
// catalogue's LIKE matches them); every other character matches exactly.
bool startsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);

} // namespace kiro::catalogue
