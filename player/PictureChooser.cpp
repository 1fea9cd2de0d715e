#include "player/PictureChooser.h"

#include "common/Cp932.h"
#include "player/TempFiles.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <numeric>

namespace kiro::player {

namespace {

bool hasExtension(const std::filesystem::path& path, const char* extension)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == extension;
}

std::vector<std::filesystem::path> filesWithExtension(const std::filesystem::path& folder, const char* extension)
{
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_directory(ec) || !hasExtension(it->path(), extension))
            continue;
        found.push_back(it->path().filename());
    }
    // A stable order keeps runs comparable whatever the directory order is.
    std::sort(found.begin(), found.end());
    return found;
}

bool matches(const AttributeKey& key, const ListedArchive& archive, const std::vector<int>& indices)
{
    for (int i : indices) {
        // Attributes 5 and 6 are one pair: either compares both.
        if (i == 5 || i == 6) {
            if (key.attributes[5] != archive.attributes[5] || key.attributes[6] != archive.attributes[6])
                return false;
        } else if (key.attributes[static_cast<std::size_t>(i)] != archive.attributes[static_cast<std::size_t>(i)]) {
            return false;
        }
    }
    return true;
}

} // namespace

TickSeededRandom::TickSeededRandom()
    : m_engine(static_cast<std::mt19937::result_type>(
          std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count()))
{
}

std::size_t TickSeededRandom::below(std::size_t count)
{
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(m_engine);
}

AttributeKey attributeKeyOf(const PictureEntry& row)
{
    AttributeKey key;
    const std::string& name = row.name;
    for (std::size_t i = 0; i < 7 && i < name.size(); ++i)
        key.attributes[i] = static_cast<std::uint8_t>(name[i]);
    for (std::size_t i = 0; i < 7 && 8 + i < name.size(); ++i)
        key.priorities[i] = static_cast<std::uint8_t>(name[8 + i]);
    return key;
}

PictureChooser::PictureChooser(std::filesystem::path pictFolder, std::filesystem::path userFolder, RandomSource& random)
    : m_pictFolder(std::move(pictFolder))
    , m_userFolder(std::move(userFolder))
    , m_random(random)
{
    for (const auto& name : filesWithExtension(m_pictFolder, ".lzh")) {
        if (auto attributes = decodeArchiveAttributes(name.string()))
            m_archives.push_back({name.string(), *attributes});
    }
    for (const auto& name : filesWithExtension(m_userFolder, ".bmp"))
        m_userBitmaps.push_back(name.string());
}

PictureChooser::PictureChooser(std::filesystem::path pictFolder, std::filesystem::path userFolder,
                               std::vector<ListedArchive> archives, std::vector<std::string> userBitmaps, RandomSource& random)
    : m_pictFolder(std::move(pictFolder))
    , m_userFolder(std::move(userFolder))
    , m_archives(std::move(archives))
    , m_userBitmaps(std::move(userBitmaps))
    , m_random(random)
{
}

std::vector<std::size_t> PictureChooser::candidatesFor(const AttributeKey& key) const
{
    // o0..o6: attribute indices by priority, the most important first.
    std::vector<int> order(7);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return key.priorities[static_cast<std::size_t>(a)] < key.priorities[static_cast<std::size_t>(b)];
    });

    std::vector<std::size_t> candidates;
    std::vector<bool> admitted(m_archives.size(), false);
    auto gather = [&](const std::vector<int>& indices) {
        for (std::size_t i = 0; i < m_archives.size(); ++i) {
            if (!admitted[i] && matches(key, m_archives[i], indices)) {
                admitted[i] = true;
                candidates.push_back(i);
            }
        }
    };
    auto enough = [&] { return candidates.size() >= m_requestCount && m_requestCount > 0; };

    // First sweep: drop the least important attributes one by one.
    for (int level = 0; level <= 6 && !enough(); ++level)
        gather(std::vector<int>(order.begin(), order.begin() + (7 - level)));
    // Second sweep: drop the most important ones instead.
    for (int level = 0; level <= 6 && !enough(); ++level)
        gather(std::vector<int>(order.begin() + level, order.end()));
    return candidates;
}

std::string PictureChooser::chooseByAttributes(const AttributeKey& key)
{
    if (m_archives.empty())
        return {};
    std::vector<std::size_t> candidates = candidatesFor(key);
    // Nothing matches even one attribute: any picture beats none.
    if (candidates.empty()) {
        candidates.resize(m_archives.size());
        std::iota(candidates.begin(), candidates.end(), 0);
    }
    std::size_t chosen = candidates.front();
    if (candidates.size() > 1) {
        if (m_handedOut.size() >= candidates.size())
            m_handedOut.clear();
        // A uniform pick among the candidates not yet handed out.
        std::vector<std::size_t> fresh;
        for (std::size_t c : candidates) {
            if (std::find(m_handedOut.begin(), m_handedOut.end(), c) == m_handedOut.end())
                fresh.push_back(c);
        }
        chosen = fresh[m_random.below(fresh.size())];
        m_handedOut.push_back(chosen);
    }
    return (m_pictFolder / m_archives[chosen].fileName).string();
}

std::string PictureChooser::chooseUserBitmap()
{
    if (m_userBitmaps.empty())
        return {};
    return (m_userFolder / m_userBitmaps[m_random.below(m_userBitmaps.size())]).string();
}

void choosePictureSources(std::vector<PictureEntry>& rows, bool userPictures,
                          const std::filesystem::path& krdFolder, PictureChooser& chooser)
{
    std::size_t requests = 0;
    for (const PictureEntry& row : rows)
        requests += (row.code == 1 || row.code == 6) ? 1 : 0;
    chooser.setRequestCount(requests);

    const std::filesystem::path pict = krdFolder / "pict";
    for (PictureEntry& row : rows) {
        if (row.code == 13)
            continue;
        if (userPictures) {
            row.source = chooser.chooseUserBitmap();
        } else if (row.byAttributes()) {
            row.source = chooser.chooseByAttributes(attributeKeyOf(row));
        } else {
            const std::string name = kiro::cp932::toUtf8(row.name);
            if (name.empty() || name.find_first_of("/\\") != std::string::npos) {
                row.source.clear();
                continue;
            }
            const std::string fileName = name + "." + row.extension;
            row.source = findFileIgnoringCase(pict, fileName).value_or(pict / fileName).string();
        }
    }
}

} // namespace kiro::player
