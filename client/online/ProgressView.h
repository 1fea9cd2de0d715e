#pragma once

#include <string>

namespace kiro::online {

// The six text lines of the progress window, top to bottom.
enum class ProgressLine {
    Remaining = 0,
    Rate = 1,
    FileName = 2,
    Errors = 3,
    Bytes = 4,
    Status = 5,
};

// What the host session shows while it works: six lines, a bar, one button.
// The Qt progress window implements it, and so does kiro-link's text view.
// The view calls HostSession::pressButton() when its button is pressed.
// Texts are UTF-8.
class ProgressView {
public:
    virtual ~ProgressView() = default;

    virtual void setLine(ProgressLine line, const std::string &text) = 0;
    // Range 0..maximum and position, in units of 10 bytes for transfers.
    virtual void setBarRange(int maximum) = 0;
    virtual void setBarPosition(int position) = 0;
    virtual void setButton(const std::string &caption, bool enabled) = 0;
    virtual void showWindow() = 0;
    virtual void hideWindow() = 0;
    // The window that the modeless progress window keeps disabled while shown.
    virtual void setOwnerEnabled(bool enabled) = 0;
    // A button press that does nothing in the current state.
    virtual void beep() = 0;
};

} // namespace kiro::online
