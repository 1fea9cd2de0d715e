#pragma once

#include <string>

namespace kiro::catalogue {

// The on-screen keyboard beside the karaoke list: which key a click on the
// picture hits. Coordinates are pixels of the picture.
class SearchKeyboardLayout {
public:
    enum class Action { None, Character, CursorLeft, Backspace, CursorRight, SwitchLayout };
    struct Hit {
        Action action = Action::None;
        std::string character; // UTF-8, for Action::Character (a space included)
    };

    static constexpr int kKatakana = 0;
    static constexpr int kLatin = 1;

    int layout() const { return m_layout; }
    void switchLayout() { m_layout = m_layout == kKatakana ? kLatin : kKatakana; }
    // "KB-J.bmp" or "KB-E.bmp" for the current layout.
    const char* bitmapName() const;

    Hit hitTest(int x, int y) const;
    // The character of row r (0..11), column c (0..4) of a layout's table.
    static std::string character(int layout, int row, int column);

private:
    int m_layout = kKatakana;
};

} // namespace kiro::catalogue
