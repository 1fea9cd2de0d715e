#include "archive/LzhExtract.h"

namespace kiro {

int LzhExtractAll(const std::filesystem::path&, const std::filesystem::path&)
{
    return 1;
}

} // namespace kiro
