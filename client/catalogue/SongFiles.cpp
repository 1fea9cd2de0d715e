#include "client/catalogue/SongFiles.h"

#include "client/catalogue/ProductFiles.h"

namespace kiro::catalogue {

void deleteSongFiles(const std::filesystem::path& installFolder, const std::string& fileName)
{
    // karaokeFiles gives nothing for a name that would name the folder itself.
    deleteFiles(karaokeFiles(installFolder, productBaseName(fileName)));
}

} // namespace kiro::catalogue
