#include "client/catalogue/CatalogueRowStore.h"

#include <algorithm>
#include <limits>

namespace kiro::catalogue {

void CatalogueRowStore::clear()
{
    // Let the buffers go: the next list may be a short one.
    std::vector<Row>().swap(m_rows);
    std::string().swap(m_texts);
}

void CatalogueRowStore::append(const CatalogueRow& row)
{
    Row r{m_texts.size(), {0, 0, 0}, static_cast<std::int16_t>(std::clamp(row.icon, kBlankIcon + 1, 32767))};
    for (size_t i = 0; i < 3; ++i) {
        // Catalogue columns hold at most 255 characters; a longer text (not
        // from the catalogue) is cut at a character boundary.
        std::string_view t = row.texts[i];
        if (t.size() > std::numeric_limits<std::uint16_t>::max()) {
            size_t cut = std::numeric_limits<std::uint16_t>::max();
            while (cut > 0 && (static_cast<unsigned char>(t[cut]) & 0xC0) == 0x80)
                --cut;
            t = t.substr(0, cut);
        }
        r.lengths[i] = static_cast<std::uint16_t>(t.size());
        m_texts += t;
    }
    m_rows.push_back(r);
}

void CatalogueRowStore::appendBlank(int count)
{
    for (int i = 0; i < count; ++i)
        m_rows.push_back(Row{m_texts.size(), {0, 0, 0}, kBlankIcon});
}

std::string_view CatalogueRowStore::text(size_t row, int column) const
{
    if (row >= m_rows.size() || column < 0 || column > 2)
        return {};
    const Row& r = m_rows[row];
    size_t at = r.start;
    for (int i = 0; i < column; ++i)
        at += r.lengths[i];
    return std::string_view(m_texts).substr(at, r.lengths[column]);
}

int CatalogueRowStore::icon(size_t row) const { return row < m_rows.size() ? m_rows[row].icon : kBlankIcon; }

size_t CatalogueRowStore::bytes() const { return m_rows.capacity() * sizeof(Row) + m_texts.capacity(); }

} // namespace kiro::catalogue
