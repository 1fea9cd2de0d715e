#pragma once

#include "common/MessageBoxes.h"

#include <memory>

class QApplication;

namespace kiro {

// Message boxes as Qt windows. A program that already runs a QApplication
// passes nothing; otherwise the application object is made on the first box,
// so a run that shows none never touches the display.
class QtMessageBoxes final : public MessageBoxes {
public:
    QtMessageBoxes();
    QtMessageBoxes(int& argc, char** argv);
    ~QtMessageBoxes() override;
    void showBox(const std::string& text, const std::string& title, BoxIcon icon) override;
    ButtonAnswer askYesNo(const std::string& text, const std::string& title) override;

private:
    void ensureApplication();

    int* m_argc = nullptr;
    char** m_argv = nullptr;
    std::unique_ptr<QApplication> m_application;
};

// The windowed boxes when a display is there, else the console ones on
// standard error and standard input.
std::unique_ptr<MessageBoxes> makeMessageBoxes(int& argc, char** argv);

} // namespace kiro
