#include "client/catalogue/SongFiles.h"

#include "client/catalogue/ProductFiles.h"

namespace kiro::catalogue {

std::string songBaseName(const std::string& fileName)
{
    return productBaseName(fileName);
}

void deleteSongFiles(const std::filesystem::path& installFolder, const std::string& fileName)
{
    // karaokeFiles gives nothing for a name that would name the folder itself.
    deleteFiles(karaokeFiles(installFolder, productBaseName(fileName)));
}

} // namespace kiro::catalogue
