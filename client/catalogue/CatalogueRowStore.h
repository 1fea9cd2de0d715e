#pragma once

#include "client/catalogue/KaraokeView.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kiro::catalogue {

// The karaoke list's rows, kept compactly for a list view that asks for the
// rows it shows: the texts of every row in one buffer, a few bytes of
// bookkeeping per row. A list filled down to a hit deep in a tab of a large
// catalogue holds a hundred thousand rows and more.
class CatalogueRowStore {
public:
    static constexpr int kBlankIcon = -32768;

    void clear();
    void append(const CatalogueRow& row);
    void appendBlank(int count);

    size_t size() const { return m_rows.size(); }
    // Empty for a blank row or a column past the third.
    std::string_view text(size_t row, int column) const;
    // The row's icon, kBlankIcon for a blank row.
    int icon(size_t row) const;
    bool blank(size_t row) const { return icon(row) == kBlankIcon; }
    // Bytes held (for the benchmark's figures).
    size_t bytes() const;

private:
    struct Row {
        std::uint64_t start;            // in m_texts
        std::uint16_t lengths[3];       // bytes of each text (longer ones are cut)
        std::int16_t icon;
    };
    std::vector<Row> m_rows;
    std::string m_texts;
};

} // namespace kiro::catalogue
