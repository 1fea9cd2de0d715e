#include "client/catalogue/SongFiles.h"

#include "common/FileNames.h"

namespace kiro::catalogue {

std::string songBaseName(const std::string& fileName)
{
    std::string base = fileName;
    const size_t slash = base.find_last_of("\\/");
    if (slash != std::string::npos)
        base = base.substr(slash + 1);
    const size_t dot = base.rfind('.');
    if (dot != std::string::npos)
        base.resize(dot);
    return base;
}

void deleteSongFiles(const std::filesystem::path& installFolder, const std::string& fileName)
{
    const std::string base = songBaseName(fileName);
    // An empty name or one made of dots would name the folder itself.
    if (base.empty() || base == "." || base == "..")
        return;
    for (const std::string& name : {base + ".KRD", base + ".MID", base}) {
        if (const auto file = kiro::filenames::findUnder(installFolder, "KARAOKE\\" + name)) {
            std::error_code ec;
            if (std::filesystem::is_regular_file(*file, ec))
                std::filesystem::remove(*file, ec);
        }
    }
}

} // namespace kiro::catalogue
