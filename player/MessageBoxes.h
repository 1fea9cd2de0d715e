#pragma once

#include <ostream>
#include <string>

// The player's message boxes. The program picks a windowed implementation
// when a display is there and the standard-error one otherwise (or when
// KIRO_MESSAGES=stderr), so the logic never depends on a GUI.
namespace kiro::player {

inline constexpr char kDefaultTitle[] = "songbox";
inline constexpr char kErrorBoxLead[] = "エラーが発生しました。\n\n";

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows one modal box and returns when it is dismissed.
    virtual void show(const std::string& text, const std::string& title) = 0;

    // The error box: the fixed lead line, then the message.
    void error(const std::string& message) { show(kErrorBoxLead + message, kDefaultTitle); }
    // A box with the message alone.
    void plain(const std::string& message) { show(message, kDefaultTitle); }
};

// Writes each box as "title: text" followed by a line feed.
class StderrMessageBoxes final : public MessageBoxes {
public:
    explicit StderrMessageBoxes(std::ostream& out);
    void show(const std::string& text, const std::string& title) override;

private:
    std::ostream& m_out;
};

} // namespace kiro::player
