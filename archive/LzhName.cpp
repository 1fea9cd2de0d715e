#include "archive/LzhName.h"

#include "common/Cp932.h"

namespace kiro::lzh {
namespace {

// A double-byte character is a lead byte followed by a valid trail byte;
// anything else (even after a lead byte) is read as one byte, so '/', '\'
// and NUL are never hidden inside a character.
bool startsDoubleByte(std::string_view text, std::size_t i)
{
    if (i + 1 >= text.size() || !cp932::isLeadByte(static_cast<unsigned char>(text[i]))) {
        return false;
    }
    auto trail = static_cast<unsigned char>(text[i + 1]);
    return (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC);
}

} // namespace

std::string memberFileName(std::string_view storedName)
{
    std::string_view text = storedName.substr(0, storedName.find('\0'));

    std::string component;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (startsDoubleByte(text, i)) {
            component.append(text.substr(i, 2));
            ++i;
            continue;
        }
        char c = text[i];
        if (c == '\\' || c == '/') {
            component.clear();
        } else if (c >= 'a' && c <= 'z') {
            component.push_back(static_cast<char>(c - 'a' + 'A'));
        } else {
            component.push_back(c);
        }
    }

    std::size_t cut = 0;
    while (cut < component.size()) {
        std::size_t width = startsDoubleByte(component, cut) ? 2 : 1;
        if (cut + width > kMaxNameBytes) {
            break;
        }
        cut += width;
    }
    component.resize(cut);

    std::string name = cp932::toUtf8(component);
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos) {
        return {};
    }
    return name;
}

} // namespace kiro::lzh
