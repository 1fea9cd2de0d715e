#include "client/catalogue/ProductFiles.h"

#include "common/FileNames.h"

#include <system_error>

namespace fs = std::filesystem;

namespace kiro::catalogue {

namespace {

fs::path inFolder(const fs::path& installFolder, const char* folder, const std::string& name)
{
    if (auto found = kiro::filenames::findUnder(installFolder, std::string(folder) + "/" + name))
        return *found;
    if (auto resolved = kiro::filenames::resolveUnder(installFolder, std::string(folder) + "/" + name))
        return *resolved;
    return installFolder / folder / name;
}

std::vector<fs::path> threeFiles(const fs::path& installFolder, const char* folder, const std::string& base,
    const char* const (&extensions)[3])
{
    std::vector<fs::path> files;
    if (base.empty())
        return files;
    for (const char* extension : extensions)
        files.push_back(inFolder(installFolder, folder, base + extension));
    return files;
}

} // namespace

std::string productBaseName(const std::string& fileName)
{
    std::string name = fileName;
    if (const size_t slash = name.find_last_of("/\\"); slash != std::string::npos)
        name.erase(0, slash + 1);
    if (const size_t dot = name.rfind('.'); dot != std::string::npos)
        name.resize(dot);
    for (const unsigned char c : name)
        if (c < 0x20 || c == 0x7f)
            return {};
    if (name == "." || name == "..")
        return {};
    return name;
}

std::vector<fs::path> karaokeFiles(const fs::path& installFolder, const std::string& base)
{
    static const char* const kExtensions[3] = {".KRD", ".MID", ""};
    return threeFiles(installFolder, "karaoke", base, kExtensions);
}

std::vector<fs::path> productFiles(int course, const fs::path& installFolder, const std::string& base)
{
    static const char* const kCdExtensions[3] = {".MP2", ".TXT", ".BMP"};
    switch (course) {
    case 10:
    case 50:
        return karaokeFiles(installFolder, base);
    case 20:
        return threeFiles(installFolder, "CDEx", base, kCdExtensions);
    default:
        return {};
    }
}

int deleteFiles(const std::vector<fs::path>& files)
{
    int removed = 0;
    for (const fs::path& file : files) {
        std::error_code ec;
        // A folder of that name is not a product file: leave it.
        if (fs::is_directory(fs::symlink_status(file, ec)))
            continue;
        if (fs::remove(file, ec))
            ++removed;
    }
    return removed;
}

int DeleteProductFiles(int course, const fs::path& installFolder, const std::string& base)
{
    return deleteFiles(productFiles(course, installFolder, base));
}

} // namespace kiro::catalogue
