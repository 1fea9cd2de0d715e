#pragma once

#include <istream>
#include <ostream>
#include <string>

// The plain message boxes of the programs without a client window (songbox,
// check, drvclean). A program picks the windowed implementation when a
// display is there and the console one otherwise, so its logic never depends
// on a GUI. The client's own prompt answers on the console the same way
// (answerIsFirstButton), so every program of the system behaves alike
// without a display.
namespace kiro {

enum class BoxIcon {
    None,
    Information,
    Question,
    Error,
};

// Which button of a two-button box was pressed: the first is "はい"/OK.
enum class ButtonAnswer {
    First,
    Second,
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;

    // One modal box with an OK button; returns when it is dismissed.
    virtual void showBox(const std::string& text, const std::string& title, BoxIcon icon) = 0;
    // A modal Yes/No question; First is Yes.
    virtual ButtonAnswer askYesNo(const std::string& text, const std::string& title) = 0;

    void show(const std::string& text, const std::string& title) { showBox(text, title, BoxIcon::None); }
};

// Without a display: a box is the line "title: text" on `out`; a question
// is printed there too and answered by one line of `in`.
class ConsoleMessageBoxes final : public MessageBoxes {
public:
    ConsoleMessageBoxes(std::ostream& out, std::istream& in);
    void showBox(const std::string& text, const std::string& title, BoxIcon icon) override;
    ButtonAnswer askYesNo(const std::string& text, const std::string& title) override;

private:
    std::ostream& m_out;
    std::istream& m_in;
};

// The one line that answers a question without a display: "y", "yes" or
// "はい" (blanks around it and the letters' case do not matter) choose the
// first button, anything else the second.
ButtonAnswer answerFromLine(const std::string& line);

// Prints "title: text [y=first/n=second] " (no title: the text alone), reads
// one line and returns its answer; the end of input is the second button.
ButtonAnswer askOnConsole(std::ostream& out, std::istream& in, const std::string& title,
                          const std::string& text, const std::string& firstLabel,
                          const std::string& secondLabel);

// True when a box can be shown on a display: KIRO_MESSAGES is not "stderr"
// and DISPLAY or WAYLAND_DISPLAY is set.
bool displayAvailable();

} // namespace kiro
