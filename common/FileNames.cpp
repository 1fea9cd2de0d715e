#include "common/FileNames.h"

#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace kiro::filenames {

namespace {

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::vector<std::string> splitComponents(const std::string& relative)
{
    std::vector<std::string> parts;
    std::string current;
    for (char c : relative) {
        if (c == '/' || c == '\\') {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parts.push_back(current);
    return parts;
}

} // namespace

bool sameNameIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

std::optional<fs::path> findInFolder(const fs::path& folder, const std::string& name)
{
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return std::nullopt;
    std::error_code ec;
    fs::path exact = folder / name;
    if (fs::symlink_status(exact, ec).type() != fs::file_type::not_found && !ec)
        return exact;
    std::optional<std::string> best;
    fs::directory_iterator it(folder, ec);
    if (ec)
        return std::nullopt;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        std::string entry = it->path().filename().string();
        if (sameNameIgnoringCase(entry, name) && (!best || entry < *best))
            best = entry;
    }
    if (!best)
        return std::nullopt;
    return folder / *best;
}

std::optional<fs::path> resolveUnder(const fs::path& base, const std::string& relative)
{
    fs::path result = base;
    bool existing = true;
    for (const std::string& part : splitComponents(relative)) {
        if (part.empty() || part == "." || part == "..")
            return std::nullopt;
        if (existing) {
            if (auto found = findInFolder(result, part)) {
                result = *found;
                continue;
            }
            existing = false;
        }
        result /= part;
    }
    return result;
}

std::optional<fs::path> findUnder(const fs::path& base, const std::string& relative)
{
    auto path = resolveUnder(base, relative);
    std::error_code ec;
    if (!path || fs::symlink_status(*path, ec).type() == fs::file_type::not_found)
        return std::nullopt;
    return path;
}

} // namespace kiro::filenames
