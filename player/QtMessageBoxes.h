#pragma once

#include "player/MessageBoxes.h"

#include <memory>

class QApplication;

namespace kiro::player {

// Message boxes as Qt windows; the application object is made on the first
// box, so a run that shows none never touches the display.
class QtMessageBoxes final : public MessageBoxes {
public:
    QtMessageBoxes(int& argc, char** argv);
    ~QtMessageBoxes() override;
    void show(const std::string& text, const std::string& title) override;

private:
    int& m_argc;
    char** m_argv;
    std::unique_ptr<QApplication> m_application;
};

// True when a box can be shown on a display: KIRO_MESSAGES is not "stderr"
// and DISPLAY or WAYLAND_DISPLAY is set.
bool displayAvailable();

} // namespace kiro::player
