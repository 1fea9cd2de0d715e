#pragma once

#include <optional>
#include <string_view>

namespace kiro::catalogue {

// Where a product sits in the host's karaoke area: the number typed at the
// area's first menu and the item number in that menu's list.
struct DataAddress {
    int menu = 0;
    int item = 0;
};

// The largest number a command buffer holds ("%d\r" in 8 bytes).
inline constexpr int kLargestAddressNumber = 999999;

// "a,b": at each comma the part before it is the menu number, the part
// after the last comma the item. Blanks around a number are allowed; a part
// that is not a number of one to six digits, or a text without a comma,
// gives nothing (the catalogue row is damaged).
std::optional<DataAddress> parseDataAddress(std::string_view text);

} // namespace kiro::catalogue
