#include "client/setup/Cp932Fit.h"

#include "common/Cp932.h"

#include <algorithm>

namespace kiro::setup {
namespace {

// Length of the UTF-8 sequence that starts with `lead` (1 for a stray byte,
// which the conversion then refuses on its own).
std::size_t sequenceLength(unsigned char lead)
{
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

} // namespace

std::size_t cp932Length(std::string_view utf8)
{
    return cp932::fromUtf8(utf8).size();
}

std::string fitCp932(std::string_view utf8, std::size_t limit)
{
    std::string kept;
    std::size_t bytes = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = std::min(sequenceLength(static_cast<unsigned char>(utf8[at])), utf8.size() - at);
        const std::string_view character = utf8.substr(at, length);
        at += length;
        const auto converted = cp932::tryFromUtf8(character);
        if (!converted || converted->empty())
            continue;
        if (bytes + converted->size() > limit)
            break;
        bytes += converted->size();
        kept.append(character);
    }
    return kept;
}

} // namespace kiro::setup
