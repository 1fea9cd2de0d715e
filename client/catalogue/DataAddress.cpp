#include "client/catalogue/DataAddress.h"

namespace kiro::catalogue {

namespace {

std::optional<int> number(std::string_view part)
{
    while (!part.empty() && (part.front() == ' ' || part.front() == '\t'))
        part.remove_prefix(1);
    while (!part.empty() && (part.back() == ' ' || part.back() == '\t'))
        part.remove_suffix(1);
    if (part.empty() || part.size() > 6)
        return std::nullopt;
    int value = 0;
    for (char c : part) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

std::optional<DataAddress> parseDataAddress(std::string_view text)
{
    const auto last = text.rfind(',');
    if (last == std::string_view::npos)
        return std::nullopt;
    const auto before = text.substr(0, last).rfind(',');
    const std::string_view menuPart =
        before == std::string_view::npos ? text.substr(0, last) : text.substr(before + 1, last - before - 1);
    const auto menu = number(menuPart);
    const auto item = number(text.substr(last + 1));
    if (!menu || !item)
        return std::nullopt;
    return DataAddress{*menu, *item};
}

} // namespace kiro::catalogue
