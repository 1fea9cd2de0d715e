#include "client/catalogue/SearchKeyboardLayout.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace kiro::catalogue {
namespace {

// Five characters per row; half-width katakana are three bytes each in UTF-8.
constexpr std::array<std::string_view, 12> kKatakanaRows = {
    "ｱｲｳｴｵ", "ｶｷｸｹｺ", "ｻｼｽｾｿ", "ﾀﾁﾂﾃﾄ", "ﾅﾆﾇﾈﾉ", "ﾊﾋﾌﾍﾎ",
    "ﾏﾐﾑﾒﾓ", "ﾔﾕﾖﾟﾞ", "ﾗﾘﾙﾚﾛ", "ﾜｦﾝ､｡", "ｧｨｩｪｫ", "ｯｬｭｮｰ",
};
constexpr std::array<std::string_view, 12> kLatinRows = {
    "ABCDE", "FGHIJ", "KLMNO", "PQRST", "UVWXY", "Z,.'\"", "&#$!?", "%[]()", "789*@", "456/:", "123-;", "0 +=`",
};

struct Region {
    int left, top, right, bottom, cellWidth, cellHeight;
    // The cell (column, row) of a point inside, or false.
    bool cell(int x, int y, int& column, int& row) const
    {
        if (x < left || x > right || y < top || y > bottom)
            return false;
        column = (x - left) / cellWidth;
        row = (y - top) / cellHeight;
        return true;
    }
};

constexpr Region kKeys{1, 1, 140, 336, 28, 28};
constexpr Region kEditing{1, 337, 84, 393, 28, 56};
constexpr Region kSpaceSwitch{85, 337, 140, 393, 56, 28};

} // namespace

const char* SearchKeyboardLayout::bitmapName() const { return m_layout == kKatakana ? "KB-J.bmp" : "KB-E.bmp"; }

std::string SearchKeyboardLayout::character(int layout, int row, int column)
{
    if (row < 0 || row >= 12 || column < 0 || column >= 5)
        return {};
    if (layout == kLatin)
        return std::string(kLatinRows[static_cast<size_t>(row)].substr(static_cast<size_t>(column), 1));
    return std::string(kKatakanaRows[static_cast<size_t>(row)].substr(static_cast<size_t>(column) * 3, 3));
}

SearchKeyboardLayout::Hit SearchKeyboardLayout::hitTest(int x, int y) const
{
    Hit hit;
    int column = 0;
    int row = 0;
    // The regions' edges are inclusive, so a click on the last pixel line
    // could compute one cell too many: it is clamped back in.
    if (kKeys.cell(x, y, column, row)) {
        hit.action = Action::Character;
        hit.character = character(m_layout, std::min(row, 11), std::min(column, 4));
    } else if (kEditing.cell(x, y, column, row)) {
        static constexpr Action kEditKeys[] = {Action::CursorLeft, Action::Backspace, Action::CursorRight};
        hit.action = kEditKeys[std::min(column, 2)];
    } else if (kSpaceSwitch.cell(x, y, column, row)) {
        if (std::min(row, 1) == 0) {
            hit.action = Action::Character;
            hit.character = " ";
        } else {
            hit.action = Action::SwitchLayout;
        }
    }
    return hit;
}

} // namespace kiro::catalogue
