#include "tools/hostsim/KaraokeCatalogue.h"

#include "client/db/Connection.h"
#include "client/db/DbError.h"
#include "common/FileNames.h"

#include <sqlite3.h>

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <string_view>
#include <vector>

namespace kiro::hostsim {

namespace {

// A number between blanks; one that does not fit an int is refused rather
// than wrapped, so that a damaged row cannot take another product's place.
std::optional<int> addressNumber(std::string_view part)
{
    while (!part.empty() && (part.front() == ' ' || part.front() == '\t'))
        part.remove_prefix(1);
    while (!part.empty() && (part.back() == ' ' || part.back() == '\t'))
        part.remove_suffix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (part.empty() || ec != std::errc() || end != part.data() + part.size() || value < 0)
        return std::nullopt;
    return value;
}

std::optional<std::pair<int, int>> address(const char *text)
{
    if (text == nullptr)
        return std::nullopt;
    const std::string_view all(text);
    const auto comma = all.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    const auto menu = addressNumber(all.substr(0, comma));
    const auto item = addressNumber(all.substr(comma + 1));
    if (!menu || !item)
        return std::nullopt;
    return std::make_pair(*menu, *item);
}

const char *column(sqlite3_stmt *st, int i)
{
    return reinterpret_cast<const char *>(sqlite3_column_text(st, i));
}

} // namespace

std::string productBaseName(std::string name)
{
    if (const auto cut = name.find_last_of("/\\"); cut != std::string::npos)
        name.erase(0, cut + 1);
    if (const auto dot = name.rfind('.'); dot != std::string::npos)
        name.erase(dot);
    return name;
}

std::optional<KaraokeCatalogue> KaraokeCatalogue::load(const std::filesystem::path &file, const std::string &password,
                                                       std::string &error)
{
    try {
        auto connection = db::Connection::open(file, password);
        db::Statement st(connection, "SELECT 商品コード, ファイル名, データアドレス１, データアドレス２ FROM 商品マスタ "
                                     "ORDER BY コースコード, 商品コード");
        KaraokeCatalogue catalogue;
        // Archive addresses win over header addresses that happen to coincide.
        std::vector<std::pair<std::pair<int, int>, Item>> headers;
        while (st.step()) {
            const char *code = column(st.get(), 0);
            const char *name = column(st.get(), 1);
            if (code == nullptr || name == nullptr)
                continue;
            const std::string base = productBaseName(name);
            if (auto a = address(column(st.get(), 2)))
                catalogue.add(a->first, a->second, {code, base, false});
            if (auto a = address(column(st.get(), 3)))
                headers.push_back({*a, {code, base, true}});
        }
        for (auto &[where, item] : headers)
            catalogue.add(where.first, where.second, std::move(item));
        return catalogue;
    } catch (const db::DbError &e) {
        error = file.string() + ": " + e.what();
        return std::nullopt;
    }
}

KaraokeCatalogue::KaraokeCatalogue(KaraokeCatalogue &&other) noexcept
    : m_items(std::move(other.m_items)), m_scratch(std::move(other.m_scratch))
{
    other.m_scratch.clear();
}

KaraokeCatalogue::~KaraokeCatalogue()
{
    std::error_code ec;
    if (!m_scratch.empty())
        std::filesystem::remove_all(m_scratch, ec);
}

const KaraokeCatalogue::Item *KaraokeCatalogue::find(int menu, int item) const
{
    const auto it = m_items.find({menu, item});
    return it == m_items.end() ? nullptr : &it->second;
}

std::map<int, const KaraokeCatalogue::Item *> KaraokeCatalogue::menu(int menu) const
{
    std::map<int, const Item *> out;
    for (auto it = m_items.lower_bound({menu, 0}); it != m_items.end() && it->first.first == menu; ++it)
        out.emplace(it->first.second, &it->second);
    return out;
}

std::optional<std::filesystem::path> KaraokeCatalogue::fileFor(const Item &item, const std::string &contentDir) const
{
    if (contentDir.empty() || item.baseName.empty() || !filenames::resolveUnder(contentDir, item.baseName))
        return std::nullopt;
    auto archive = filenames::findInFolder(contentDir, item.baseName);
    if (!archive)
        archive = filenames::findInFolder(contentDir, item.baseName + ".LZH");
    if (!archive || !std::filesystem::is_regular_file(*archive))
        return std::nullopt;
    if (!item.header)
        return archive;
    if (auto header = filenames::findInFolder(contentDir, "HEADER.BIN"))
        return header;
    if (m_scratch.empty()) {
        char pattern[] = "/tmp/kiro-hostsim-XXXXXX";
        if (::mkdtemp(pattern) == nullptr)
            return std::nullopt;
        m_scratch = pattern;
    }
    const std::filesystem::path path = m_scratch / "HEADER.BIN";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "KIRO HEADER\r\n" << item.code << "\r\n";
    if (!out.flush())
        return std::nullopt;
    return path;
}

} // namespace kiro::hostsim
