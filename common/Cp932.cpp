#include "common/Cp932.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace kiro::cp932 {

bool isLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool holdsDoubleByte(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size())
            return true;
    }
    return false;
}

namespace {

// One conversion with iconv. With `lenient`, an unconvertible sequence is
// replaced by '?' and the conversion goes on one input unit later.
std::optional<std::string> convert(const char* to, const char* from, std::string_view in,
                                   bool lenient, bool sourceIsCp932)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;

    std::string out;
    out.reserve(in.size() * 3 / 2 + 8);
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char buffer[1024];
    bool ok = true;

    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (rc != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (an incomplete sequence at the end).
        if (!lenient) {
            ok = false;
            break;
        }
        out.push_back('?');
        size_t skip = 1;
        if (sourceIsCp932) {
            if (isLeadByte(static_cast<unsigned char>(*inPtr)) && inLeft >= 2)
                skip = 2;
        } else {
            // Skip one whole UTF-8 character.
            unsigned char c = static_cast<unsigned char>(*inPtr);
            size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            skip = std::min(len, inLeft);
        }
        inPtr += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    return out;
}

} // namespace

std::optional<std::string> tryToUtf8(std::string_view text)
{
    return convert("UTF-8", "CP932", text, false, true);
}

std::optional<std::string> tryFromUtf8(std::string_view text)
{
    return convert("CP932", "UTF-8", text, false, false);
}

std::string toUtf8(std::string_view text)
{
    return convert("UTF-8", "CP932", text, true, true).value_or(std::string());
}

std::string fromUtf8(std::string_view text)
{
    return convert("CP932", "UTF-8", text, true, false).value_or(std::string());
}

} // namespace kiro::cp932
