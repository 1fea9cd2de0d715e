#include "client/catalogue/SearchMemo.h"

#include "client/catalogue/CatalogueTables.h"

namespace kiro::catalogue {

void SearchMemo::clear()
{
    m_entries.clear();
    m_text.clear();
}

std::optional<long> SearchMemo::positionOfLength(size_t length) const
{
    for (const Entry& e : m_entries)
        if (e.length == length)
            return e.position;
    return std::nullopt;
}

std::optional<long> SearchMemo::exact(std::string_view text) const
{
    if (m_entries.empty() || m_text.size() < text.size())
        return std::nullopt;
    if (text == m_text)
        return m_entries.back().position;
    if (std::string_view(m_text).substr(0, text.size()) == text)
        return positionOfLength(text.size());
    return std::nullopt;
}

std::optional<long> SearchMemo::longestPrefix(std::string_view text) const
{
    if (m_entries.empty())
        return std::nullopt;
    const size_t common = commonPrefixBytes(text, m_text);
    if (common == 0)
        return std::nullopt;
    return positionOfLength(common);
}

void SearchMemo::record(std::string_view text, long position)
{
    const size_t common = m_entries.empty() ? 0 : commonPrefixBytes(text, m_text);
    if (common == 0) {
        m_text = std::string(text);
        m_entries.assign(1, Entry{text.size(), position});
        return;
    }
    if (text.size() == m_text.size())
        return; // the same length (the same text): the entry stands
    while (!m_entries.empty() && m_entries.back().length > common)
        m_entries.pop_back();
    if (!m_entries.empty() && m_entries.back().length == text.size())
        m_entries.back().position = position;
    else
        m_entries.push_back(Entry{text.size(), position});
    m_text = std::string(text);
}

} // namespace kiro::catalogue
